// SPDX-License-Identifier: MIT
// zentu-map calibrate: every mounting against the corner rule, fits from
// exact and noisy taps, the taps it refuses, and svg over an image.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "calibrate.h"
#include "child.h"
#include "files.h"
#include "table.h"

namespace {

// The screen's corners, and where each corner of the device's area lands.
enum corner { TL, TR, BL, BR };
struct rotation_case : test_case {
    int degrees;
    corner lands[4];  // of (X1, Y1), (X2, Y1), (X1, Y2), (X2, Y2)
};
using Mounting = table<rotation_case>;

corner mirrored(corner c, bool x, bool y) {
    const bool right = (c == TR || c == BR) != x;
    const bool bottom = (c == BL || c == BR) != y;
    return bottom ? (right ? BR : BL) : (right ? TR : TL);
}

// Each rotation with each mirroring, on a resistive panel's area and on
// one starting at 0 with a landscape screen: every corner of the area
// within a pixel of its corner of the screen.
TEST_P(Mounting, CornersLandOnTheirScreenCorners) {
    const rotation_case& c = GetParam();
    const struct {
        const char* area;
        int32_t w, h;
    } panels[] = {{"200..3900x180..3950", 240, 320}, {"0..4095x0..4095", 800, 480}};
    for (const auto& panel : panels) {
        touch_area area;
        ASSERT_EQ(parse_area(panel.area, &area), nullptr);
        for (const int mirrors : {0, 1, 2, 3}) {
            const mounting how{c.degrees / 90, (mirrors & 1) != 0, (mirrors & 2) != 0};
            calibration cal;
            ASSERT_EQ(calibration_for_area(area, panel.w, panel.h, how, &cal), nullptr);
            EXPECT_EQ(cal.a[6], 65536);
            for (int k = 0; k < 4; ++k) {
                int32_t x = (k & 1) != 0 ? area.x_max : area.x_min;
                int32_t y = (k & 2) != 0 ? area.y_max : area.y_min;
                apply_calibration(cal, &x, &y);
                const corner want = mirrored(c.lands[k], how.mirror_x, how.mirror_y);
                const int32_t wx = want == TR || want == BR ? panel.w - 1 : 0;
                const int32_t wy = want == BL || want == BR ? panel.h - 1 : 0;
                EXPECT_LE(std::abs(x - wx), 1)
                    << panel.area << " mirrors " << mirrors << " corner " << k;
                EXPECT_LE(std::abs(y - wy), 1)
                    << panel.area << " mirrors " << mirrors << " corner " << k;
            }
        }
    }
}

// clang-format off
const rotation_case rotations[] = {
    {"none", 0, {TL, TR, BL, BR}},
    {"quarter_turn", 90, {TR, BR, TL, BL}},
    {"half_turn", 180, {BR, BL, TR, TL}},
    {"three_quarters", 270, {BL, TL, BR, TR}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Rotations, Mounting, testing::ValuesIn(rotations), row_name{});

TEST(AreaCalibration, RefusesWhatNoLineCanHold) {
    touch_area area;
    calibration cal;
    ASSERT_EQ(parse_area("-2147483647..2147483647x0..4095", &area), nullptr);
    EXPECT_NE(calibration_for_area(area, 240, 320, {}, &cal), nullptr) << "a0 rounds to 0";
    ASSERT_EQ(parse_area("2000000000..2000000010x0..4095", &area), nullptr);
    EXPECT_NE(calibration_for_area(area, 240, 320, {}, &cal), nullptr) << "a2 beyond 32 bits";
    ASSERT_EQ(parse_area("5..5x0..4095", &area), nullptr);
    EXPECT_NE(calibration_for_area(area, 240, 320, {}, &cal), nullptr) << "one point wide";
}

// Taps at the targets of a panel turned a quarter, mirrored and a little
// skewed: the device point for pixel (px, py), with noise added.
std::vector<tap_target> taps_for(const std::vector<std::pair<int, int>>& pixels, int noise) {
    std::vector<tap_target> t;
    int line = 0;
    for (const auto& [px, py] : pixels) {
        const int wobble = (line * 7 % 5 - 2) * noise;
        const double dx = 180 + (319 - py) * 11.8 + px * 0.3;
        const double dy = 200 + px * 15.4;
        t.push_back({++line, px, py, static_cast<int32_t>(std::lround(dx)) + wobble,
                     static_cast<int32_t>(std::lround(dy)) - wobble});
    }
    return t;
}

const std::vector<std::pair<int, int>> nine = {{20, 20},  {120, 20},  {220, 20},
                                               {20, 160}, {120, 160}, {220, 160},
                                               {20, 300}, {120, 300}, {220, 300}};

TEST(TapFit, ExactTapsReproduceTheirTargets) {
    for (const auto& pixels :
         {nine, std::vector<std::pair<int, int>>{{0, 0}, {239, 0}, {0, 319}}}) {
        const std::vector<tap_target> t = taps_for(pixels, 0);
        calibration cal;
        ASSERT_EQ(fit_calibration(t, &cal), nullptr);
        EXPECT_EQ(cal.a[6], 65536);
        for (const tap_target& p : t) {
            int32_t x = p.dx;
            int32_t y = p.dy;
            apply_calibration(cal, &x, &y);
            EXPECT_EQ(x, p.px) << "line " << p.line;
            EXPECT_EQ(y, p.py) << "line " << p.line;
        }
        EXPECT_EQ(measure_fit(t, cal).largest, 0);
    }
}

// Noise of up to 40 device units (some 3 pixels) averages out over nine
// taps; a tap far off shows as the largest distance, on its own line.
TEST(TapFit, NoisyTapsFitAndABadOneShows) {
    std::vector<tap_target> t = taps_for(nine, 20);
    calibration cal;
    ASSERT_EQ(fit_calibration(t, &cal), nullptr);
    const calibration exact = [] {
        calibration c;
        EXPECT_EQ(fit_calibration(taps_for(nine, 0), &c), nullptr);
        return c;
    }();
    for (const auto& [dx, dy] : {std::pair{180, 200}, {3944, 3880}, {4000, 0}}) {
        int32_t x = dx, y = dy, ex = dx, ey = dy;
        apply_calibration(cal, &x, &y);
        apply_calibration(exact, &ex, &ey);
        EXPECT_LE(std::hypot(x - ex, y - ey), 3) << dx << "," << dy;
    }
    const fit_quality noisy = measure_fit(t, cal);
    EXPECT_GT(noisy.largest, 0);
    // No farther off than the largest noise, 4.3 pixels, and a pixel's rounding.
    EXPECT_LE(noisy.largest, 5.3);
    t[4].dx += 600;  // the middle target's tap slipped
    ASSERT_EQ(fit_calibration(t, &cal), nullptr);
    const fit_quality slipped = measure_fit(t, cal);
    EXPECT_EQ(slipped.worst, 4U);
    EXPECT_GT(slipped.largest, 20);
    EXPECT_GT(slipped.largest, 3 * slipped.mean);
}

struct refused_fit : test_case {
    std::vector<tap_target> taps;
    const char* why;  // part of the reason
};
using FitRefused = table<refused_fit>;

TEST_P(FitRefused, SaysWhy) {
    calibration cal;
    const char* why = fit_calibration(GetParam().taps, &cal);
    ASSERT_NE(why, nullptr);
    EXPECT_NE(std::string(why).find(GetParam().why), std::string::npos) << why;
    EXPECT_FALSE(cal.given);
}

// clang-format off
const refused_fit refusals[] = {
    {"two_targets", {{1, 0, 0, 100, 100}, {2, 239, 319, 3900, 3900}}, "at least three targets"},
    {"device_points_on_one_line", {{1, 0, 0, 100, 100}, {2, 239, 0, 2000, 2000}, {3, 0, 319, 3900, 3900}}, "device points lie on one line"},
    {"same_point_thrice", {{1, 0, 0, 100, 100}, {2, 239, 0, 100, 100}, {3, 0, 319, 100, 100}}, "device points lie on one line"},
    {"targets_on_one_line", {{1, 0, 0, 100, 100}, {2, 100, 100, 3900, 200}, {3, 200, 200, 300, 3900}}, "targets lie on one line"},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Taps, FitRefused, testing::ValuesIn(refusals), row_name{});

struct command_case : test_case {
    std::vector<std::string> args;  // after "calibrate"
    std::string taps;               // the --taps file's content, when @taps is given
    int status;
    std::string out;
    std::string err;  // part of standard error
};
using CalibrateCommand = table<command_case>;

TEST_P(CalibrateCommand, AnswersAsDocumented) {
    const command_case& c = GetParam();
    temp_path taps(c.taps);
    std::vector<std::string> args = c.args;
    std::vector<char*> argv;
    for (std::string& a : args) {
        a = a == "@taps" ? taps.path() : a;
        argv.push_back(a.data());
    }
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(calibrate_command(static_cast<int>(argv.size()), argv.data(), out, err), c.status);
    EXPECT_EQ(out.str(), c.out);
    EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
}

const std::string corners =
    "# the corners, as zentu -x -y answered\n"
    "0 0 200 180\n\n"
    "239 0 3900 180   # top right\n"
    "0 319 200 3950\n"
    "239 319 3900 3950\n";

// clang-format off
const command_case commands[] = {
    {"area", {"--area", "200..3900x180..3950", "--screen", "240x320", "--rotate=90"}, "", 0, "0 -4155 16443713 5650 0 -1097285 65536\n", ""},
    {"taps", {"--screen=240x320", "--taps", "@taps"}, corners, 0, "4233 0 -813886 0 5545 -965396 65536\n", ": 4 targets: largest distance 0.00 pixels (line 2), mean 0.00 pixels\n"},
    {"taps_junk_line", {"--screen", "240x320", "--taps", "@taps"}, corners + "1 2 3\n", 2, "", ":7: not PX PY DX DY"},
    {"taps_off_screen", {"--screen", "240x320", "--taps", "@taps"}, corners + "240 5 3900 300\n", 2, "", ":7: the target 240 5 is off the screen 240x320"},
    {"taps_unreadable", {"--screen", "240x320", "--taps", "/nonexistent/taps"}, "", 2, "", "cannot read /nonexistent/taps: "},
    {"no_screen", {"--area", "0..9x0..9"}, "", -1, "", "needs --screen"},
    {"area_and_taps", {"--screen", "9x9", "--area", "0..9x0..9", "--taps", "t"}, "", -1, "", "either --area"},
    {"rotate_with_taps", {"--screen", "9x9", "--taps", "t", "--mirror-x"}, "", -1, "", "go with --area"},
    {"rotate_45", {"--screen", "9x9", "--area", "0..9x0..9", "--rotate", "45"}, "", -1, "", "--rotate takes 90, 180 or 270"},
    {"area_too_wide", {"--screen", "9x9", "--area", "-2147483647..2147483647x0..9"}, "", 2, "", "within a pixel"},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Arguments, CalibrateCommand, testing::ValuesIn(commands), row_name{});

// The image under the keys goes in by name, percent-encoded where a URI
// needs it, and the keys let it show through.
TEST(SvgBackground, ReferencesTheImageByName) {
    const child_result r =
        run_program(ZENTU_MAP, {"svg", std::string(ZENTU_EXAMPLES) + "/phone.map", "--screen",
                                "240x320", "--background", "my keys#2.png"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("<image class=\"background\" href=\"my%20keys%232.png\""),
              std::string::npos);
    EXPECT_NE(r.out.find("fill-opacity=\"0.35\""), std::string::npos);
    const child_result no_screen = run_program(
        ZENTU_MAP, {"svg", std::string(ZENTU_EXAMPLES) + "/phone.map", "--background=k.png"});
    EXPECT_EQ(no_screen.status, 2);
    EXPECT_NE(no_screen.err.find("--background needs --screen"), std::string::npos);
}

}  // namespace
