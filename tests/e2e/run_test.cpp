// SPDX-License-Identifier: MIT
// Whole runs of the binary on a touch pipe: coordinates, wait modes,
// limits, time spent, and the endings that must not pass for success.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "child.h"
#include "table.h"

namespace {

using runs = table<run_case>;

TEST_P(runs, end_as_documented) {
    expect_run(GetParam());
}

const std::vector<step> tap_at_812_455 = fingers("down 812 455, +10 up");

// clang-format off
const run_case outputs[] = {
    {"x_and_y", {"-t", TOUCH, "-x", "-y"}, tap_at_812_455, 0, "812:455\n"},
    {"y_and_x_order_does_not_matter", {"-y", "-x", "-t", TOUCH}, tap_at_812_455, 0, "812:455\n"},
    {"only_x", {"-t", TOUCH, "--print-x"}, tap_at_812_455, 0, "812\n"},
    {"only_y", {"--touch-dev=" + TOUCH, "-y"}, tap_at_812_455, 0, "455\n"},
    {"zero_prints_as_zero", {"-t", TOUCH, "-xy"}, fingers("down 0 0"), 0, "0:0\n"},
    {"negative_and_extreme", {"-t" + TOUCH, "-x", "-y"}, fingers("down -2147483648 2147483647"), 0, "-2147483648:2147483647\n"},
    {"ignored_words_and_M", {"-t", TOUCH, "stray", "-M", "anything", "-x"}, tap_at_812_455, 0, "812\n"},
};
const run_case wait_modes[] = {
    {"start_is_default", {"-t", TOUCH, "-x", "-y"}, drag, 0, "10:20\n"},
    {"end_read_last", {"-t", TOUCH, "-x", "-y", "--wait-for-end"}, drag, 0, "30:40\n"},
    {"end_read_first", {"-t", TOUCH, "-x", "-y", "--wait-for-end", "--read-first"}, drag, 0, "10:20\n"},
    {"read_last_wins_when_last", {"-t", TOUCH, "-xy", "--wait-for-end", "--read-first", "--read-last"}, drag, 0, "30:40\n"},
    {"last_wait_mode_wins", {"-t", TOUCH, "-xy", "--wait-for-end", "--wait-for-start"}, drag, 0, "10:20\n"},
    {"abbreviated_long_option", {"-t", TOUCH, "-xy", "--wait-for-e"}, drag, 0, "30:40\n"},
    {"end_first_burst_is_lift", {"-t", TOUCH, "-xy", "--wait-for-end"}, fingers("up"), 0, "0:0\n"},
    {"half_burst_does_not_end_wait", {"-t", TOUCH, "-xy"}, {{0, {touch(1), pos_x(5), syn()}}, {10, finger_down(7, 8)}}, 0, "7:8\n"},
    {"letters_after_delay_digits", {"-t", TOUCH, "-x", "-d", "250ms"}, {}, 255, "timeout\n"},
    {"letters_only_delay_is_no_limit", {"-t", TOUCH, "-x", "-d", "soon"}, fingers("+700 down 3 4"), 0, "3\n"},
    {"wait_for_end_without_usable_burst_times_out", {"-t", TOUCH, "-y", "--wait-for-end", "--wait-delay=300"}, {{0, {touch(1), pos_x(1), syn()}}}, 255, "timeout\n"},
};
// A touch device that goes away ends the run, whatever the wait mode.
const std::string gone = "touch input device is gone\n";
const std::string half_record = "\nreceived only " + std::to_string(sizeof(input_event) / 2) + " bytes on read";
const std::vector<unsigned char> half_record_bytes(sizeof(input_event) / 2, 0);
const run_case endings[] = {
    {"short_read_prints_its_count_then_gone", {"-t", TOUCH, "-x"}, {{0, {}, half_record_bytes}}, 254, half_record, gone, {.close_touch_after = true}},
    {"dev_null_at_its_end_waiting_for_start", {"-t", "/dev/null", "-x", "-d", "3000"}, {}, 254, "", gone},
    {"dev_null_at_its_end_waiting_for_end", {"-t", "/dev/null", "-x", "--wait-for-end"}, {}, 254, "", gone},
};
// Output that cannot be written is an error, never a tap.
const run_case lost_output[] = {
    {"full_stdout_is_an_error", {"-t", TOUCH, "-x", "-y"}, fingers("down 9 8"), 254, "", perror_text("cannot write standard output", ENOSPC), {.stdout_path = "/dev/full"}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(outputs, runs, testing::ValuesIn(outputs), row_name{});
INSTANTIATE_TEST_SUITE_P(wait_modes, runs, testing::ValuesIn(wait_modes), row_name{});
INSTANTIATE_TEST_SUITE_P(gone_device, runs, testing::ValuesIn(endings), row_name{});
INSTANTIATE_TEST_SUITE_P(lost_output, runs, testing::ValuesIn(lost_output), row_name{});

// The time spent in ";N", or -1 when the output has none.
long time_spent(const std::string& out) {
    const size_t semi = out.find(';');
    return semi == std::string::npos ? -1 : strtol(out.c_str() + semi + 1, nullptr, 10);
}

TEST(timeout, ends_with_255_after_the_limit_and_prints_no_time) {
    const child_result r = run_zentu({"-t", TOUCH, "-x", "-d", "500", "--print-time-spent"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "timeout\n");
    EXPECT_GE(r.ms, 500);
    EXPECT_LT(r.ms, 1500);
}

TEST(time_spent, is_measured_when_the_tap_ends_the_wait) {
    // A tap in the first burst takes no time, whatever the delay.
    child_result r = run_zentu({"-t", TOUCH, "-x", "-d", "300", "--print-time-spent"},
                               with_touch(fingers("down 1 2")));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 2), "1;");
    EXPECT_GE(time_spent(r.out), 0);
    EXPECT_LT(time_spent(r.out), 150);

    r = run_zentu({"-t", TOUCH, "-x", "-y", "--print-time-spent"},
                  with_touch(fingers("+400 down 1 2")));
    EXPECT_EQ(r.out.substr(0, 4), "1:2;");
    // The child's clock starts after ours: a little on the host, up to a
    // few hundred ms when the emulator starts it on a loaded machine. Far
    // from 0 is what shows the wait was measured.
    EXPECT_GE(time_spent(r.out), 200);
    EXPECT_LT(time_spent(r.out), 1000);
}

TEST(time_spent, wait_for_end_at_limit_after_usable_burst_succeeds) {
    const child_result r =
        run_zentu({"-t", TOUCH, "-x", "-y", "--wait-for-end", "-d", "300", "--print-time-spent"},
                  with_touch(fingers("down 5 6")));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 4), "5:6;");
    EXPECT_GE(time_spent(r.out), 300);
    EXPECT_LT(time_spent(r.out), 800);
}

