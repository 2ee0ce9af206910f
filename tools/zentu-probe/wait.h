// SPDX-License-Identifier: MIT
// Waiting for a device node to appear, as at boot before the driver of
// the touch controller has come up: woken by the kernel's notice of a new
// node or of changed permissions in the directory, bounded by a deadline
// on the monotonic clock.
#pragma once

#include <cstdint>

// Set up by watch_start; all zero before, so that a static one costs no
// space in the program file.
struct node_watch {
    int fd;         // inotify, or -1 when there is none to be had
    int dir_wd;     // the watch on the directory itself, or -1
    int parent_wd;  // on its parent while the directory is missing, or -1
    int64_t deadline_ms;
    char dir[4096];
    char parent[4096];
};

// Milliseconds on the monotonic clock: a clock set at boot moves no deadline.
[[nodiscard]] int64_t monotonic_ms();

// Writes into out the directory that holds path ("." for a bare name).
void directory_of(const char* path, char* out, int size);

// Starts watching dir for new nodes, for seconds from now. Arm it before
// the first look, so that nothing created in between goes unnoticed.
void watch_start(node_watch* w, const char* dir, int64_t seconds);

// Blocks until something changes in the directory or the deadline comes;
// with recheck, for a short while at most, for a node that exists but whose
// device does not answer yet (its driver binding later tells nobody).
// Returns false once the deadline has passed: the last look stands.
[[nodiscard]] bool watch_next(node_watch* w, bool recheck);

// Whether a node that failed with this errno may answer later without any
// change in the directory: a static node whose driver is not bound yet.
[[nodiscard]] bool may_answer_later(int error);
