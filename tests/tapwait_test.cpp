// SPDX-License-Identifier: MIT
// The tap wait on a pipe, in every mode, with and without a limit.
#include <gtest/gtest.h>

#include "events.h"
#include "states.h"
#include "table.h"
#include "touch/touch_internal.h"

namespace {

constexpr int mode_start = 1;
constexpr int mode_end = 0;
constexpr int read_first = 0;
constexpr int read_last = 1;

struct outcome {
    int result;
    int32_t x = untouched;
    int32_t y = untouched;
    int32_t spent = 0;
    double wall_ms = 0;
};

outcome wait_tap(const std::vector<step>& steps, int32_t limit, int wait_mode, int read_mode,
                 bool close_after = false) {
    event_pipe p;
    p.play(steps, close_after);
    outcome o{};
    o.x = untouched;
    o.y = untouched;
    o.spent = limit;
    const double start = now_ms();
    o.result = get_touchtap(p.reader(), &o.spent, &o.x, &o.y, wait_mode, read_mode);
    o.wall_ms = now_ms() - start;
    return o;
}

TEST(wait_for_start, limit_without_input_times_out_at_the_limit) {
    const outcome o = wait_tap({}, 500, mode_start, read_last);
    EXPECT_EQ(o.result, TAP_TIMEOUT);
    EXPECT_GE(o.spent, 500);
    EXPECT_LT(o.spent, 700);
}

TEST(wait_for_start, touch_in_first_burst_takes_no_time) {
    const outcome o = wait_tap({{0, finger_down(10, 20)}}, 300, mode_start, read_last);
    EXPECT_EQ(o.result, TAP_DONE);
    EXPECT_EQ(o.x, 10);
    EXPECT_EQ(o.y, 20);
    EXPECT_LT(o.spent, 50);
}

TEST(wait_for_start, half_finger_down_is_passed_over) {
    const outcome o = wait_tap({{0, {touch(1), pos_x(1), syn()}}, {50, finger_down(2, 3)}}, 0,
                               mode_start, read_last);
    EXPECT_EQ(o.result, TAP_DONE);
    EXPECT_EQ(o.x, 2);
    EXPECT_EQ(o.y, 3);
}

TEST(wait_for_start, movement_holds_the_wait_past_its_limit) {
    // A finger already down moves for 600 ms (past the 200 ms limit), lifts,
    // and the device falls silent: the limit is seen at the first silent poll.
    std::vector<step> steps;
    for (int i = 0; i < 30; ++i) {
        steps.push_back({20, finger_move(i, i)});
    }
    steps.push_back({20, finger_up()});
    const outcome o = wait_tap(steps, 200, mode_start, read_last);
    EXPECT_EQ(o.result, TAP_TIMEOUT);
    EXPECT_GE(o.spent, 600);
    EXPECT_LT(o.spent, 1200);
    EXPECT_EQ(o.x, untouched);
}

TEST(wait_for_start, negative_limit_ends_at_first_silent_poll) {
    const outcome o = wait_tap({}, -5, mode_start, read_last);
    EXPECT_EQ(o.result, TAP_TIMEOUT);
    EXPECT_LT(o.wall_ms, 400);
}

struct end_case : test_case {
    int read_mode;
    std::vector<step> steps;
    int32_t limit;
    int result;
    int32_t x, y;  // the position delivered
};

using wait_for_end = table<end_case>;

TEST_P(wait_for_end, delivers_the_chosen_position) {
    const end_case& c = GetParam();
    const outcome o = wait_tap(c.steps, c.limit, mode_end, c.read_mode);
    EXPECT_EQ(o.result, c.result);
    EXPECT_EQ(o.x, c.x);
    EXPECT_EQ(o.y, c.y);
}

const std::vector<step> lone_report_then_tap = {
    {0, {syn()}}, {20, finger_down(10, 20)}, {20, finger_up()}};

// clang-format off
const end_case end_waits[] = {
    {"read_last", read_last, drag, 0, TAP_DONE, 30, 40},
    {"read_first", read_first, drag, 0, TAP_DONE, 10, 20},
    {"read_first_stores_at_lone_report", read_first, lone_report_then_tap, 0, TAP_DONE, 0, 0},
    {"lift_position_is_not_stored", read_last, {{0, finger_down(1, 2)}, {20, {touch(0), pos_x(8), pos_y(9), syn()}}}, 0, TAP_DONE, 1, 2},
    {"first_burst_lift_last", read_last, {{0, finger_up()}}, 0, TAP_DONE, untouched, untouched},
    {"first_burst_lift_first", read_first, {{0, finger_up()}}, 0, TAP_DONE, untouched, untouched},
    {"held_past_limit_last", read_last, {{0, finger_down(5, 6)}}, 300, TAP_DONE, 5, 6},
    {"held_past_limit_first", read_first, {{0, finger_down(5, 6)}, {20, finger_move(7, 8)}}, 300, TAP_DONE, 5, 6},
    {"no_usable_burst_times_out", read_last, {{0, {pos_x(1), syn()}}}, 300, TAP_TIMEOUT, untouched, untouched},
    {"negative_limit_first_burst_usable", read_last, {{0, finger_down(1, 1)}}, -1, TAP_DONE, 1, 1},
    {"negative_limit_first_burst_incomplete", read_last, {{0, {pos_x(1), syn()}}, {50, finger_down(2, 2)}}, -1, TAP_TIMEOUT, untouched, untouched},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(modes, wait_for_end, testing::ValuesIn(end_waits), row_name{});

// The wait on a state that a device would have reported at its start.
struct seeded_case : test_case {
    touch_state start;
    int wait_mode;
    int read_mode;
    std::vector<step> steps;
    int32_t x;
    int32_t y;
    int result = TAP_DONE;
};

using seeded_wait = table<seeded_case>;

TEST_P(seeded_wait, delivers_the_live_position) {
    const seeded_case& c = GetParam();
    event_pipe p;
    p.play(c.steps);
    touch_state s = c.start;
    int32_t delay = 2000;
    int32_t x = untouched;
    int32_t y = untouched;
    EXPECT_EQ(wait_for_tap(p.reader(), &s, &delay, &x, &y, c.wait_mode, c.read_mode), c.result);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
}

// The slots as a previous tap left them: both free, slot 0 current.
const touch_state lifted = slotted_state(0, {{10, 20, -1, 0}, {30, 40, -1, 0}});
const events two_fingers = {tracking(1), pos_x(10), pos_y(20), mt_slot(1), tracking(2),
                            pos_x(30),   pos_y(40), touch(1),  syn()};
const events last_lift = {tracking(-1), touch(0), syn()};

// clang-format off
const seeded_case seeded_rows[] = {
    {"single_repeat_tap", single_state(100, 200), mode_start, read_last, {{0, {touch(1), syn()}}}, 100, 200},
    {"single_drag_read_last", single_state(100, 200), mode_end, read_last, {{0, {touch(1), abs_x(1), abs_y(2), syn()}}, {20, {abs_x(3), syn()}}, {20, {touch(0), syn()}}}, 3, 2},
    {"slot_down_elsewhere_with_one_axis", lifted, mode_start, read_last, {{0, {mt_slot(1), tracking(5), pos_y(70), touch(1), syn()}}}, 30, 70},
    {"slot_first_lifts_in_its_own_frame", lifted, mode_end, read_last, {{0, two_fingers}, {20, {pos_x(33), syn()}}, {20, {mt_slot(0), pos_x(12), syn()}}, {20, {tracking(-1), syn()}}, {20, {mt_slot(1), tracking(-1), touch(0), syn()}}}, 33, 40},
    {"slot_moves_second_then_releases_first", lifted, mode_end, read_last, {{0, two_fingers}, {20, {pos_y(44), mt_slot(0), tracking(-1), syn()}}, {20, last_lift}}, 30, 44},
    // A finger down and up in a slot the table does not hold (5 of 2) is no tap.
    {"slot_beyond_the_table_end", lifted, mode_end, read_last, {{0, {mt_slot(5), tracking(9), pos_x(1), pos_y(2), touch(1), syn()}}, {20, {tracking(-1), touch(0), mt_slot(0), syn()}}, {20, {tracking(3), pos_x(50), pos_y(60), touch(1), syn()}}, {20, last_lift}}, 50, 60},
    {"slot_read_first_takes_the_landing_frame", lifted, mode_end, read_first, {{0, two_fingers}, {20, {pos_x(31), syn()}}, {20, last_lift}}, 30, 40},
    {"recording_with_a_drop_goes_on", slotted_state(0, {{10, 20, 1, 0}, {30, 40, -1, 0}}), mode_end, read_last, {{0, {pos_x(15), make_event(EV_SYN, SYN_DROPPED, 0), pos_x(99), syn()}}, {20, {pos_x(16), syn()}}, {20, last_lift}}, 16, 20},
    {"pending_lift_read_last_is_lost", pending_state(3, 4), mode_end, read_last, {{0, {syn()}}, {20, finger_up()}}, 3, 4, TAP_LOST},
    {"pending_lift_read_first_answers_the_first", pending_state(3, 4), mode_end, read_first, {{0, {syn()}}, {20, finger_up()}}, 3, 4},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(kinds, seeded_wait, testing::ValuesIn(seeded_rows), row_name{});

TEST(wait_time, lift_in_first_burst_reports_real_time_not_the_delay) {
    const outcome o = wait_tap({{0, finger_up()}}, 5000, mode_end, read_last);
    EXPECT_EQ(o.result, TAP_DONE);
    EXPECT_LT(o.spent, 50);
}

TEST(wait_time, held_finger_ends_at_the_limit) {
    const outcome o = wait_tap({{0, finger_down(5, 6)}}, 300, mode_end, read_last);
    EXPECT_GE(o.spent, 300);
    EXPECT_LT(o.spent, 500);
}

TEST(wait_gone, ends_every_mode_at_once) {
    for (int mode : {mode_start, mode_end}) {
        const outcome o = wait_tap({{50, finger_move(1, 1)}}, 0, mode, read_last, true);
        EXPECT_EQ(o.result, TAP_GONE) << mode;
        EXPECT_LT(o.wall_ms, 1000) << mode;
        EXPECT_GE(o.spent, 40) << mode;
    }
}

}  // namespace