// A touch pipe that closes ends the run at once, not spinning until the
// limit or for ever.
TEST(gone_device, ends_with_254_and_one_line_on_stderr) {
    child_setup setup;
    setup.touch_steps = {{100, finger_move(1, 1)}};
    setup.close_touch_after = true;
    const child_result r = run_zentu({"-t", TOUCH, "-x", "-d", "5000"}, setup);
    EXPECT_EQ(r.status, 254);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "touch input device is gone\n");
    EXPECT_LT(r.ms, 2000);
}

TEST(descriptor_zero, a_device_opened_as_stdin_is_used) {
    child_setup setup;
    setup.close_stdin = true;
    setup.touch_steps = fingers("down 9 8");
    const child_result r = run_zentu({"-t", TOUCH, "-x", "-y"}, setup);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "9:8\n");
}

// The README's try-it command: the player feeding a recording to zentu.
TEST(player, bundled_tap_prints_its_coordinates) {
    const child_result play =
        run_program(ZENTU_PLAY, {std::string(ZENTU_EXAMPLES) + "/tap.events"});
    EXPECT_EQ(play.status, 0);
    const std::vector<unsigned char> recording(play.out.begin(), play.out.end());
    const child_result r = run_zentu({"-t", TOUCH, "-x", "-y"}, with_touch({{0, {}, recording}}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "812:455\n");
}

}  // namespace
