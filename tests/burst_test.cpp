// The burst reader on a pipe.
#include <gtest/gtest.h>

#include "events.h"
#include "table.h"
#include "touch/touch.h"

namespace {

constexpr int32_t untouched = -777;

struct burst_case : test_case {
    events evs;
    int result;
    int32_t x;
    int32_t y;
};

using burst = table<burst_case>;

TEST_P(burst, result_and_position) {
    const burst_case& c = GetParam();
    event_pipe p;
    p.play({{0, c.evs}});
    int32_t x = untouched;
    int32_t y = untouched;
    EXPECT_EQ(get_touch_burst(p.reader(), &x, &y), c.result);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
}

const input_event mt_sync_report = make_event(EV_SYN, SYN_MT_REPORT, 0);
const input_event dropped = make_event(EV_SYN, SYN_DROPPED, 0);

INSTANTIATE_TEST_SUITE_P(
    bursts, burst,
    testing::Values(
        burst_case{"finger_down", {touch(1), pos_x(3), pos_y(4), syn()}, TOUCH_START, 3, 4},
        burst_case{"movement", finger_move(5, 6), TOUCH_UNCHANGED, 5, 6},
        burst_case{"lift", finger_up(), TOUCH_END, untouched, untouched},
        burst_case{"lone_report", {syn()}, TOUCH_UNCHANGED, untouched, untouched},
        burst_case{"one_axis_only", {touch(1), pos_x(7), syn()}, BURST_INCOMPLETE, 7, untouched},
        burst_case{
            "last_touch_counts", {touch(1), touch(0), syn()}, TOUCH_END, untouched, untouched},
        burst_case{"touch_value_2_changes_nothing",
                   {touch(1), touch(2), syn()},
                   TOUCH_START,
                   untouched,
                   untouched},
        burst_case{"two_fingers_leave_the_second",
                   {pos_x(1), pos_y(2), pos_x(3), pos_y(4), syn()},
                   TOUCH_UNCHANGED,
                   3,
                   4},
        burst_case{"other_syn_codes_do_not_end",
                   {pos_x(1), mt_sync_report, dropped, touch(1), syn()},
                   BURST_INCOMPLETE,
                   1,
                   untouched},
        burst_case{"single_touch_axes_ignored",
                   {make_event(EV_ABS, ABS_X, 9), make_event(EV_ABS, ABS_Y, 9), touch(1), syn()},
                   TOUCH_START,
                   untouched,
                   untouched},
        burst_case{
            "unknown_types_dropped",
            {make_event(0x1f, 53, 1), make_event(EV_KEY, BTN_LEFT, 1), pos_y(8), pos_x(9), syn()},
            TOUCH_UNCHANGED,
            9,
            8}),
    row_name{});

TEST(burst_silence, gives_none_after_about_100ms_and_prints_nothing) {
    event_pipe p;
    int32_t x = 0;
    int32_t y = 0;
    testing::internal::CaptureStdout();
    const double start = now_ms();
    EXPECT_EQ(get_touch_burst(p.reader(), &x, &y), BURST_NONE);
    const double took = now_ms() - start;
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_GE(took, 95);
    EXPECT_LT(took, 600);
}

TEST(burst_silence, a_stall_inside_a_burst_loses_its_start) {
    event_pipe p;
    p.play({{0, {touch(1)}}, {250, finger_move(1, 2)}});
    int32_t x = 0;
    int32_t y = 0;
    EXPECT_EQ(get_touch_burst(p.reader(), &x, &y), BURST_NONE);
    int r = BURST_NONE;
    while (r == BURST_NONE) {
        r = get_touch_burst(p.reader(), &x, &y);
    }
    EXPECT_EQ(r, TOUCH_UNCHANGED);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
}

TEST(burst_gone, closed_writer_is_gone_after_its_data) {
    event_pipe p;
    p.play({{0, finger_down(1, 2)}}, true);
    int32_t x = 0;
    int32_t y = 0;
    EXPECT_EQ(get_touch_burst(p.reader(), &x, &y), TOUCH_START);
    // The writer closes a moment after its data; a loaded machine may let
    // a silent poll pass first, but never more than a few.
    int r = BURST_NONE;
    for (int polls = 0; r == BURST_NONE && polls < 20; ++polls) {
        r = get_touch_burst(p.reader(), &x, &y);
    }
    EXPECT_EQ(r, BURST_GONE);
}

TEST(burst_gone, short_read_reports_its_count) {
    event_pipe p;
    p.play({{0, {}, {1, 2, 3}}}, true);
    int32_t x = 0;
    int32_t y = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(get_touch_burst(p.reader(), &x, &y), BURST_NONE);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nreceived only 3 bytes on read");
}

}  // namespace
