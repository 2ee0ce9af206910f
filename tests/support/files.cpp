// SPDX-License-Identifier: MIT
#include "files.h"

#include <deque>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

temp_path::temp_path(const std::string& content) : temp_path(path_kind::file) {
    std::ofstream(path_, std::ios::binary) << content;
}

temp_path::temp_path(path_kind kind) {
    char tmpl[] = "/tmp/zentu-test-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) {
        throw std::runtime_error("mkdtemp");
    }
    dir_ = tmpl;
    path_ = dir_ + "/entry";
    bool made = true;
    switch (kind) {
    case path_kind::file:
        made = static_cast<bool>(std::ofstream(path_, std::ios::binary));
        break;
    case path_kind::fifo:
        made = mkfifo(path_.c_str(), 0600) == 0;
        break;
    case path_kind::directory:
        made = mkdir(path_.c_str(), 0700) == 0;
        break;
    }
    if (!made) {
        throw std::runtime_error("cannot make " + path_);
    }
}

temp_path::~temp_path() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string temp_path::read() const {
    return read_file(path_);
}

std::string lasting_file(const std::string& content) {
    static std::deque<temp_path> files;
    return files.emplace_back(content).path();
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

mem_stream::mem_stream(std::string t) : text(std::move(t)) {
    f = fmemopen(text.data(), text.size(), "r");
    if (f == nullptr) {
        throw std::runtime_error("fmemopen");
    }
}

mem_stream::~mem_stream() {
    fclose(f);
}
