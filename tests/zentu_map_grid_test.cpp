// SPDX-License-Identifier: MIT
// zentu-map grid and --area: grids checked by zentu-map's own check, and
// the arguments it refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "files.h"
#include "map_model.h"
#include "table.h"
#include "zentu_map.h"

namespace {

struct grid_case : test_case {
    const char* area;
    int columns;
    int rows;
};
using GridShape = table<grid_case>;

// Every point of the area in exactly one key: check finds no gap and no
// overlap. Keys of one row differ in width by one point at most.
TEST_P(GridShape, ChecksCleanWithEvenKeys) {
    const grid_case& c = GetParam();
    grid_spec g;
    ASSERT_EQ(parse_area(c.area, &g.area), nullptr);
    g.columns = c.columns;
    g.rows = c.rows;
    const size_t keys = static_cast<size_t>(c.columns) * static_cast<size_t>(c.rows);
    g.keys.assign(keys, 'k');
    ASSERT_EQ(grid_problem(g), nullptr);
    std::ostringstream map;
    write_grid(map, g);
    const std::string text = map.str();
    ASSERT_EQ(text.rfind("# zentu-map grid --area " + std::string(c.area) + " --cols ", 0), 0U)
        << text;

    const std::vector<map_line> lines = map_lines_of(text);
    std::ostringstream report;
    EXPECT_EQ(write_check(report, "g", lines, &g.area), 0) << report.str();
    EXPECT_NE(report.str().find("g: every point of the area is in an entry\n"), std::string::npos)
        << report.str();

    // The comment lines, then the keys.
    const size_t comments = lines.size() - keys;
    ASSERT_GE(comments, 1U);
    int64_t narrow = INT64_MAX;
    int64_t wide = 0;
    for (size_t k = comments; k < lines.size(); ++k) {
        const map_entry& e = lines[k].entry;
        ASSERT_EQ(lines[k].result, MAPLINE_ENTRY) << lines[k].raw;
        EXPECT_EQ(e.value, static_cast<int32_t>(k - comments + 1))
            << "values count from 1, row by row";
        const int64_t w = int64_t{e.x2} - e.x1;
        narrow = std::min(narrow, w);
        wide = std::max(wide, w);
    }
    EXPECT_LE(wide - narrow, 1) << text;
}

// clang-format off
const grid_case shapes[] = {
    {"one_point", "0..0x0..0", 1, 1},
    {"phone_keypad_resistive", "200..3900x200..3900", 3, 4},
    {"keys_240", "0..4095x0..4095", 16, 15},  // 16x16 would be 256, refused below
    {"keys_253_the_most", "0..99x0..99", 11, 23},
    {"remainders_both_axes", "0..9x0..6", 4, 3},
    {"negative_ranges", "-100..-1x-50..50", 7, 3},
    {"whole_32_bit_range", "-2147483647..2147483647x5..5", 3, 1},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Shapes, GridShape, testing::ValuesIn(shapes), row_name{});

struct refusal_case : test_case {
    std::vector<std::string> args;  // after "grid"
    const char* complaint;          // part of the one-line complaint
};
using GridRefusal = table<refusal_case>;

TEST_P(GridRefusal, ComplainsInOneLineAndWritesNothing) {
    std::vector<std::string> args = GetParam().args;
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(grid_command(static_cast<int>(argv.size()), argv.data(), out, err), -1);
    EXPECT_EQ(out.str(), "");
    const std::string e = err.str();
    EXPECT_EQ(e.rfind("zentu-map: ", 0), 0U) << e;
    EXPECT_NE(e.find(GetParam().complaint), std::string::npos) << e;
    EXPECT_EQ(e.find('\n'), e.size() - 1) << e;
}

// clang-format off
const refusal_case refusals[] = {
    {"keys_256", {"--area", "0..99x0..99", "--cols", "16", "--rows", "16", "--keys", std::string(256, 'k')}, "more than 253 keys"},
    {"keys_too_few", {"--area", "0..99x0..99", "--cols", "2", "--rows", "2", "--keys", "abc"}, "one character (byte) per key"},
    {"key_is_space", {"--area", "0..99x0..99", "--cols", "2", "--rows", "1", "--keys", "a "}, "a space"},
    {"area_too_narrow", {"--area", "0..2x0..99", "--cols", "4", "--rows", "1", "--keys", "abcd"}, "fewer points wide"},
    {"area_too_low", {"--area", "0..99x0..0", "--cols", "1", "--rows", "2", "--keys", "ab"}, "fewer points high"},
    {"no_area", {"--cols", "1", "--rows", "1", "--keys", "a"}, "grid needs --area"},
    {"no_cols", {"--area", "0..9x0..9", "--rows", "1", "--keys", "a"}, "grid needs --cols"},
    {"cols_zero", {"--area", "0..9x0..9", "--cols", "0", "--rows", "1", "--keys", "a"}, "--cols needs a whole number"},
    {"rows_not_number", {"--area", "0..9x0..9", "--cols", "1", "--rows=x", "--keys", "a"}, "--rows needs a whole number"},
    {"keys_no_value", {"--area", "0..9x0..9", "--cols", "1", "--rows", "1", "--keys"}, "--keys needs a value"},
    {"unknown_option", {"--area", "0..9x0..9", "--cols", "1", "--rows", "1", "--keys", "a", "--gap"}, "unexpected argument --gap"},
    {"area_no_value", {"--area"}, "--area needs a value"},
    {"screen_bad", {"--screen", "240"}, "--screen 240: not WIDTHxHEIGHT"},
    // Digits alone, and the same limit where a long has 32 bits.
    {"screen_beyond_32_bits", {"--screen", "99999999999x10"}, "not WIDTHxHEIGHT"},
    {"screen_with_plus", {"--screen", "240x+320"}, "not WIDTHxHEIGHT"},
    {"screen_with_space", {"--screen", " 240x320"}, "not WIDTHxHEIGHT"},
    // A later --keys would have been taken, the earlier copied into the map.
    {"control_in_earlier_keys", {"--area", "0..9x0..9", "--cols", "1", "--rows", "1", "--keys", "a\n0 0 9 9 7 z", "--keys", "a"}, "a control character in \"a\\n0 0 9 9 7 z\""},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Arguments, GridRefusal, testing::ValuesIn(refusals), row_name{});

// The comment says how the map was made in lines the map reader takes
// whole, whatever the keys, and once its "# " are gone it is that command.
TEST(GridComment, IsTheCommandInLinesReadWhole) {
    grid_spec g;
    ASSERT_EQ(parse_area("0..99x0..99", &g.area), nullptr);
    g.columns = 11;
    g.rows = 23;
    g.keys = std::string(100, '\'') + "#";
    while (g.keys.size() < GRID_MAX_KEYS) {
        g.keys += "\xc3\xa9";  // e acute, two bytes
    }
    ASSERT_EQ(grid_problem(g), nullptr);
    std::ostringstream map;
    write_grid(map, g);
    const std::vector<map_line> lines = map_lines_of(map.str());
    std::string script = "f() { printf %s \"$9\"; }\n";
    for (const map_line& m : lines) {
        EXPECT_EQ(m.pieces, 1) << m.raw;
        if (m.result != MAPLINE_ENTRY) {
            ASSERT_EQ(m.raw.rfind("# ", 0), 0U) << m.raw;
            script += m.raw.substr(2);
        }
    }
    script.replace(script.find("zentu-map grid"), 9, "f");
    const temp_path file(script);
    FILE* sh = popen(("sh " + file.path()).c_str(), "r");
    ASSERT_NE(sh, nullptr);
    std::string keys;
    for (int c = 0; (c = getc(sh)) != EOF;) {
        keys += static_cast<char>(c);
    }
    EXPECT_EQ(pclose(sh), 0);
    EXPECT_EQ(keys, g.keys);
}

struct area_case : test_case {
    const char* text;
    const char* problem;  // part of the reason, or null when it parses
    touch_area expected;
};
using AreaText = table<area_case>;

TEST_P(AreaText, ParsesOrSaysWhy) {
    const area_case& c = GetParam();
    touch_area a;
    const char* why = parse_area(c.text, &a);
    if (c.problem == nullptr) {
        ASSERT_EQ(why, nullptr) << why;
        EXPECT_EQ(a.x_min, c.expected.x_min);
        EXPECT_EQ(a.x_max, c.expected.x_max);
        EXPECT_EQ(a.y_min, c.expected.y_min);
        EXPECT_EQ(a.y_max, c.expected.y_max);
        EXPECT_FALSE(a.is_screen);
    } else {
        ASSERT_NE(why, nullptr);
        EXPECT_NE(std::string(why).find(c.problem), std::string::npos) << why;
    }
}

// clang-format off
const area_case areas[] = {
    {"resistive", "200..3900x180..3950", nullptr, {200, 3900, 180, 3950, false}},
    {"one_column_capital_x", "-5..-5X0..1", nullptr, {-5, -5, 0, 1, false}},
    {"widest", "-2147483647..2147483647x0..0", nullptr, {-2147483647, 2147483647, 0, 0, false}},
    {"beyond_32_bits", "0..2147483648x0..1", "not X1..X2xY1..Y2", {}},
    {"lowest_number", "-2147483648..0x0..1", "cannot start at -2147483648", {}},
    {"reversed", "10..9x0..1", "lower end of a range is above", {}},
    {"trailing_space", "0..9x0..1 ", "not X1..X2xY1..Y2", {}},
    {"leading_space", " 0..9x0..1", "not X1..X2xY1..Y2", {}},
    {"plus_sign", "+0..9x0..1", "not X1..X2xY1..Y2", {}},
    {"one_dot", "0.9x0..1", "not X1..X2xY1..Y2", {}},
    {"no_y_range", "0..9x", "not X1..X2xY1..Y2", {}},
    {"screen_form", "240x320", "not X1..X2xY1..Y2", {}},
    {"empty", "", "not X1..X2xY1..Y2", {}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Texts, AreaText, testing::ValuesIn(areas), row_name{});

TEST(AreaReport, SaysWhereAnEntryMustStartToReachTheLowEdges) {
    touch_area a;
    ASSERT_EQ(parse_area("200..299x300..399", &a), nullptr);
    std::ostringstream report;
    EXPECT_EQ(write_check(report, "m", map_lines_of("200 299 299 399 1 a\n"), &a), 1);
    EXPECT_NE(report.str().find("m: area 200..299x300..399: the points 200 <= x <= 299, 300 <= y "
                                "<= 399 (as a map rectangle, 199 < x <= 299, 299 < y <= 399)\n"),
              std::string::npos)
        << report.str();
    EXPECT_NE(report.str().find("needs x1 of 199 or y1 of 299\n"), std::string::npos)
        << report.str();
}

}  // namespace
