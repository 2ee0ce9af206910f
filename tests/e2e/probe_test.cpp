// SPDX-License-Identifier: MIT
// zentu-probe's command line and what it says of a directory without input
// devices; the devices themselves are in the kernel tests.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "child.h"
#include "files.h"
#include "table.h"

namespace {

// Stands for the test's node directory in an argument.
const std::string DIR = "@dir";

// Regular files, so each answers no input query: "other", "not-evdev".
const char* const NODES[] = {"event10", "event06", "event2", "event1", "event", "eventx", "mouse0"};

struct probe_case : test_case {
    std::vector<std::string> args;
    bool nodes;  // the directory holds NODES, else it is empty
    int status;
    const char* out;      // all of standard output
    const char* err;      // the start of standard error
    bool unread = false;  // standard output's reader has gone
};
using probe_runs = table<probe_case>;

TEST_P(probe_runs, end_as_documented) {
    const probe_case& c = GetParam();
    const temp_path dir(path_kind::directory);
    for (const char* name : NODES) {
        if (c.nodes) {
            std::ofstream(dir.path() + "/" + name).flush();
        }
    }
    std::vector<std::string> args;
    for (std::string a : c.args) {
        for (size_t at; (at = a.find(DIR)) != std::string::npos;) {
            a.replace(at, DIR.size(), dir.path());
        }
        args.push_back(a);
    }
    child_result r = run_program(ZENTU_PROBE, args, {.stdout_unread = c.unread});
    for (std::string* text : {&r.out, &r.err}) {
        for (size_t at; (at = text->find(dir.path())) != std::string::npos;) {
            text->replace(at, dir.path().size(), DIR);
        }
    }
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err.rfind(c.err, 0), 0U) << r.err;
    if (c.status == 2 && !c.unread) {
        EXPECT_EQ(r.err.find("\nusage: zentu-probe"), r.err.find('\n')) << "complaint, then usage";
    }
}

const std::string LISTED =
    "@dir/event1\tother\tnot-evdev\t-\t-\t-\t\t-\n"
    "@dir/event2\tother\tnot-evdev\t-\t-\t-\t\t-\n"
    "@dir/event06\tother\tnot-evdev\t-\t-\t-\t\t-\n"
    "@dir/event10\tother\tnot-evdev\t-\t-\t-\t\t-\n";

// Every word of the help, and that it goes to standard output with status 0.
const std::string HELP = read_file(std::string(ZENTU_TEST_DATA) + "/probe-help.txt");

// clang-format off
const probe_case runs[] = {
    {"help", {"-h"}, false, 0, HELP.c_str(), ""},
    {"unknown_option", {"--frob"}, false, 2, "", "zentu-probe: unknown argument --frob\n"},
    {"two_modes", {"--touch", "--vibra"}, false, 2, "", "zentu-probe: only one of --touch, --vibra and --area"},
    {"name_alone", {"--name", "x"}, false, 2, "", "zentu-probe: --name chooses for"},
    {"name_with_area_path", {"--area", "/dev/null", "--name", "x"}, false, 2, "", "zentu-probe: --name chooses for"},
    {"name_without_value", {"--touch", "--name"}, false, 2, "", "zentu-probe: a value is missing after --name\n"},
    {"wait_alone", {"--wait", "3"}, false, 2, "", "zentu-probe: --wait waits for --touch, --vibra or --area\n"},
    {"wait_beyond_32_bits", {"--touch", "--wait", "2147483648"}, false, 2, "", "zentu-probe: --wait takes a whole number of seconds, not 2147483648\n"},
    {"id_five_digits", {"--touch", "--id", "0eef:00001"}, false, 2, "", "zentu-probe: --id takes VENDOR:PRODUCT"},
    {"id_with_area_path", {"--area", "/dev/null", "--id", "1:2"}, false, 2, "", "zentu-probe: --id chooses for"},
    {"id_either_case", {"--touch", "--id", "0EeF:1", "--dir", DIR}, true, 1, "", "zentu-probe: no touch screen among 4 input devices\n"},
    // Neither the directory nor its parent to watch: still ends at the limit.
    {"wait_without_directory", {"--vibra", "--wait", "1", "--dir", DIR + "/none/input"}, false, 1, "", "zentu-probe: no input devices: cannot read @dir/none/input: "},
    {"list_sorted_by_number", {"--dir", DIR}, true, 0, LISTED.c_str(), ""},
    {"list_to_a_gone_reader", {"--dir", DIR}, true, 2, "", "zentu-probe: cannot write", true},
    {"list_empty", {"--dir", DIR}, false, 1, "", "zentu-probe: no input devices in @dir\n"},
    {"list_unreadable_dir", {"--dir", DIR + "/none"}, false, 1, "", "zentu-probe: no input devices: cannot read @dir/none: "},
    {"touch_empty", {"--touch", "--dir", DIR}, false, 1, "", "zentu-probe: no input devices in @dir\n"},
    {"touch_none", {"--touch", "--dir", DIR}, true, 1, "", "zentu-probe: no touch screen among 4 input devices\n"},
    {"vibra_none", {"--dir", DIR, "--vibra"}, true, 1, "", "zentu-probe: no force-feedback device among 4 input devices\n"},
    {"area_none", {"--area", "--dir", DIR}, true, 1, "", "zentu-probe: no touch screen among 4 input devices\n"},
    {"area_of_a_file", {"--area", DIR + "/event2"}, true, 1, "", "zentu-probe: @dir/event2 is not a touch screen (not-evdev)\n"},
    {"area_of_nothing", {"--area", DIR + "/event3"}, true, 1, "", "zentu-probe: @dir/event3 could not be opened: "},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(probe, probe_runs, testing::ValuesIn(runs), row_name{});

// The directory is escaped in the listing as names are, so that no byte of
// it can split a record.
TEST(probe_listing, escapes_the_directory) {
    const temp_path dir(path_kind::directory);
    const std::string odd = dir.path() + "/a\tb\nc\\";
    ASSERT_EQ(mkdir(odd.c_str(), 0755), 0);
    std::ofstream(odd + "/event3").flush();
    const child_result r = run_program(ZENTU_PROBE, {"--dir", odd});
    EXPECT_EQ(r.out, dir.path() + "/a\\x09b\\x0ac\\\\/event3\tother\tnot-evdev\t-\t-\t-\t\t-\n");
}

}  // namespace
