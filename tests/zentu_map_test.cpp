// SPDX-License-Identifier: MIT
// zentu-map: what check reports for maps made to trip each warning, its
// analysis against a point-by-point model, the limits of its reports, and
// the built tool on the example maps and on outputs that fail.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "child.h"
#include "files.h"
#include "map_model.h"
#include "table.h"
#include "zentu_map.h"

namespace {

struct report {
    std::string text;
    int warnings;
};

report check_text(const std::string& map, const touch_area* screen = nullptr) {
    std::ostringstream out;
    const int warnings = write_check(out, "m", map_lines_of(map), screen);
    return {out.str(), warnings};
}

struct check_case : test_case {
    std::string map;
    int warnings;
    std::vector<std::string> expected;  // report lines that must appear
};
using CheckCase = table<check_case>;

TEST_P(CheckCase, ReportsWhatZentuReads) {
    const check_case& c = GetParam();
    const report r = check_text(c.map);
    EXPECT_EQ(r.warnings, c.warnings) << r.text;
    for (const std::string& line : c.expected) {
        EXPECT_NE(r.text.find(line + "\n"), std::string::npos) << "missing: " << line << "\n"
                                                               << r.text;
    }
}

const std::string kLong199 = "#" + std::string(198, 'x');  // one full piece

// count entries i < x <= i + 1, 0 < y <= 10, with values clear of the statuses.
std::string strips(int count) {
    std::string map;
    for (int i = 0; i < count; ++i) {
        map += std::to_string(i) + " 0 " + std::to_string(i + 1) + " 10 7 s\n";
    }
    return map;
}

// "line 1, line 2, ..., line count"
std::string line_list(int count) {
    std::string list;
    for (int i = 1; i <= count; ++i) {
        list += (i > 1 ? ", line " : "line ") + std::to_string(i);
    }
    return list;
}

INSTANTIATE_TEST_SUITE_P(
    Maps, CheckCase,
    testing::Values(
        check_case{"Clean",
                   "# keys\n\n   \n\t\n-1 -1 10 10 1 a\n10 -1 20 10 2 b\r\n",
                   0,
                   {"m:1: skipped: comment", "m:2: skipped: blank", "m:3: skipped: blank",
                    "m:4: skipped: blank",
                    "m:5: entry -1 < x <= 10, -1 < y <= 10: character 'a', value 1, exit status 1",
                    "m:6: entry 10 < x <= 20, -1 < y <= 10: character 'b', value 2, exit status 2",
                    "m: 2 entries, 4 skipped, 0 warnings"}},
        check_case{"TabJoinsFields",
                   "0\t0 10 10 5 A\n",
                   2,
                   {"m:1: warning: skipped: fewer than six fields (5); a tab joins field 1 "
                    "\"0\\t0\" (only a space separates fields)"}},
        check_case{"CarriageReturnJoinsFields",
                   "0 0 10 10\r5 A\n",
                   2,
                   {"m:1: warning: skipped: fewer than six fields (5); a carriage return joins "
                    "field 4 \"10\\r5\" (only a space separates fields)"}},
        check_case{"TabShiftsTheFields",
                   "0\t0 10 10 5 A B\n",
                   3,
                   {"m:1: entry 0 < x <= 10, 10 < y <= 5: character 'B', value 0, exit status 0",
                    "m:1: warning: empty rectangle (y1 >= y2): no tap is ever inside it",
                    "m:1: warning: exit status 0 is also the one for success",
                    "m:1: warning: a tab joins field 1 \"0\\t0\" (only a space separates "
                    "fields), so the numbers after it are shifted"}},
        check_case{"TrailingSpace",
                   "0 0 10 10 5 \n",
                   1,
                   {"m:1: entry 0 < x <= 10, 0 < y <= 10: character code 10 (newline), value 5, "
                    "exit status 5",
                    "m:1: warning: the character is the newline at the line's end: a space "
                    "before it made it the sixth field"}},
        check_case{"Values",
                   "0 0 1 1 256 a\n1 0 2 1 254 b\n2 0 3 1 -1 c\n3 0 4 1 300 d\n4 0 5 1 255 e\n",
                   5,
                   {"m:1: warning: value 256 is outside 0 to 255: the caller sees exit status 0; "
                    "exit status 0 is also the one for success",
                    "m:2: warning: exit status 254 is also the one for an error",
                    "m:3: warning: value -1 is outside 0 to 255: the caller sees exit status 255; "
                    "exit status 255 is also the one for a timeout or a tap that no entry holds",
                    "m:4: warning: value 300 is outside 0 to 255: the caller sees exit status 44",
                    "m:5: warning: exit status 255 is also the one for a timeout or a tap that no "
                    "entry holds"}},
        check_case{"Overlaps",
                   "0 0 100 100 1 a\n10 10 50 50 2 b\n50 50 150 150 3 c\n0 0 200 200 4 d\n",
                   4,
                   {"m:2: warning: wholly hidden by earlier entries (line 1): no tap reaches it",
                    "m:3: warning: partly overlaps line 1 on 50 < x <= 100, 50 < y <= 100, where "
                    "line 1 comes first and takes 2500 of 10000 points",
                    "m:4: warning: partly overlaps line 1 on 0 < x <= 100, 0 < y <= 100, where "
                    "line 1 comes first and takes 10000 of 40000 points",
                    // line 2 takes nothing of it: line 1 has all of line 2's points
                    "m:4: warning: partly overlaps line 3 on 50 < x <= 150, 50 < y <= 150, where "
                    "line 3 comes first and takes 7500 of 40000 points"}},
        check_case{"HiddenByTwo",
                   "0 0 10 10 1 a\n10 0 20 10 2 b\n5 0 15 10 3 c\n",
                   1,
                   {"m:3: warning: wholly hidden by earlier entries (line 1, line 2): no tap "
                    "reaches it"}},
        check_case{"SharedEdgeIsNoOverlap", "0 0 10 10 1 a\n10 0 20 10 2 b\n", 0, {}},
        check_case{"EmptyRectangles",
                   "10 0 10 5 1 a\n0 5 10 5 2 b\n",
                   2,
                   {"m:1: warning: empty rectangle (x1 >= x2): no tap is ever inside it",
                    "m:2: warning: empty rectangle (y1 >= y2): no tap is ever inside it"}},
        check_case{"NulByte",
                   std::string("0 0 10 10 5 a\0xyz\n", 18) + std::string("\0 0 0 10 10 5 b\n", 16),
                   2,
                   {"m:1: entry 0 < x <= 10, 0 < y <= 10: character 'a', value 5, exit status 5",
                    "m:1: warning: a NUL byte ends the text: zentu ignores the 5 bytes from it to "
                    "the end of the piece",
                    "m:2: warning: skipped: blank; text after a NUL byte ignored (16 bytes from "
                    "the NUL on)"}},
        check_case{"LongLineSecondPieceIsAnEntry",
                   kLong199 + "0 0 10 10 5 z\n1 1 2 2 6 y\n",
                   2,
                   {"m:1, piece 1: skipped: comment",
                    "m:1, piece 1: warning: line longer than 199 characters: zentu reads it as 2 "
                    "pieces, each a line of its own",
                    "m:1, piece 2: entry 0 < x <= 10, 0 < y <= 10: character 'z', value 5, exit "
                    "status 5",
                    "m:2: entry 1 < x <= 2, 1 < y <= 2: character 'y', value 6, exit status 6",
                    "m:2: warning: wholly hidden by earlier entries (line 1, piece 2): no tap "
                    "reaches it"}},
        check_case{"NewlineAfter199IsASecondPiece",
                   kLong199 + "\n",
                   2,
                   {"m:1, piece 2: skipped: a piece of a line longer than 199 characters, read "
                    "as a line of its own (blank)"}},
        check_case{"Exactly199AtEndOfFileIsOnePiece", kLong199, 1, {"m:1: skipped: comment"}},
        // A letter O for a zero; a byte-order mark before the first number.
        check_case{"NumbersNotAllDigits",
                   "\xef\xbb\xbf-1 -1 1O0 10 5 a\n",
                   2,
                   {"m:1: warning: field 1 \"\\xef\\xbb\\xbf-1\" is not a whole number: zentu "
                    "reads it as 0",
                    "m:1: warning: field 3 \"1O0\" is not a whole number: zentu reads it as 1"}},
        check_case{"TooFewFieldsWithoutHint",
                   "0 0 10 10 5\n",
                   2,
                   {"m:1: warning: skipped: fewer than six fields (5)"}},
        check_case{"NoEntries",
                   "# nothing yet\n",
                   1,
                   {"m: warning: no entries: zentu answers every tap with 255",
                    "m: 0 entries, 1 skipped, 1 warning"}},
        check_case{
            "EmptyFile", "", 1, {"m: warning: no entries: zentu answers every tap with 255"}},
        // Past a hundred earlier entries, the rest are counted, not named.
        check_case{"ManyHiders",
                   strips(101) + "0 0 101 10 1 w\n",
                   1,
                   {"m:102: warning: wholly hidden by earlier entries (" + line_list(100) +
                    " and 1 more): no tap reaches it"}},
        check_case{"ManyPartialOverlaps",
                   strips(102) + "0 0 200 10 1 w\n",
                   101,
                   {"m:103: warning: partly overlaps line 100 on 99 < x <= 100, 0 < y <= 10, where "
                    "line 100 comes first and takes 10 of 2000 points",
                    "m:103: warning: partly overlaps 2 more earlier entries, which take 20 of 2000 "
                    "points"}}),
    row_name{});

TEST(CheckScreen, ReportsEveryUncoveredPart) {
    const touch_area screen = screen_area(100, 100);
    const report r = check_text("0 0 100 100 1 a\n", &screen);
    EXPECT_EQ(r.warnings, 2) << r.text;
    EXPECT_NE(r.text.find("m: screen 100x100: the points 0 <= x <= 99, 0 <= y <= 99 (as a map "
                          "rectangle, -1 < x <= 99, -1 < y <= 99)\n"),
              std::string::npos)
        << r.text;
    // The lower bounds are exclusive: row y = 0 and column x = 0 stay free.
    EXPECT_NE(r.text.find("m: warning: no entry holds -1 < x <= 99, -1 < y <= 0 (100 points)"),
              std::string::npos)
        << r.text;
    EXPECT_NE(r.text.find("m: warning: no entry holds -1 < x <= 0, 0 < y <= 99 (99 points)"),
              std::string::npos)
        << r.text;
    EXPECT_NE(r.text.find("m: note: the lower bounds are exclusive"), std::string::npos);
}

TEST(CheckScreen, FullCoverHasNoWarning) {
    const touch_area screen = screen_area(20, 10);
    const report r = check_text("-1 -1 9 9 1 a\n9 -1 19 9 2 b\n", &screen);
    EXPECT_EQ(r.warnings, 0) << r.text;
    EXPECT_NE(r.text.find("m: every point of the screen is in an entry\n"), std::string::npos);
}

// Small maps from a fixed pseudo-random sequence, empty rectangles and
// repeated entries included.
std::vector<map_entry> random_map(unsigned* seed) {
    auto next = [seed](int range) {
        *seed = *seed * 1103515245U + 12345U;
        return static_cast<int32_t>((*seed >> 16) % static_cast<unsigned>(range));
    };
    std::vector<map_entry> entries(static_cast<size_t>(next(13)));
    for (size_t i = 0; i < entries.size(); ++i) {
        map_entry& e = entries[i];
        e = {next(40) - 3, next(30) - 3, 0, 0, 0, 'k'};
        e.x2 = e.x1 + next(25) - 2;
        e.y2 = e.y1 + next(20) - 2;
        if (i > 0 && next(6) == 0) {
            e = entries[i - 1];
        }
    }
    return entries;
}

TEST(Analysis, AgreesWithThePointByPointModel) {
    unsigned seed = 7;
    const map_entry screen = area_box(screen_area(40, 30));
    const map_entry offset = area_box({-5, 20, 3, 33, false});
    for (int round = 0; round < 300; ++round) {
        const std::vector<map_entry> entries = random_map(&seed);
        for (const map_entry* s : {&screen, &offset, static_cast<const map_entry*>(nullptr)}) {
            const map_analysis a =
                analyse_entries(entries, s, screen, default_limits(entries.size(), true));
            ASSERT_EQ(compare_with_model(a, entries, s), "") << "round " << round;
        }
    }
}

TEST(Analysis, ExtremeBoundsDoNotOverflow) {
    const map_entry all{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1, 'a'};
    const map_entry corner{INT32_MAX - 1, INT32_MAX - 1, INT32_MAX, INT32_MAX, 2, 'b'};
    const map_analysis a = analyse_entries({all, corner, all}, &all, all, default_limits(3, true));
    EXPECT_EQ(a.won, (std::vector<uint64_t>{box_points(all), 0, 0}));
    ASSERT_EQ(a.taken.size(), 2U);
    EXPECT_EQ(a.taken[0].points, 1U);
    EXPECT_EQ(a.taken[1].points, box_points(all));
    EXPECT_EQ(box_points(a.overlaps.at(0)), box_points(all));
}

// Strips across strips: the answer outgrows a small budget, so coverage is
// left out first and then the entries from the end, and the report says so.
TEST(Analysis, StopsWithinItsBudget) {
    std::vector<map_entry> entries;
    for (int32_t i = 0; i < 40; ++i) {
        entries.push_back({0, 2 * i, 80, 2 * i + 1, 1, 'h'});
    }
    for (int32_t i = 0; i < 40; ++i) {
        entries.push_back({2 * i, 0, 2 * i + 1, 80, 2, 'v'});
    }
    const map_entry screen = area_box(screen_area(80, 80));
    analysis_limits limits = default_limits(entries.size(), false);
    EXPECT_EQ(analyse_entries(entries, &screen, screen, limits).analysed, entries.size());
    limits.budget = 1000;
    const map_analysis a = analyse_entries(entries, &screen, screen, limits);
    EXPECT_FALSE(a.coverage);
    EXPECT_LT(a.analysed, entries.size());
    EXPECT_GE(a.analysed, 40U);
    const std::vector<map_entry> prefix(entries.begin(),
                                        entries.begin() + static_cast<long>(a.analysed));
    EXPECT_EQ(compare_with_model(a, prefix, nullptr), "");
}

// --- The built tool. ---

child_result tool(const std::vector<std::string>& args, const child_setup& setup = {}) {
    return run_program(ZENTU_MAP, args, setup);
}

std::string example(const char* name) {
    return std::string(ZENTU_EXAMPLES) + "/" + name;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) {
        ++n;
    }
    return n;
}

