// SPDX-License-Identifier: MIT
#include "events.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

input_event make_event(uint16_t type, uint16_t code, int32_t value) {
    input_event ev{};
    ev.type = type;
    ev.code = code;
    ev.value = value;
    return ev;
}

events finger_down(int32_t x, int32_t y) {
    return {pos_x(x), pos_y(y), touch(1), syn()};
}
events finger_move(int32_t x, int32_t y) {
    return {pos_x(x), pos_y(y), syn()};
}
events finger_up() {
    return {touch(0), syn()};
}

namespace {

// A decimal number at *p, after blanks; false when there is none.
bool read_int(const char** p, int32_t* value) {
    char* end = nullptr;
    const long v = strtol(*p, &end, 10);
    if (end == *p) {
        return false;
    }
    *value = static_cast<int32_t>(v);
    *p = end;
    return true;
}

// Whether the word at *p (after blanks) is word; if so, moves past it.
bool read_word(const char** p, const char* word) {
    while (**p == ' ') {
        ++*p;
    }
    const size_t n = strlen(word);
    if (strncmp(*p, word, n) != 0) {
        return false;
    }
    *p += n;
    return true;
}

// One step of a fingers() script. Plain C parsing: the C++ streams of a
// libstdc++ linked against musl do not set eof alike.
step finger_step(const std::string& text) {
    const char* p = text.c_str();
    int32_t after = 0;
    int32_t x = 0;
    int32_t y = 0;
    if (*p == '+' && !read_int(&p, &after)) {
        p = "";  // no delay after the sign: not a step
    }
    const bool down = read_word(&p, "down");
    const bool move = !down && read_word(&p, "move");
    const bool up = !down && !move && read_word(&p, "up");
    const bool placed = (down || move) && read_int(&p, &x) && read_int(&p, &y);
    const bool ended = read_word(&p, "") && *p == '\0';
    if (placed && ended) {
        return {after, down ? finger_down(x, y) : finger_move(x, y)};
    }
    if (up && ended) {
        return {after, finger_up()};
    }
    throw std::invalid_argument("not a finger step: " + text);
}

}  // namespace

std::vector<step> fingers(const std::string& script) {
    std::vector<step> steps;
    for (size_t start = 0; start < script.size();) {
        size_t end = script.find(", ", start);
        end = end == std::string::npos ? script.size() : end;
        steps.push_back(finger_step(script.substr(start, end - start)));
        start = end + 2;
    }
    return steps;
}

event_pipe::event_pipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    rd_ = fds[0];
    wr_ = fds[1];
    // A reader that exits early must not kill the test with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
}

event_pipe::~event_pipe() {
    stop();
    close_reader();
    if (wr_ >= 0) {
        close(wr_);
    }
}

void event_pipe::close_reader() {
    if (rd_ >= 0) {
        close(rd_);
        rd_ = -1;
    }
}

void event_pipe::play(std::vector<step> steps, bool close_after) {
    player_ = std::thread([this, steps = std::move(steps), close_after] {
        for (const step& s : steps) {
            std::unique_lock lock(m_);
            if (cv_.wait_for(lock, std::chrono::milliseconds(s.after_ms),
                             [this] { return stopping_; })) {
                return;
            }
            lock.unlock();
            std::vector<unsigned char> bytes(reinterpret_cast<const unsigned char*>(s.evs.data()),
                                             reinterpret_cast<const unsigned char*>(s.evs.data()) +
                                                 s.evs.size() * sizeof(input_event));
            bytes.insert(bytes.end(), s.raw.begin(), s.raw.end());
            // One write per step, so a burst arrives whole as the kernel hands it.
            if (!bytes.empty() && write(wr_, bytes.data(), bytes.size()) < 0) {
                return;
            }
        }
        if (close_after) {
            std::lock_guard lock(m_);
            close(wr_);
            wr_ = -1;
        }
    });
}

void event_pipe::stop() {
    {
        std::lock_guard lock(m_);
        stopping_ = true;
    }
    cv_.notify_all();
    if (player_.joinable()) {
        player_.join();
    }
}

void expect_pulse(const std::string& bytes, size_t records, size_t cut) {
    const input_event want = make_event(EV_FF, 20, 1);
    ASSERT_EQ(bytes.size(), records * sizeof want + cut);
    for (size_t i = 0; i < records; ++i) {
        EXPECT_EQ(memcmp(bytes.data() + i * sizeof want, &want, sizeof want), 0) << "record " << i;
    }
}

double now_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}
