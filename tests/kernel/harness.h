// SPDX-License-Identifier: MIT
// Running programs in the guest and judging them: start a program with its
// output on pipes, wait until it holds a device open, collect what it says,
// compare, and print one line per case.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <linux/input.h>

#include "devices.h"

struct run {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
    int64_t started = 0;
    int64_t ended = 0;
    int status = -1;  // exit status, or -1 when it did not exit by itself
    std::string out_text;
    std::string err_text;
    int ff_events = 0;          // EV_FF 20 1 records the vibration device got
    int ff_other = 0;           // anything else it got
    int ff_before_output = -1;  // ff_events when the first output byte came
};

// Starts argv[0] with argv, its output going to pipes.
bool start(run* r, const char* const* argv);
// Waits until the program holds node open, so that nothing sent from now
// on can be missed; then gives it a moment to reach its wait.
bool wait_open(const run& r, const char* node);
// Collects output until the program exits or limit_ms pass (then it is
// killed), reading the vibration device's uinput queue meanwhile.
void finish(run* r, int limit_ms, int ff_fd = -1);

// Why a case failed; empty when it passed.
struct verdict {
    char why[768]{};
    size_t used = 0;
    void add(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
};

void expect_output(verdict* v, const run& r, const char* out, int status);
void expect_quiet_stderr(verdict* v, const run& r);
// All of standard error.
void expect_stderr(verdict* v, const run& r, const std::string& err);
// Status 254, nothing on stdout, one line on the gone touch device.
void expect_gone(verdict* v, const run& r);
void expect_within(verdict* v, const char* what, int64_t ms, int64_t low, int64_t high);
// Prints "ok - NAME" or "not ok - NAME: why" and counts it.
void report(const char* name, const verdict& v, const run& r);
// "zentu-kernel: N passed, M failed"; returns the guest's exit status.
int summary();

// The zentu under test.
extern const char* zentu_path;
// Starts zentu -t DEV [-v VIBRA] ARGS... and waits until it has DEV open.
bool launch(run* r, const device& dev, const char* const* args, verdict* v,
            const device* vibra = nullptr);

// A reader of its own on a device's node, beside the program under test:
// it sees the frames the kernel really sent, so a case can check its
// premise (what the frames carried) and not pass vacuously.
using frame = std::vector<input_event>;
struct observer {
    int fd = -1;
    std::vector<frame> frames;  // each ends with its SYN_REPORT
    explicit observer(const device& d);
    ~observer();
    observer(const observer&) = delete;
    observer& operator=(const observer&) = delete;
    // Reads what has arrived into frames.
    void collect();
};

// How many events of this type and code a frame holds.
int count(const frame& f, uint16_t type, uint16_t code);
// The value of its last such event, or fallback when it holds none.
int32_t last_value(const frame& f, uint16_t type, uint16_t code, int32_t fallback);
// Prints the frames as comment lines, one per frame: "type:code=value ...".
void print_frames(const std::vector<frame>& frames);