TEST(ZentuMapTool, ChecksThePhoneKeypad) {
    const child_result r = tool({"check", example("phone.map"), "--screen", "240x320"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(count(r.out, ": entry "), 12U) << r.out;
    EXPECT_NE(r.out.find(":9: entry -1 < x <= 79, -1 < y <= 79: character '1', value 1, exit "
                         "status 1\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("every point of the screen is in an entry\n"), std::string::npos);
    EXPECT_NE(r.out.find(": 12 entries, 8 skipped, 0 warnings\n"), std::string::npos) << r.out;
}

TEST(ZentuMapTool, YesNoDialogLeavesTheRestOfTheScreenFree) {
    EXPECT_EQ(tool({"check", example("yesno.map")}).status, 0);
    const child_result r = tool({"check", example("yesno.map"), "--screen", "800x480"});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("warning: no entry holds 380 < x <= 420, 300 < y <= 420 (4800 points)"),
              std::string::npos)
        << r.out;
}

TEST(ZentuMapTool, ChecksTheGridItWrites) {
    const child_result grid = tool({"grid", "--area", "200..3900x200..3900", "--cols", "3",
                                    "--rows", "4", "--keys", "123456789*0#"});
    ASSERT_EQ(grid.status, 0) << grid.err;
    const temp_path map(grid.out);
    child_setup from_stdin;
    from_stdin.stdin_path = map.path();
    const child_result r = tool({"check", "-", "--area", "200..3900x200..3900"}, from_stdin);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("-: 12 entries, 1 skipped, 0 warnings\n"), std::string::npos) << r.out;
}

const std::string usage_start = "usage: zentu-map check MAP";
const std::string full = perror_text("zentu-map: cannot write the output", ENOSPC);

struct tool_case : test_case {
    std::vector<std::string> args;
    int status;
    std::string err;  // standard error starts with it
    child_setup setup = {};
    std::string out = "";  // standard output starts with it
};
using ZentuMapEnds = table<tool_case>;

child_setup out_to(const char* path) {
    child_setup s;
    s.stdout_path = path;
    return s;
}

child_setup stdout_closed() {
    child_setup s;
    s.close_stdout = true;
    return s;
}

// Every failure says what failed, in one line, with a status of its own.
TEST_P(ZentuMapEnds, WithItsStatusAndAMessage) {
    const tool_case& c = GetParam();
    std::vector<std::string> args = c.args;
    for (std::string& a : args) {
        a = a == "@phone" ? example("phone.map") : a;
    }
    const child_result r = tool(args, c.setup);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
    EXPECT_EQ(r.out.substr(0, c.out.size()), c.out);
    // A wrong command line: the complaint in one line, then the usage.
    if (c.status == 2 && c.err.rfind("zentu-map: cannot", 0) != 0) {
        EXPECT_EQ(r.err.substr(r.err.find('\n') + 1, usage_start.size()), usage_start) << r.err;
    }
}

// clang-format off
const tool_case tool_rows[] = {
    {"missing_map", {"check", "/nonexistent/zentu.map"}, 2, perror_text("zentu-map: cannot read /nonexistent/zentu.map", ENOENT)},
    {"directory_map", {"svg", "/tmp"}, 2, perror_text("zentu-map: cannot read /tmp", EISDIR)},
    {"no_command", {}, 2, "zentu-map: no command\n"},
    {"unknown_command", {"chek", "@phone"}, 2, "zentu-map: unknown command chek\n"},
    {"no_map", {"check"}, 2, "zentu-map: no map file\n"},
    {"screen_zero", {"check", "@phone", "--screen", "0x320"}, 2, "zentu-map: "},
    {"screen_one_number", {"check", "@phone", "--screen", "240"}, 2, "zentu-map: "},
    {"unknown_option", {"check", "@phone", "--screne", "10x10"}, 2, "zentu-map: unexpected argument --screne\n"},
    {"bad_area", {"svg", "@phone", "--area", "0..9"}, 2, "zentu-map: "},
    {"grid_keys", {"grid", "--area", "0..9x0..9", "--cols", "1", "--rows", "1", "--keys", "ab"}, 2, "zentu-map: "},
    {"help", {"-h"}, 0, ""},
    {"help_after_command", {"check", "--help"}, 0, ""},
    {"keys_that_look_like_help", {"grid", "--area", "0..9x0..9", "--cols", "2", "--rows", "1", "--keys", "-h"}, 0, "", {}, "# zentu-map grid --area 0..9x0..9 --cols 2 --rows 1 --keys -h\n"},
    {"screen_and_area", {"check", "@phone", "--screen", "10x10", "--area", "0..9x0..9"}, 2, "zentu-map: give one --screen or --area, not two\n"},
    {"warnings", {"check", "@phone", "--screen", "500x500"}, 1, ""},
    {"check_full", {"check", "@phone"}, 2, full, out_to("/dev/full")},
    {"svg_full", {"svg", "@phone"}, 2, full, out_to("/dev/full")},
    {"grid_full", {"grid", "--area", "0..9x0..9", "--cols", "1", "--rows", "1", "--keys", "a"}, 2, full, out_to("/dev/full")},
    {"help_full", {"--help"}, 2, full, out_to("/dev/full")},
    {"check_closed", {"check", "@phone"}, 2, perror_text("zentu-map: cannot write the output", EBADF), stdout_closed()},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Failures, ZentuMapEnds, testing::ValuesIn(tool_rows), row_name{});

TEST(ZentuMapTool, HelpGoesToStandardOutput) {
    const child_result r = tool({"--help"});
    EXPECT_EQ(r.out.substr(0, usage_start.size()), usage_start);
    EXPECT_EQ(r.err, "");
}

void expect_valid_svg(const std::string& svg) {
    if (std::string(ZENTU_XMLLINT).empty()) {
        GTEST_SKIP() << "no xmllint to check the SVG with (.ci/run installs it)";
    }
    const temp_path file(svg);
    // xmllint runs on the host, also when the tool runs under an emulator.
    EXPECT_EQ(system((std::string(ZENTU_XMLLINT) + " --noout " + file.path()).c_str()), 0);
}

bool has_rect(const std::string& svg, const std::string& cls, int line, const map_entry& b) {
    std::string attrs = "<rect class=\"" + cls + "\"";
    if (line > 0) {
        attrs += " data-line=\"" + std::to_string(line) + "\"";
    }
    attrs += " data-x1=\"" + std::to_string(b.x1) + "\" data-y1=\"" + std::to_string(b.y1) +
             "\" data-x2=\"" + std::to_string(b.x2) + "\" data-y2=\"" + std::to_string(b.y2) + "\"";
    return svg.find(attrs) != std::string::npos;
}

TEST(ZentuMapSvg, DrawsEveryKeyOfThePhoneKeypad) {
    const child_result r = tool({"svg", example("phone.map"), "--screen", "240x320"});
    ASSERT_EQ(r.status, 0);
    expect_valid_svg(r.out);
    EXPECT_EQ(count(r.out, "<rect class=\"entry\""), 12U);
    const int32_t cols[] = {-1, 79, 159, 239};
    const int32_t rows[] = {-1, 79, 159, 239, 319};
    for (int k = 0; k < 12; ++k) {
        const map_entry key{cols[k % 3], rows[k / 3], cols[k % 3 + 1], rows[k / 3 + 1], 0, 0};
        EXPECT_TRUE(has_rect(r.out, "entry", 9 + k, key)) << "key on line " << 9 + k;
    }
    EXPECT_EQ(count(r.out, "class=\"overlap\""), 0U);
    EXPECT_EQ(count(r.out, "class=\"uncovered\""), 0U);
    EXPECT_NE(r.out.find(">#</text>"), std::string::npos);
}

TEST(ZentuMapSvg, MarksOverlapsHiddenEntriesAndGaps) {
    const temp_path map("0 0 100 100 1 <\n10 10 50 50 2 &\n50 50 150 150 3 \"\n");
    const child_result r = tool({"svg", map.path(), "--screen", "200x200"});
    ASSERT_EQ(r.status, 0);
    expect_valid_svg(r.out);
    EXPECT_TRUE(has_rect(r.out, "entry", 1, {0, 0, 100, 100, 0, 0}));
    EXPECT_TRUE(has_rect(r.out, "entry", 3, {50, 50, 150, 150, 0, 0}));
    EXPECT_NE(r.out.find("<rect class=\"hidden\" data-line=\"2\""), std::string::npos);
    EXPECT_GT(count(r.out, "class=\"overlap\""), 0U);
    EXPECT_TRUE(has_rect(r.out, "uncovered", 0, {-1, -1, 199, 0, 0, 0}));
    // Drawn last first, so that the entry a tap reaches lies on top.
    EXPECT_LT(r.out.find("data-line=\"3\""), r.out.find("data-line=\"1\""));
    EXPECT_NE(r.out.find(">&lt;</text>"), std::string::npos);
}

// The picture in the README is what the tool draws today.
TEST(ZentuMapSvg, DocsPictureIsCurrent) {
    const std::string committed = read_file(std::string(ZENTU_MAP_DOCS) + "/phone.svg");
    ASSERT_FALSE(committed.empty()) << "docs/phone.svg is missing";
    EXPECT_EQ(committed, tool({"svg", example("phone.map"), "--screen", "240x320"}).out)
        << "regenerate docs/phone.svg with zentu-map svg examples/phone.map --screen 240x320";
}

}  // namespace
