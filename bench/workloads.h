// SPDX-License-Identifier: MIT
// The measured workloads, each run side by side with its baseline.
#pragma once

#include <string>
#include <vector>

#include "harness.h"

struct bench_setup {
    std::string zentu;   // the product binary
    std::string floor;   // open, poll, read the finger-down burst, exit
    std::string duties;  // the floor with a poll before each read and the answer
    std::string scan;    // fgets + strtok + strtoul map scan
    std::string awk;     // empty when there is none
    std::string map;     // zentu-map
    std::string dir;     // scratch directory
};

// What one program showed over the runs of a tap measure.
struct tap_program {
    stats wall_us;
    stats cpu_us;  // the child's own user + system time
    stats faults;  // minor page faults
    stats rss_kb;
};

struct tap_figures {
    tap_program zentu;
    tap_program floor;
    tap_program duties;
    tap_program calibrated;  // zentu with -k, the same answer through a calibration
};

struct scan_figures {
    long lines = 0;
    stats zentu;
    stats scan;
    stats awk;  // all zero without awk
    stats zentu_rss_kb;
};

struct idle_figures {
    stats zentu_cpu_us;  // whole run, start-up included
    stats floor_cpu_us;  // the floor's wait: 100 ms polls until the limit
    stats zentu_wakeups;
    double wait_ms = 0;
};

// 1: zentu sleeping in poll on a FIFO; a finger-down burst in one write;
// timed until the process has been reaped.
tap_figures measure_fifo_tap(const bench_setup& b, int runs);
// 2: a whole run on a recorded tap in a regular file.
tap_figures measure_file_tap(const bench_setup& b, int runs);
// 3: a map whose only match is on its last line.
scan_figures measure_scan(const bench_setup& b, long lines, int runs);
// 4: a wait of wait_ms with the device open and silent.
idle_figures measure_idle(const bench_setup& b, int runs, int wait_ms);
// 6: zentu-map check and svg on generated maps of each size and shape.
void measure_zentu_map(const bench_setup& b, const std::vector<long>& sizes);
