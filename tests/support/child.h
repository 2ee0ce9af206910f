// SPDX-License-Identifier: MIT
// Runs a built program (zentu, a tool) as a child process with a pipe as
// its touch device, capturing standard output, standard error and the exit
// status; through the emulator when cross-building.
#pragma once

#include <string>
#include <vector>

#include "events.h"
#include "table.h"

// Stands for the touch pipe in an argument ("-t@touch" too); replaced by its path.
inline const std::string TOUCH = "@touch";

struct child_setup {
    std::vector<step> touch_steps{};  // played into the touch pipe
    bool close_touch_after = false;   // the device goes away after the steps
    std::string stdin_path{};         // standard input from there (else the test's own)
    bool close_stdin = false;         // start with descriptor 0 closed
    bool close_stdout = false;        // start with descriptor 1 closed
    bool close_stderr = false;        // start with descriptor 2 closed
    std::string stdout_path{};        // send standard output there instead of capturing it
    bool stdout_unread = false;       // standard output is a pipe whose reader has gone
    long fsize_limit = -1;            // RLIMIT_FSIZE in bytes, SIGXFSZ ignored
    size_t stdout_bytes = 0;          // the reader goes after so many bytes (0: reads all)
};

// A setup that only plays steps into the touch pipe.
child_setup with_touch(std::vector<step> steps);

struct child_result {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
    double ms = 0;  // wall time from start to exit
};

// Runs binary with args; TOUCH in an argument names the touch pipe.
child_result run_program(const std::string& binary, const std::vector<std::string>& args,
                         const child_setup& setup = {});

// What perror prints for what and err, in the words of the C library the
// program was linked with (the same as the tests').
std::string perror_text(const std::string& what, int err);

// Runs the built zentu with args.
child_result run_zentu(const std::vector<std::string>& args, const child_setup& setup = {});

// Far above every legitimate run, also under valgrind: only a hang exceeds it.
inline constexpr double NO_HANG_MS = 5000;

// One run of a program as a table row: its arguments, what the touch pipe
// plays, and what the run must print and end with.
struct run_case : test_case {
    std::vector<std::string> args;
    std::vector<step> touch;  // fingers("down 3 4"), or events and bytes
    int status;
    std::string out;
    std::string err = "";             // all of standard error
    child_setup setup = {};           // more than the touch steps: streams, limits
    const char* program = ZENTU_BIN;  // the program run
};

// Runs the row's program as it says; checks status, both outputs and that
// it ends well before a hang would.
void expect_run(const run_case& c);
