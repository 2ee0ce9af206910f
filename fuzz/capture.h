// SPDX-License-Identifier: MIT
// Shared by the fuzz targets: captures what the code under test prints on
// standard output, so that the targets can check it, not just discard it.
#pragma once

#include <cstddef>

// Puts a memory file on descriptor 1. Call once, before any run.
void capture_init();

// Forgets everything printed so far.
void capture_reset();

// Copies what was printed since the last reset into buf (at most cap
// bytes) and returns its length.
size_t capture_take(char* buf, size_t cap);

// Stops the run with a message when a property does not hold; libFuzzer
// keeps the input that did it.
[[noreturn]] void property_failed(const char* what);
