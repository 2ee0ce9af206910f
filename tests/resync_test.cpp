// SPDX-License-Identifier: MIT
// What the wait makes of a device re-read after the kernel dropped events.
#include <gtest/gtest.h>

#include "events.h"
#include "states.h"
#include "table.h"
#include "touch/touch_internal.h"

namespace {

struct resync_case : test_case {
    touch_state before;  // what the wait knew
    touch_state now;     // what the device holds (kind plain: it answered nothing)
    int key;             // its BTN_TOUCH, -1: not told
    int result;
    int32_t x = untouched;  // the position a store then takes
    int32_t y = untouched;
    bool pending = false;
};

using resync = table<resync_case>;

TEST_P(resync, result_and_stored_position) {
    const resync_case& c = GetParam();
    touch_state s = c.before;
    EXPECT_EQ(apply_resync(&s, c.now, c.key), c.result);
    int32_t x = untouched;
    int32_t y = untouched;
    (void)get_stored_position(s, &x, &y);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(s.start_pending, c.pending);
}

// The kernel guests show a finger-down, moves and lifts lost on a slotted
// screen; these are the rules they do not reach.
const touch_state none_down = slotted_state(0, {{300, 200, -1, 0}, {30, 40, -1, 0}});
const touch_state first_down = slotted_state(0, {{300, 200, 1, 1}, {30, 40, -1, 0}});
const touch_state first_moved = slotted_state(0, {{777, 444, 1, 0}, {30, 40, -1, 0}});
const touch_state plain_mt{.kind = TOUCH_KIND_MT};
const touch_state unanswered;

// clang-format off
const resync_case rows[] = {
    {"slotted_new_contacts_lowest_slot_wins", none_down, slotted_state(1, {{777, 444, 5, 0}, {31, 41, 6, 0}}), 1, TOUCH_START, 777, 444},
    {"slotted_survivor_and_a_new_contact_go_on", first_down, slotted_state(1, {{300, 200, 1, 0}, {31, 41, 6, 0}}), 1, TOUCH_UNCHANGED, 31, 41},
    {"slotted_key_up_with_a_contact_left_ends", first_down, first_moved, 0, TOUCH_LOST_END, 777, 444},
    {"slotted_whole_tap_lost_is_nothing", none_down, slotted_state(0, {{777, 444, -1, 0}, {30, 40, -1, 0}}), 0, BURST_NONE},
    {"slotted_unanswered_key_alone_decides", first_down, unanswered, 0, TOUCH_LOST_END, 300, 200},
    {"single_finger_down_lost", single_state(1, 2), single_state(777, 444), 1, TOUCH_START, 777, 444},
    {"single_lift_lost", {.kind = TOUCH_KIND_SINGLE, .x = 1, .y = 2, .touch = 1}, single_state(777, 444), 0, TOUCH_LOST_END, 777, 444},
    {"no_slots_down_lost_waits_for_positions", plain_mt, unanswered, 1, BURST_NONE, 0, 0, true},
    {"no_slots_pending_lift_lost", pending_state(), unanswered, 0, TOUCH_LOST_END, 0, 0},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(rules, resync, testing::ValuesIn(rows), row_name{});

}  // namespace
