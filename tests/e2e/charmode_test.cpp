// SPDX-License-Identifier: MIT
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

using character_mode = table<run_case>;

// The entry's character or code, and its value as exit status.
TEST_P(character_mode, prints_the_entry_and_ends_with_its_value) {
    expect_run(GetParam());
}

const temp_path keypad_map(keypad);
const temp_path empty("");
const temp_path first("0 0 10 10 1 F\n");
const temp_path second("0 0 10 10 2 S\n");
const std::string full = perror_text("cannot write standard output", ENOSPC);
const std::string phone = std::string(ZENTU_EXAMPLES) + "/phone.map";

// clang-format off
const run_case taps[] = {
    {"character", {"-t", TOUCH, "-m", keypad_map.path(), "-c"}, fingers("down 50 50"), 7, "A"},
    {"code", {"-t", TOUCH, "-m", keypad_map.path(), "-a"}, fingers("down 50 50"), 7, "65"},
    {"code_wins_after_c", {"-t", TOUCH, "-m", keypad_map.path(), "-c", "-a"}, fingers("down 50 50"), 7, "65"},
    {"code_wins_before_c", {"-t", TOUCH, "-m", keypad_map.path(), "-a", "-c"}, fingers("down 50 50"), 7, "65"},
    {"coordinates_not_printed", {"-t", TOUCH, "-m", keypad_map.path(), "-x", "-y", "-c"}, fingers("down 50 50"), 7, "A"},
    {"c_before_x", {"-t", TOUCH, "-m", keypad_map.path(), "-c", "-x"}, fingers("down 150 50"), 1, "B"},
    {"shared_edge_belongs_to_upper_bound", {"-t", TOUCH, "-m", keypad_map.path(), "-c"}, fingers("down 100 50"), 7, "A"},
    {"value_beyond_255", {"-t", TOUCH, "-m", keypad_map.path(), "-c"}, fingers("down 50 150"), 44, "C"},
    {"negative_value", {"-t", TOUCH, "-m", keypad_map.path(), "-c"}, fingers("down 150 150"), 254, "D"},
    {"high_byte", {"-t", TOUCH, "-m", keypad_map.path(), "-c"}, fingers("down 250 50"), 3, "\xE9"},
    {"high_byte_code", {"-t", TOUCH, "-m", keypad_map.path(), "-a"}, fingers("down 250 50"), 3, "233"},
    {"no_match", {"-t", TOUCH, "-m", keypad_map.path(), "-c"}, fingers("down 500 500"), 255, ""},
    {"lower_bound_is_outside", {"-t", TOUCH, "-m", keypad_map.path(), "-c"}, fingers("down 0 50"), 255, ""},
};
const run_case edges[] = {
    {"empty_map", {"-t", TOUCH, "-m", empty.path(), "-c"}, fingers("down 1 1"), 255, ""},
    {"empty_map_timeout", {"-t", TOUCH, "-m", empty.path(), "-c", "-d", "200", "--print-time-spent"}, {}, 255, "timeout\n"},
    {"the_later_map_file_is_used", {"-t", TOUCH, "-m", first.path(), "-m", second.path(), "-c"}, fingers("down 5 5"), 2, "S"},
    {"lost_output_never_returns_the_buttons_value", {"-t", TOUCH, "-m", keypad_map.path(), "-c"}, fingers("down 50 50"), 254, "", full, {.stdout_path = "/dev/full"}},
};
// The bundled keypad covers every pixel of its 240x320 screen, corners too.
const run_case phone_keypad[] = {
    {"top_left", {"-t", TOUCH, "-m", phone, "-c"}, fingers("down 0 0"), 1, "1"},
    {"middle", {"-t", TOUCH, "-m", phone, "-c"}, fingers("down 120 120"), 5, "5"},
    {"top_right", {"-t", TOUCH, "-m", phone, "-c"}, fingers("down 239 0"), 3, "3"},
    {"last_pixel_of_1", {"-t", TOUCH, "-m", phone, "-c"}, fingers("down 79 79"), 1, "1"},
    {"first_pixel_of_5", {"-t", TOUCH, "-m", phone, "-c"}, fingers("down 80 80"), 5, "5"},
    {"bottom_left", {"-t", TOUCH, "-m", phone, "-c"}, fingers("down 0 319"), 11, "*"},
    {"zero", {"-t", TOUCH, "-m", phone, "-c"}, fingers("down 120 300"), 10, "0"},
    {"bottom_right", {"-t", TOUCH, "-m", phone, "-c"}, fingers("down 239 319"), 12, "#"},
    {"beyond_the_right_edge", {"-t", TOUCH, "-m", phone, "-c"}, fingers("down 240 100"), 255, ""},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(taps, character_mode, testing::ValuesIn(taps), row_name{});
INSTANTIATE_TEST_SUITE_P(character_mode_edges, character_mode, testing::ValuesIn(edges),
                         row_name{});
INSTANTIATE_TEST_SUITE_P(example_maps, character_mode, testing::ValuesIn(phone_keypad), row_name{});

TEST(character_mode_time, follows_the_character_or_stands_alone) {
    child_setup setup;
    setup.touch_steps = fingers("down 150 50");
    child_result r =
        run_zentu({"-t", TOUCH, "-m", keypad_map.path(), "-c", "--print-time-spent"}, setup);
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.out.substr(0, 2), "B;");
    EXPECT_LT(std::stol(r.out.substr(2)), 150);

    setup.touch_steps = fingers("down 900 900");
    r = run_zentu({"-t", TOUCH, "-m", keypad_map.path(), "-a", "--print-time-spent"}, setup);
    EXPECT_EQ(r.status, 255);
    ASSERT_EQ(r.out.substr(0, 1), ";");
    EXPECT_EQ(r.out.find('\n'), std::string::npos);
}

}  // namespace
