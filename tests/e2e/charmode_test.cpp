// Character mode through the binary: the map entry's character or code,
// the time spent, and its value as exit status.
#include <gtest/gtest.h>

#include <cerrno>

#include "child.h"
#include "files.h"
#include "table.h"

namespace {

// Two buttons side by side, then a few odd values.
const char* const keypad =
    "# two buttons\n"
    "0 0 100 100 7 A\n"
    "100 0 200 100 1 B\n"
    "0 100 100 200 300 C\n"
    "100 100 200 200 -2 D\n"
    "200 0 300 100 3 \xE9\n";

struct char_case : test_case {
    std::vector<std::string> flags;
    int32_t x;
    int32_t y;
    int status;
    std::string out;
};

using character_mode = table<char_case>;

TEST_P(character_mode, prints_the_entry_and_ends_with_its_value) {
    const char_case& c = GetParam();
    temp_path map(keypad);
    std::vector<std::string> args = {"-t", TOUCH, "-m", map.path()};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    const child_result r = run_zentu(args, with_touch({{0, finger_down(c.x, c.y)}}));
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
}

// clang-format off
const char_case taps[] = {
    {"character", {"-c"}, 50, 50, 7, "A"},
    {"code", {"-a"}, 50, 50, 7, "65"},
    {"code_wins_after_c", {"-c", "-a"}, 50, 50, 7, "65"},
    {"code_wins_before_c", {"-a", "-c"}, 50, 50, 7, "65"},
    {"coordinates_not_printed", {"-x", "-y", "-c"}, 50, 50, 7, "A"},
    {"c_before_x", {"-c", "-x"}, 150, 50, 1, "B"},
    {"shared_edge_belongs_to_upper_bound", {"-c"}, 100, 50, 7, "A"},
    {"value_beyond_255", {"-c"}, 50, 150, 44, "C"},
    {"negative_value", {"-c"}, 150, 150, 254, "D"},
    {"high_byte", {"-c"}, 250, 50, 3, "\xE9"},
    {"high_byte_code", {"-a"}, 250, 50, 3, "233"},
    {"no_match", {"-c"}, 500, 500, 255, ""},
    {"lower_bound_is_outside", {"-c"}, 0, 50, 255, ""},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(taps, character_mode, testing::ValuesIn(taps), row_name{});

TEST(character_mode_time, follows_the_character_or_stands_alone) {
    temp_path map(keypad);
    child_setup setup;
    setup.touch_steps = {{0, finger_down(150, 50)}};
    child_result r = run_zentu({"-t", TOUCH, "-m", map.path(), "-c", "--print-time-spent"}, setup);
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.out.substr(0, 2), "B;");
    EXPECT_LT(std::stol(r.out.substr(2)), 150);

    setup.touch_steps = {{0, finger_down(900, 900)}};
    r = run_zentu({"-t", TOUCH, "-m", map.path(), "-a", "--print-time-spent"}, setup);
    EXPECT_EQ(r.status, 255);
    ASSERT_EQ(r.out.substr(0, 1), ";");
    EXPECT_EQ(r.out.find('\n'), std::string::npos);
}

using map_files = table<run_case>;

TEST_P(map_files, end_as_documented) {
    expect_run(GetParam());
}

const temp_path keypad_map(keypad);
const temp_path empty("");
const temp_path first("0 0 10 10 1 F\n");
const temp_path second("0 0 10 10 2 S\n");
const std::string full = perror_text("cannot write standard output", ENOSPC);

// clang-format off
const run_case edges[] = {
    {"empty_map", {"-t", TOUCH, "-m", empty.path(), "-c"}, {{0, finger_down(1, 1)}}, 255, ""},
    {"empty_map_timeout", {"-t", TOUCH, "-m", empty.path(), "-c", "-d", "200", "--print-time-spent"}, {}, 255, "timeout\n"},
    {"the_later_map_file_is_used", {"-t", TOUCH, "-m", first.path(), "-m", second.path(), "-c"}, {{0, finger_down(5, 5)}}, 2, "S"},
    {"lost_output_never_returns_the_buttons_value", {"-t", TOUCH, "-m", keypad_map.path(), "-c"}, {{0, finger_down(50, 50)}}, 254, "", full, false, "/dev/full"},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(character_mode_edges, map_files, testing::ValuesIn(edges), row_name{});

}  // namespace

namespace {

// The bundled keypad covers every pixel of its 240x320 screen, corners too.
TEST(example_maps, phone_keypad_covers_the_screen) {
    const std::string map = std::string(ZENTU_EXAMPLES) + "/phone.map";
    const struct {
        int32_t x, y;
        int status;
        const char* out;
    } taps[] = {{0, 0, 1, "1"},      {120, 120, 5, "5"},  {239, 0, 3, "3"},
                {79, 79, 1, "1"},    {80, 80, 5, "5"},    {0, 319, 11, "*"},
                {120, 300, 10, "0"}, {239, 319, 12, "#"}, {240, 100, 255, ""}};
    for (const auto& t : taps) {
        const child_result r =
            run_zentu({"-t", TOUCH, "-m", map, "-c"}, with_touch({{0, finger_down(t.x, t.y)}}));
        EXPECT_EQ(r.status, t.status) << t.x << "," << t.y;
        EXPECT_EQ(r.out, t.out) << t.x << "," << t.y;
    }
}

}  // namespace
