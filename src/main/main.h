// SPDX-License-Identifier: MIT
// Command line and run control.
#pragma once

#include <cstdint>
#include <cstdio>

#include "calibration.h"

// What main returns; the exit status is the low 8 bits.
enum zentu_status : int {
    ZENTU_OK = 0,
    ZENTU_TIMEOUT = -1,  // also: no map entry holds the tap
    ZENTU_ERROR = -2,
};

// No open can return this, so a device opened as descriptor 0 still counts.
inline constexpr int NO_DEVICE = -1;

struct settings {
    int touchFd = NO_DEVICE;
    const char* touchPath = nullptr;  // as given, for messages
    int vibraFd = NO_DEVICE;
    FILE* mapFile = nullptr;
    calibration cal;    // -k: taps in display pixels
    int32_t delay = 0;  // the limit going into the wait, the time spent after it
    bool printX = false;
    bool printY = false;
    bool charMode = false;
    bool asciiCode = false;
    // Set through the flag field of their long options.
    int waitMode = 1;
    int readMode = 1;
    int printTimeSpent = 0;
};

// Parses the command line into s, opening devices and the map file as their
// options are met. Returns true when the run goes on; false when it is over,
// with the value main must return in *status.
[[nodiscard]] bool parse_command_line(int argc, char** argv, settings* s, int* status);

// Checks the parsed combination, printing the first problem found.
// Returns ZENTU_OK or ZENTU_ERROR.
[[nodiscard]] int validate_settings(const settings& s);

// Reads a delay argument as strtol does in base 10, held at the signed
// 32-bit limits on every host.
[[nodiscard]] int32_t parse_delay(const char* arg);

void print_help();

// "zentu" and the version, for --version.
void print_version();

// Standard output's buffer, the program's own so it is the same with every
// C library (BUFSIZ is 8192 with glibc, 1024 with musl). The help text, the
// longest output, fits whole: it reaches the descriptor in one write at the
// final flush, so a failing write still has its errno when main reports it.
inline constexpr int OUTPUT_BUFFER_SIZE = 4096;

// Longest decimal text of a signed 32-bit value: "-2147483648".
inline constexpr int DECIMAL_MAX = 11;

// Writes v as printf's "%d" does, without a terminating NUL, and returns
// the end of what it wrote (at most DECIMAL_MAX bytes).
char* append_decimal(char* out, int32_t v);

// Open the touch device (read-only), the vibration device (read-write) and
// the map file. A directory is refused and a FIFO without a writer does not
// block. On failure perror tells why and false is returned.
[[nodiscard]] bool open_touch_device(const char* path, int* fd);
[[nodiscard]] bool open_vibra_device(const char* path, int* fd);
[[nodiscard]] bool open_map_file(const char* path, FILE** map);

// Opens path read-only without waiting on a FIFO and refusing a
// directory (EISDIR). Returns the descriptor, or -1 with errno set.
[[nodiscard]] int open_readable(const char* path);

// A process started with standard output or error closed would open its
// devices onto those descriptors and print into them. This puts /dev/null,
// read-only, on a closed descriptor 1 or 2; descriptor 0 is left alone.
void guard_standard_descriptors();
