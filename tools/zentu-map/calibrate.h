// SPDX-License-Identifier: MIT
// zentu-map calibrate: a calibration line for zentu -k, from the touch
// area and the way the panel is mounted, or fitted to measured taps.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "main/calibration.h"
#include "zentu_map.h"

// The divisor a6 the usual calibration tools write.
inline constexpr int32_t CALIBRATION_SCALE = 65536;

// How the panel sits on the display: turned clockwise by quarter turns,
// then mirrored in display terms.
struct mounting {
    int quarter_turns = 0;
    bool mirror_x = false;
    bool mirror_y = false;
};

// The calibration mapping area onto the pixels 0..width-1 x 0..height-1.
// Returns null, or why no calibration with a6 = 65536 can do it.
[[nodiscard]] const char* calibration_for_area(const touch_area& area, int32_t width,
                                               int32_t height, const mounting& how, calibration* c);

// One measured tap: the pixel aimed at and the device point zentu reported.
struct tap_target {
    int line = 0;
    int32_t px = 0;
    int32_t py = 0;
    int32_t dx = 0;
    int32_t dy = 0;
};

// Reads "PX PY DX DY" lines; # starts a comment, blank lines are skipped.
// Returns an empty string, or what is wrong and on which line.
[[nodiscard]] std::string read_targets(FILE* file, const std::string& name,
                                       std::vector<tap_target>* targets);

// The least-squares affine fit of the targets. Returns null, or why there
// is none (too few targets, or all on one line).
[[nodiscard]] const char* fit_calibration(const std::vector<tap_target>& targets, calibration* c);

// How far zentu's answers through c land from the targets, in pixels.
struct fit_quality {
    double largest = 0;
    double mean = 0;
    size_t worst = 0;  // index of the target farthest off
};
[[nodiscard]] fit_quality measure_fit(const std::vector<tap_target>& targets, const calibration& c);

// One row of a calibration, in 65536ths, rounded to whole numbers. Returns
// false when one is beyond 32 bits.
[[nodiscard]] bool round_row(const double row[3], int32_t* k);

// The calibrate command (arguments after "calibrate"). Returns the exit
// status, or -1 after a complaint on err when the caller is to show the usage.
[[nodiscard]] int calibrate_command(int argc, char** argv, std::ostream& out, std::ostream& err);
