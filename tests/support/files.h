// SPDX-License-Identifier: MIT
// Files for tests: temporary paths removed with their scope, whole-file
// reads and memory streams.
#pragma once

#include <cstdio>
#include <string>

// What a temp_path is created as.
enum class path_kind { file, fifo, directory };

// A fresh temporary directory holding one entry; both go with the object.
class temp_path {
public:
    // A regular file holding content.
    explicit temp_path(const std::string& content = "");
    // An empty file, a FIFO without a writer or an empty directory.
    explicit temp_path(path_kind kind);
    ~temp_path();
    temp_path(const temp_path&) = delete;
    temp_path& operator=(const temp_path&) = delete;

    const std::string& path() const { return path_; }
    // The file's whole content.
    std::string read() const;

private:
    std::string dir_;
    std::string path_;
};

// The path of a temporary file holding content that lasts as long as the
// test program: for table rows, each of which names a file of its own.
std::string lasting_file(const std::string& content);

// The whole content of the file at path ("" when it does not open).
std::string read_file(const std::string& path);

// A read-only stream over a copy of text, closed with its scope.
struct mem_stream {
    explicit mem_stream(std::string text);
    ~mem_stream();
    mem_stream(const mem_stream&) = delete;
    mem_stream& operator=(const mem_stream&) = delete;

    std::string text;
    FILE* f;
};
