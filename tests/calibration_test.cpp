// SPDX-License-Identifier: MIT
// Calibration files: the seven numbers as read, and taps through them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "main/calibration.h"
#include "table.h"

namespace {

struct transform_case : test_case {
    std::string text;
    int32_t x, y;
    int32_t want_x, want_y;
};
using CalibratedTap = table<transform_case>;

TEST_P(CalibratedTap, LandsOnThePixelOfTheFormula) {
    const transform_case& c = GetParam();
    calibration cal;
    int field = -1;
    ASSERT_EQ(parse_calibration(c.text.data(), c.text.size(), true, &cal, &field), CALIBRATION_OK);
    int32_t x = c.x;
    int32_t y = c.y;
    apply_calibration(cal, &x, &y);
    EXPECT_EQ(x, c.want_x);
    EXPECT_EQ(y, c.want_y);
}

constexpr int32_t MAX = INT32_MAX;
constexpr int32_t MIN = INT32_MIN;
const std::string board = "16 -8880 34043380 12130 72 -2479548 65536";  // axes swapped

// clang-format off
const transform_case taps[] = {
    // (34043380 + 16*812 - 8880*455) / 65536 = 458.01; (12130*812 + 72*455 - 2479548) / 65536 = 112.96
    {"board_swapped_axes", board, 812, 455, 458, 112},
    // -1476620 / 65536 = -22.5: truncated toward zero, not down
    {"board_truncates_toward_zero", board, 0, 4000, -22, -33},
    {"negative_divisor", "2 0 0 0 2 0 -4", 5, 7, -2, -3},
    {"signs_tabs_newlines", "+1\t0\n0 0 +1 0 1\n\n", 7, -9, 7, -9},
    {"extra_fields_of_any_kind", "1 0 0 0 1 0 1 whatever, \x01 follows", 3, 4, 3, 4},
    {"held_at_32_bits", "65536 0 0 0 65536 0 1", MAX, MIN, MAX, MIN},
    // (-2^31)(-2^31) twice is 2^63: beyond 64 bits, and far beyond 32 after the division
    {"numerator_beyond_64_bits", "-2147483648 -2147483648 2147483647 0 0 0 -1", MIN, MIN, MIN, 0},
    {"widest_numerator_that_fits", "2147483647 2147483647 2147483647 0 0 -2147483648 2147483647", MAX, MAX, MAX, -1},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Files, CalibratedTap, testing::ValuesIn(taps), row_name{});

struct refusal_case : test_case {
    std::string text;
    bool complete;
    calibration_problem problem;
    int field;
};
using CalibrationRefused = table<refusal_case>;

TEST_P(CalibrationRefused, SaysWhatAndWhere) {
    const refusal_case& c = GetParam();
    calibration cal;
    int field = -1;
    EXPECT_EQ(parse_calibration(c.text.data(), c.text.size(), c.complete, &cal, &field), c.problem);
    EXPECT_EQ(field, c.field);
    EXPECT_FALSE(cal.given);
}

// clang-format off
const refusal_case refusals[] = {
    {"empty", "", true, CALIBRATION_FEW, 0},
    {"divisor_minus_zero", "1 0 0 0 1 0 -0 800 480", true, CALIBRATION_DIVISOR_0, 6},
    {"sign_alone", "1 2 - 4 5 6 7", true, CALIBRATION_JUNK, 2},
    {"decimal_point", "1.5 0 0 0 1 0 1", true, CALIBRATION_JUNK, 0},
    {"nul_byte", std::string("1 0\0 0 0 1 0 1", 14), true, CALIBRATION_JUNK, 1},
    {"beyond_32_bits", "1 0 0 0 1 0 2147483648", true, CALIBRATION_RANGE, 6},
    {"far_beyond_32_bits", "1 -99999999999999999999999 0 0 1 0 1", true, CALIBRATION_RANGE, 1},
    {"seventh_cut_by_the_read", "1 0 0 0 1 0 65536", false, CALIBRATION_LONG, 6},
    {"white_space_past_the_read", std::string(50, ' '), false, CALIBRATION_LONG, 0},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Files, CalibrationRefused, testing::ValuesIn(refusals), row_name{});

}  // namespace
