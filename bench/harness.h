// SPDX-License-Identifier: MIT
// Benchmark harness: runs zentu and its baselines as child processes and
// times them from the outside, as a caller would see them.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <string>
#include <vector>

// One finished child.
struct run_result {
    double wall_us = 0;    // from the timed moment to the child having exited
    double exited_us = 0;  // now_us() right after the child was reaped
    int exit_status = -1;
    std::string out;  // its standard output
    rusage usage{};
};

// A started child whose standard output goes to a pipe.
struct child {
    pid_t pid = -1;
    int out_fd = -1;
};

double now_us();
// With keep_output false, its standard output goes to /dev/null.
child start_child(const std::vector<std::string>& argv, bool keep_output = true);
// Reaps the child and collects its output; wall_us is the caller's to fill.
run_result finish_child(child c);
// start + finish, timed from before the start.
run_result run_timed(const std::vector<std::string>& argv);
// The same with the child's standard output thrown away.
run_result run_timed_quiet(const std::vector<std::string>& argv);

// Opens a FIFO for writing once its reader has opened it; -1 after 5 s.
int open_fifo_writer(const char* path, pid_t reader);
// Waits until pid sleeps in poll; false when it did not within 5 s.
bool wait_in_poll(pid_t pid);

struct stats {
    double median = 0;
    double min = 0;
    double max = 0;
};
stats summarize(std::vector<double> v);

// Fails the benchmark with a message: a wrong answer makes its time void.
[[noreturn]] void fail(const char* what, const std::string& detail);
void expect(const run_result& r, int status, const std::string& out, const char* what);
