// SPDX-License-Identifier: MIT
// The command line through the binary: validation, failed opens, help,
// rejected options, calibration files.
#include <gtest/gtest.h>

#include <cerrno>

#include "child.h"
#include "files.h"
#include "table.h"
#include "version.h"

namespace {

using cli = table<run_case>;

TEST_P(cli, prints_and_ends_as_documented) {
    expect_run(GetParam());
}

const std::string help = read_file(std::string(ZENTU_TEST_DATA) + "/help.txt");
const std::string no_file = "/nonexistent/zentu-test";
const std::string touch_fail = "cannot open touch input device";
const std::string vibra_fail = "cannot open vibration output device";
const std::string map_fail = "cannot open mapping table";
const std::string no_touch = "touch input device is mandatory parameter\n";
const std::string no_map = "there is no mapping table\n";

// clang-format off
const run_case validation[] = {
    {"no_arguments", {}, {}, 254, no_touch},
    {"only_outputs", {"-x", "-y"}, {}, 254, no_touch},
    {"time_spent_is_no_output_mode", {"-t", TOUCH, "--print-time-spent"}, {}, 254, "output mode must be specified\n"},
    {"character_mode_needs_map", {"-t", TOUCH, "-c"}, {}, 254, no_map},
    {"map_still_needed_with_x", {"-t", TOUCH, "-x", "-a"}, {}, 254, no_map},
    {"touch_checked_before_output", {"-c"}, {}, 254, no_touch},
};
const run_case opens[] = {
    {"touch", {"-t", no_file, "-x"}, {}, 254, "", perror_text(touch_fail, ENOENT)},
    {"touch_before_help", {"-t", no_file, "-h"}, {}, 254, "", perror_text(touch_fail, ENOENT)},
    {"vibra", {"-t", TOUCH, "-v", no_file, "-x"}, {}, 254, "", perror_text(vibra_fail, ENOENT)},
    {"map", {"--map-file=" + no_file, "-t", TOUCH, "-c"}, {}, 254, "", perror_text(map_fail, ENOENT)},
    {"vibra_directory", {"-t", TOUCH, "-v", "/", "-x"}, {}, 254, "", perror_text(vibra_fail, EISDIR)},
};
const run_case helps[] = {
    {"short", {"-h"}, {}, 0, help},
    {"long", {"--help"}, {}, 0, help},
    {"abbreviated", {"--he"}, {}, 0, help},
    {"stops_before_bad_touch", {"-h", "-t", no_file}, {}, 0, help},
    {"after_valid_options", {"-t", TOUCH, "-x", "-h"}, {}, 0, help},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(validation, cli, testing::ValuesIn(validation), row_name{});
INSTANTIATE_TEST_SUITE_P(opens, cli, testing::ValuesIn(opens), row_name{});
INSTANTIATE_TEST_SUITE_P(help, cli, testing::ValuesIn(helps), row_name{});

// A rejected option prints the parser's complaint and the help, and is an
// error: a misspelt option must not look like a tap at coordinates. The
// complaint is the C library's, in its own words, so only its shape is
// checked: one line on standard error.
struct rejected_case : test_case {
    std::vector<std::string> args;
};

using rejected = table<rejected_case>;

TEST_P(rejected, prints_the_complaint_and_the_help) {
    const rejected_case& c = GetParam();
    const child_result r = run_zentu(c.args);
    EXPECT_EQ(r.status, 254);
    EXPECT_EQ(r.out, help);
    EXPECT_GT(r.err.size(), 1U);
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

// clang-format off
const rejected_case rejections[] = {
    {"unknown_long", {"-t", TOUCH, "-x", "--bogus"}},
    {"unknown_short", {"-t", TOUCH, "-q"}},
    {"delay_without_argument", {"-t", TOUCH, "-x", "-d"}},
    {"ambiguous_abbreviation", {"-t", TOUCH, "-x", "--wait-for"}},
    {"argument_to_flag", {"-t", TOUCH, "--print-x=1"}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(rejected_options, rejected, testing::ValuesIn(rejections), row_name{});

// -k: taps in display pixels through a calibration file, with a map too,
// and the files it refuses.
const temp_path board("16 -8880 34043380 12130 72 -2479548 65536 800 480\n");
const temp_path few("16 -8880 34043380\n");
const temp_path junk("16 -8880 34043380 12130 72 -2479548 0x10000\n");
const temp_path zero("16 -8880 34043380 12130 72 -2479548 0\n");
const std::string phone = std::string(ZENTU_EXAMPLES) + "/phone.map";
const std::string few_said = "calibration " + few.path() + ": fewer than seven numbers (found 3)\n";

// clang-format off
const run_case calibrations[] = {
    {"coordinates_in_pixels", {"-t", TOUCH, "-k", board.path(), "-x", "-y"}, fingers("down 812 455"), 0, "458:112\n"},
    {"long_option_y_alone", {"-t", TOUCH, "--calibration=" + board.path(), "-y"}, fingers("down 812 455"), 0, "112\n"},
    // In pixels 200:19, the keypad's 3; as the device reported it, off the keypad
    {"key_in_pixels", {"-t", TOUCH, "-m", phone, "-k", board.path(), "-c"}, fingers("down 298 2358"), 3, "3"},
    {"file_missing", {"-t", TOUCH, "-k", no_file, "-x"}, {}, 254, "", perror_text("cannot open calibration " + no_file, ENOENT)},
    {"file_is_a_directory", {"-t", TOUCH, "-k", "/", "-x"}, {}, 254, "", perror_text("cannot open calibration /", EISDIR)},
    {"fewer_than_seven", {"-t", TOUCH, "-k", few.path(), "-x"}, {}, 254, "", few_said},
    {"junk", {"-t", TOUCH, "-k", junk.path(), "-x"}, {}, 254, "", "calibration " + junk.path() + ": a6 is not a whole decimal number\n"},
    {"divisor_zero", {"-t", TOUCH, "-k", zero.path(), "-x"}, {}, 254, "", "calibration " + zero.path() + ": the divisor a6 is 0\n"},
    {"read_when_met_before_validation", {"-k", few.path()}, {}, 254, "", few_said},
    {"an_earlier_failure_ends_the_run_first", {"-t", no_file, "-k", few.path(), "-x"}, {}, 254, "", perror_text(touch_fail, ENOENT)},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(calibration, cli, testing::ValuesIn(calibrations), row_name{});

// Every program names itself and the one version of the project; zentu
// also after options it has acted on, as for its help.
// clang-format off
const run_case versions[] = {
    {"zentu", {"-t", TOUCH, "-x", "--version"}, {}, 0, "zentu " ZENTU_VERSION "\n"},
    {"zentu_map", {"check", "--version"}, {}, 0, "zentu-map " ZENTU_VERSION "\n", "", {}, ZENTU_MAP},
    {"zentu_play", {"--no-pause", "--version"}, {}, 0, "zentu-play " ZENTU_VERSION "\n", "", {}, ZENTU_PLAY},
    {"zentu_probe", {"--version"}, {}, 0, "zentu-probe " ZENTU_VERSION "\n", "", {}, ZENTU_PROBE},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(version, cli, testing::ValuesIn(versions), row_name{});

}  // namespace
