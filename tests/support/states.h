// SPDX-License-Identifier: MIT
// Touch states as a device would report them when a wait begins, for the
// unit tests that feed the burst reader and the tap wait through a pipe.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "touch/touch_internal.h"

// A single-touch screen whose axes stand at x, y.
inline touch_state single_state(int32_t x, int32_t y) {
    touch_state s;
    s.kind = TOUCH_KIND_SINGLE;
    s.x = x;
    s.y = y;
    return s;
}

// A slotted screen with these slots ({x, y, tracking id, order of the last
// mention}), current slot `current`.
inline touch_state slotted_state(int current, std::initializer_list<touch_slot> slots) {
    touch_state s;
    s.kind = TOUCH_KIND_MT_SLOTS;
    s.current = current;
    for (const touch_slot& slot : slots) {
        s.slot[static_cast<size_t>(s.slots++)] = slot;
        s.mentions = slot.mention > s.mentions ? slot.mention : s.mentions;
    }
    return s;
}

// A screen without slots on which a touch began within dropped events:
// where it stands is unheard of, x, y are what the wait last heard.
inline touch_state pending_state(int32_t x = 0, int32_t y = 0) {
    return {.kind = TOUCH_KIND_MT, .x = x, .y = y, .touch = 1, .start_pending = true};
}
