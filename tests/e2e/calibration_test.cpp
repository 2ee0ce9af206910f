// zentu -k: taps in display pixels through a calibration file, in both
// output modes, and the files it refuses.
#include <gtest/gtest.h>

#include <cerrno>

#include "child.h"
#include "files.h"
#include "table.h"

namespace {

using calibrated_runs = table<run_case>;

TEST_P(calibrated_runs, end_as_documented) {
    expect_run(GetParam());
}

// A 240x320 display whose panel, area 200..3900x180..3950, is mounted a
// quarter turn clockwise (zentu-map calibrate --rotate 90 made it).
const temp_path quarter_turn("0 -4155 16443713 5650 0 -1097285 65536\n");
const temp_path board("16 -8880 34043380 12130 72 -2479548 65536 800 480\n");
const temp_path few("16 -8880 34043380\n");
const temp_path junk("16 -8880 34043380 12130 72 -2479548 0x10000\n");
const temp_path zero("16 -8880 34043380 12130 72 -2479548 0\n");
const temp_path folder(path_kind::directory);
const std::string phone = std::string(ZENTU_EXAMPLES) + "/phone.map";
const std::string missing = "/nonexistent/panel.cal";

// clang-format off
const run_case runs[] = {
    {"coordinates_in_pixels", {"-t", TOUCH, "-k", board.path(), "-x", "-y"}, fingers("down 812 455"), 0, "458:112\n"},
    {"long_option_y_alone", {"-t", TOUCH, "--calibration=" + board.path(), "-y"}, fingers("down 812 455"), 0, "112\n"},
    {"key_top_right", {"-t", TOUCH, "-m", phone, "-k", quarter_turn.path(), "-c"}, fingers("down 200 180"), 3, "3"},
    {"file_missing", {"-t", TOUCH, "-k", missing, "-x"}, {}, 254, "", perror_text("cannot open calibration " + missing, ENOENT)},
    {"file_is_a_directory", {"-t", TOUCH, "-k", folder.path(), "-x"}, {}, 254, "", perror_text("cannot open calibration " + folder.path(), EISDIR)},
    {"fewer_than_seven", {"-t", TOUCH, "-k", few.path(), "-x"}, {}, 254, "", "calibration " + few.path() + ": fewer than seven numbers (found 3)\n"},
    {"junk", {"-t", TOUCH, "-k", junk.path(), "-x"}, {}, 254, "", "calibration " + junk.path() + ": a6 is not a whole decimal number\n"},
    {"divisor_zero", {"-t", TOUCH, "-k", zero.path(), "-x"}, {}, 254, "", "calibration " + zero.path() + ": the divisor a6 is 0\n"},
    {"read_when_met_before_validation", {"-k", few.path()}, {}, 254, "", "calibration " + few.path() + ": fewer than seven numbers (found 3)\n"},
    {"an_earlier_failure_ends_the_run_first", {"-t", missing, "-k", few.path(), "-x"}, {}, 254, "", perror_text("cannot open touch input device", ENOENT)},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(calibration, calibrated_runs, testing::ValuesIn(runs), row_name{});

}  // namespace
