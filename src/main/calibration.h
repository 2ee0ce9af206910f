// SPDX-License-Identifier: MIT
// Calibration: turns a tap from the touch controller's units into display
// pixels, with the seven numbers a0..a6 that many boards keep in a
// calibration file:
//   X = (a2 + a0*x + a1*y) / a6,  Y = (a5 + a3*x + a4*y) / a6
// in 64-bit integer arithmetic, the quotient truncated toward zero.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int CALIBRATION_NUMBERS = 7;

struct calibration {
    bool given = false;  // without one the tap stays as the device reported it
    int32_t a[CALIBRATION_NUMBERS] = {};
};

// The most of a calibration file read before its seventh number ends; the
// numbers come first, so a real file needs far less.
inline constexpr size_t CALIBRATION_TEXT_MAX = 1024;

enum calibration_problem : int {
    CALIBRATION_OK,
    CALIBRATION_FEW,        // fewer than seven numbers
    CALIBRATION_JUNK,       // a field that is not a decimal whole number
    CALIBRATION_RANGE,      // a number beyond the signed 32-bit range
    CALIBRATION_DIVISOR_0,  // a6 is 0
    CALIBRATION_LONG,       // the seventh number does not end in the text read
};

// Reads the seven numbers from the first n bytes of a file; complete tells
// whether that was the whole file. Fields are separated by white space;
// what follows the seventh is ignored. On a problem *field is the number
// (0 for a0) it concerns, or how many were found for CALIBRATION_FEW.
[[nodiscard]] calibration_problem parse_calibration(const char* text, size_t n, bool complete,
                                                    calibration* c, int* field);

// Opens and reads the file at path into c. On failure says on standard
// error what is wrong with which file and returns false.
[[nodiscard]] bool load_calibration(const char* path, calibration* c);

// Turns the tap into display pixels when a calibration was given. A result
// beyond the signed 32-bit range is held at its nearest limit, so a tap far
// off the screen stays far off it instead of wrapping round onto a key.
void apply_calibration(const calibration& c, int32_t* x, int32_t* y);
