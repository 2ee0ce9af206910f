// The command line through the binary: validation, failed opens, help,
// rejected options.
#include <gtest/gtest.h>

#include "child.h"
#include "files.h"
#include "table.h"

namespace {

std::string help_text() {
    return read_file(std::string(ZENTU_TEST_DATA) + "/help.txt");
}

struct cli_case : test_case {
    std::vector<std::string> args;
    int status;
    std::string out;  // "@help" stands for the help text
    std::string err;  // must appear in standard error ("" : must be empty)
};

using cli = table<cli_case>;

TEST_P(cli, prints_and_ends_as_documented) {
    const cli_case& c = GetParam();
    const child_result r = run_zentu(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out == "@help" ? help_text() : c.out);
    if (c.err.empty()) {
        EXPECT_EQ(r.err, "");
    } else {
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
}

const std::string no_file = "/nonexistent/zentu-test";
const std::string enoent = ": No such file or directory\n";

INSTANTIATE_TEST_SUITE_P(
    validation, cli,
    testing::Values(
        cli_case{"no_arguments", {}, 254, "touch input device is mandatory parameter\n", ""},
        cli_case{
            "only_outputs", {"-x", "-y"}, 254, "touch input device is mandatory parameter\n", ""},
        cli_case{"time_spent_is_no_output_mode",
                 {"-t", TOUCH, "--print-time-spent"},
                 254,
                 "output mode must be specified\n",
                 ""},
        cli_case{"character_mode_needs_map",
                 {"-t", TOUCH, "-c"},
                 254,
                 "there is no mapping table\n",
                 ""},
        cli_case{"map_still_needed_with_x",
                 {"-t", TOUCH, "-x", "-a"},
                 254,
                 "there is no mapping table\n",
                 ""},
        cli_case{"touch_checked_before_output",
                 {"-c"},
                 254,
                 "touch input device is mandatory parameter\n",
                 ""}),
    row_name{});

INSTANTIATE_TEST_SUITE_P(
    opens, cli,
    testing::Values(
        cli_case{
            "touch", {"-t", no_file, "-x"}, 254, "", "cannot open touch input device" + enoent},
        cli_case{"touch_before_help",
                 {"-t", no_file, "-h"},
                 254,
                 "",
                 "cannot open touch input device" + enoent},
        cli_case{"vibra",
                 {"-t", TOUCH, "-v", no_file, "-x"},
                 254,
                 "",
                 "cannot open vibration output device" + enoent},
        cli_case{"map",
                 {"--map-file=" + no_file, "-t", TOUCH, "-c"},
                 254,
                 "",
                 "cannot open mapping table" + enoent},
        cli_case{"vibra_directory",
                 {"-t", TOUCH, "-v", "/", "-x"},
                 254,
                 "",
                 "cannot open vibration output device: Is a directory\n"}),
    row_name{});

INSTANTIATE_TEST_SUITE_P(
    help, cli,
    testing::Values(cli_case{"short", {"-h"}, 0, "@help", ""},
                    cli_case{"long", {"--help"}, 0, "@help", ""},
                    cli_case{"abbreviated", {"--he"}, 0, "@help", ""},
                    cli_case{"stops_before_bad_touch", {"-h", "-t", no_file}, 0, "@help", ""},
                    cli_case{"after_valid_options", {"-t", TOUCH, "-x", "-h"}, 0, "@help", ""}),
    row_name{});

// A rejected option prints the parser's complaint and the help, and is an
// error: a misspelt option must not look like a tap at coordinates.
INSTANTIATE_TEST_SUITE_P(
    rejected, cli,
    testing::Values(
        cli_case{
            "unknown_long", {"-t", TOUCH, "-x", "--bogus"}, 254, "@help", "unrecognized option"},
        cli_case{"unknown_short", {"-t", TOUCH, "-q"}, 254, "@help", "invalid option"},
        cli_case{"delay_without_argument",
                 {"-t", TOUCH, "-x", "-d"},
                 254,
                 "@help",
                 "requires an argument"},
        cli_case{
            "ambiguous_abbreviation", {"-t", TOUCH, "-x", "--wait-for"}, 254, "@help", "ambiguous"},
        cli_case{"argument_to_flag",
                 {"-t", TOUCH, "--print-x=1"},
                 254,
                 "@help",
                 "doesn't allow an argument"}),
    row_name{});

}  // namespace
