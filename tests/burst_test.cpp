// SPDX-License-Identifier: MIT
// The burst reader on a pipe.
#include <gtest/gtest.h>

#include "events.h"
#include "states.h"
#include "table.h"
#include "touch/touch_internal.h"

namespace {

// A source that answers no query: the rules for pipes and files.
touch_state plain;

struct burst_case : test_case {
    events evs;
    int result;
    int32_t x, y;  // untouched: not written
};

using burst = table<burst_case>;

TEST_P(burst, result_and_position) {
    const burst_case& c = GetParam();
    event_pipe p;
    p.play({{0, c.evs}});
    int32_t x = untouched;
    int32_t y = untouched;
    touch_state s = plain;
    EXPECT_EQ(get_touch_burst(p.reader(), &x, &y, &s), c.result);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
}

const input_event mt_sync_report = make_event(EV_SYN, SYN_MT_REPORT, 0);
const input_event dropped = make_event(EV_SYN, SYN_DROPPED, 0);
const input_event unknown_type = make_event(0x1f, 53, 1);
const input_event left_button = make_event(EV_KEY, BTN_LEFT, 1);

// clang-format off
const burst_case bursts[] = {
    {"finger_down", {touch(1), pos_x(3), pos_y(4), syn()}, TOUCH_START, 3, 4},
    {"movement", finger_move(5, 6), TOUCH_UNCHANGED, 5, 6},
    {"lift", finger_up(), TOUCH_END, untouched, untouched},
    {"lone_report", {syn()}, TOUCH_UNCHANGED, untouched, untouched},
    {"one_axis_only", {touch(1), pos_x(7), syn()}, BURST_INCOMPLETE, 7, untouched},
    {"last_touch_counts", {touch(1), touch(0), syn()}, TOUCH_END, untouched, untouched},
    {"touch_value_2_changes_nothing", {touch(1), touch(2), syn()}, TOUCH_START, untouched, untouched},
    {"two_fingers_leave_the_second", {pos_x(1), pos_y(2), pos_x(3), pos_y(4), syn()}, TOUCH_UNCHANGED, 3, 4},
    {"other_syn_codes_do_not_end", {pos_x(1), mt_sync_report, touch(1), syn()}, BURST_INCOMPLETE, 1, untouched},
    {"drop_skips_its_frame_to_the_report", {pos_x(1), dropped, touch(1), pos_x(5), pos_y(6), syn()}, BURST_DROPPED, 1, untouched},
    {"single_touch_axes_ignored", {abs_x(9), abs_y(9), touch(1), syn()}, TOUCH_START, untouched, untouched},
    {"unknown_types_dropped", {unknown_type, left_button, pos_y(8), pos_x(9), syn()}, TOUCH_UNCHANGED, 9, 8},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(bursts, burst, testing::ValuesIn(bursts), row_name{});

// The kinds a device can tell about itself: which axes one burst writes,
// and which position a store then takes.
struct kind_case : test_case {
    touch_state start;
    events evs;
    int result;
    bool stored;
    int32_t x = untouched;
    int32_t y = untouched;
};

using burst_by_kind = table<kind_case>;

TEST_P(burst_by_kind, result_and_stored_position) {
    const kind_case& c = GetParam();
    event_pipe p;
    p.play({{0, c.evs}});
    touch_state s = c.start;
    EXPECT_EQ(get_touch_burst(p.reader(), &s.x, &s.y, &s), c.result);
    int32_t x = untouched;
    int32_t y = untouched;
    EXPECT_EQ(get_stored_position(s, &x, &y), c.stored);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
}

const touch_state single = single_state(100, 200);
// Slot 0 holds a contact at 10, 20 and is current; slot 1 is free.
const touch_state one_down = slotted_state(0, {{10, 20, 1, 0}, {30, 40, -1, 0}});
// Both slots hold contacts; slot 1 is current.
const touch_state two_down = slotted_state(1, {{10, 20, 1, 0}, {30, 40, 2, 0}});
const touch_state none_down = slotted_state(0, {{10, 20, -1, 0}, {30, 40, -1, 0}});
// Both hold contacts; slot 0 is current and was spoken of last.
const touch_state first_spoken_last = slotted_state(0, {{10, 20, 1, 2}, {30, 40, 2, 1}});
// The same, with the order's counter about to wrap.
const touch_state about_to_wrap =
    slotted_state(1, {{10, 20, 1, UINT32_MAX - 1}, {30, 40, 2, UINT32_MAX}});

// clang-format off
const kind_case kind_rows[] = {
    {"pending_start_takes_its_first_positions", pending_state(), finger_move(5, 6), TOUCH_START, true, 5, 6},
    {"pending_start_waits_past_a_lone_report", pending_state(), {syn()}, TOUCH_UNCHANGED, true, 0, 0},
    {"single_finger_down", single, {touch(1), abs_x(5), abs_y(6), syn()}, TOUCH_START, true, 5, 6},
    {"single_one_axis_is_whole", single, {touch(1), abs_y(7), syn()}, TOUCH_START, true, 100, 7},
    {"single_repeat_without_axes", single, {touch(1), syn()}, TOUCH_START, true, 100, 200},
    {"single_ignores_mt_axes", single, {pos_x(1), pos_y(2), syn()}, TOUCH_UNCHANGED, true, 100, 200},
    {"slot_down_elsewhere_with_one_axis", none_down, {mt_slot(1), tracking(5), pos_y(70), touch(1), syn()}, TOUCH_START, true, 30, 70},
    {"slot_two_fingers_in_one_frame", none_down, {tracking(1), pos_x(1), pos_y(2), mt_slot(1), tracking(2), pos_x(3), pos_y(4), touch(1), syn()}, TOUCH_START, true, 3, 4},
    {"slot_first_lifts_alone", two_down, {mt_slot(0), tracking(-1), syn()}, TOUCH_UNCHANGED, true, 30, 40},
    {"slot_moves_second_then_releases_first", two_down, {pos_x(35), mt_slot(0), tracking(-1), syn()}, TOUCH_UNCHANGED, true, 35, 40},
    {"slot_lift_alone_keeps_the_contact_still_down", first_spoken_last, {tracking(-1), syn()}, TOUCH_UNCHANGED, true, 30, 40},
    {"slot_order_survives_the_counter_wrap", about_to_wrap, {mt_slot(0), pos_x(11), syn()}, TOUCH_UNCHANGED, true, 11, 20},
    {"slot_last_lift_stores_nothing", one_down, {tracking(-1), touch(0), syn()}, TOUCH_END, false},
    {"slot_out_of_range_selects_none", one_down, {mt_slot(7), tracking(9), pos_x(99), mt_slot(-1), pos_y(99), syn()}, TOUCH_UNCHANGED, true, 10, 20},
    {"slot_ignores_single_axes", one_down, {abs_x(5), abs_y(6), syn()}, TOUCH_UNCHANGED, true, 10, 20},
    {"slot_odd_burst_is_whole", one_down, {pos_x(11), syn()}, TOUCH_UNCHANGED, true, 11, 20},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(kinds, burst_by_kind, testing::ValuesIn(kind_rows), row_name{});

TEST(burst_silence, gives_none_after_about_100ms_and_prints_nothing) {
    event_pipe p;
    int32_t x = 0;
    int32_t y = 0;
    testing::internal::CaptureStdout();
    const double start = now_ms();
    EXPECT_EQ(get_touch_burst(p.reader(), &x, &y, &plain), BURST_NONE);
    const double took = now_ms() - start;
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_GE(took, 95);
    EXPECT_LT(took, 600);
}

// The first burst that is more than silence, after a few silent polls at
// most: a loaded machine may let one pass before the data or its end.
int after_silence(event_pipe& p, int32_t* x, int32_t* y, touch_state* s) {
    int r = BURST_NONE;
    for (int polls = 0; r == BURST_NONE && polls < 20; ++polls) {
        r = get_touch_burst(p.reader(), x, y, s);
    }
    return r;
}

// A stall inside a burst: the first read sees it end in silence, a later
// one reads its rest. A start is lost with the silence; a skip after a
// drop goes on to the report.
struct stall_case : test_case {
    std::vector<step> steps;
    int result;
    int32_t x, y;
};
using burst_stall = table<stall_case>;

TEST_P(burst_stall, the_rest_comes_alone) {
    const stall_case& c = GetParam();
    event_pipe p;
    p.play(c.steps);
    touch_state s;
    int32_t x = untouched;
    int32_t y = untouched;
    EXPECT_EQ(get_touch_burst(p.reader(), &x, &y, &s), BURST_NONE);
    EXPECT_EQ(after_silence(p, &x, &y, &s), c.result);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
}

// clang-format off
const stall_case stalls[] = {
    {"start_lost", {{0, {touch(1)}}, {250, finger_move(1, 2)}}, TOUCH_UNCHANGED, 1, 2},
    {"drop_skips_on", {{0, {dropped, pos_x(3)}}, {250, {pos_y(4), syn()}}}, BURST_DROPPED, untouched, untouched},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(stalls, burst_stall, testing::ValuesIn(stalls), row_name{});

TEST(burst_gone, closed_writer_is_gone_after_its_data) {
    event_pipe p;
    p.play({{0, finger_down(1, 2)}}, true);
    int32_t x = 0;
    int32_t y = 0;
    EXPECT_EQ(get_touch_burst(p.reader(), &x, &y, &plain), TOUCH_START);
    EXPECT_EQ(after_silence(p, &x, &y, &plain), BURST_GONE);
}

TEST(burst_gone, short_read_reports_its_count) {
    event_pipe p;
    p.play({{0, {}, {1, 2, 3}}}, true);
    int32_t x = 0;
    int32_t y = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(get_touch_burst(p.reader(), &x, &y, &plain), BURST_NONE);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nreceived only 3 bytes on read");
}

}  // namespace
