// SPDX-License-Identifier: MIT
// Lines of an evemu-style recording: "E: <sec>.<usec> <type> <code> <value>"
// with type and code in hexadecimal, as evemu-record writes them. Every
// field is checked against what an input_event record can hold.
#pragma once

#include <linux/input.h>

#include <cstddef>
#include <cstdio>

// Room for one line and its terminating NUL.
inline constexpr size_t RECORDING_LINE_SIZE = 512;

enum recording_line : int {
    LINE_EVENT = 1,  // an event, *ev filled
    LINE_OTHER = 0,  // not an event line: a comment, a device description
    LINE_BAD = -1,   // an event line that cannot be played; *why says why
};

// Parses one line (its newline, if any, included). Returns a recording_line.
[[nodiscard]] int parse_recording_line(const char* line, input_event* ev, const char** why);

// Microseconds from a's time stamp to b's; 0 when b is not later, and at
// most LLONG_MAX.
[[nodiscard]] long long pause_us(const input_event& a, const input_event& b);

// Reads the next line of in into line (RECORDING_LINE_SIZE bytes). A longer
// line is read to its end and cut, with *too_long set, whatever bytes
// (NUL bytes too) it holds; its newline does not count. Returns false at the
// end of the input or on a read error (ferror tells them apart).
[[nodiscard]] bool read_recording_line(FILE* in, char* line, bool* too_long);
