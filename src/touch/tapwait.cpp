// SPDX-License-Identifier: MIT
// Tap wait: drives the burst reader until a tap, the limit or a gone device.
#include "touch_internal.h"

namespace {

struct tap_wait {
    int fd;
    touch_state* touch;
    int32_t limit;   // 0: no limit; any other value, negative ones too, is one
    int32_t* delay;  // receives every measurement
    double start;

    // A drop is followed by the device's state now, as one burst.
    int next_burst() {
        const int r = get_touch_burst(fd, &touch->x, &touch->y, touch);
        return r == BURST_DROPPED ? resync_touch(fd, touch) : r;
    }

    // A store: on a slotted screen with no live contact the wait can place
    // there is nothing to store, x, y stay as they were and it says false.
    bool store(int32_t* x, int32_t* y) const { return get_stored_position(*touch, x, y); }

    // Takes a measurement and tells whether it reached the limit.
    bool measure_reaches_limit() {
        *delay = elapsed_ms_since(start);
        return limit != 0 && *delay >= limit;
    }

    // Every ending reports the real time spent up to that moment.
    int finish(int result) {
        *delay = elapsed_ms_since(start);
        return result;
    }
};

bool usable(int r) {
    return r == TOUCH_START || r == TOUCH_UNCHANGED;
}

int wait_for_start(tap_wait& w, int32_t* x, int32_t* y) {
    for (;;) {
        const int r = w.next_burst();
        // A touch that ended within dropped events while another came down:
        // the new one is a start. A finger down that no followed slot holds
        // (a slot beyond the table, or BTN_TOUCH without a contact) has no
        // position to tell.
        const bool started = r == TOUCH_START || (r == TOUCH_LOST_END && w.touch->touch == 1);
        if (started && w.store(x, y)) {
            return w.finish(TAP_DONE);
        }
        if (r == BURST_GONE) {
            return w.finish(TAP_GONE);
        }
        // Movement and lift bursts do not look at the clock, so a steady
        // stream of them holds the wait past its limit.
        if ((r == BURST_INCOMPLETE || r == BURST_NONE || r == TOUCH_START) &&
            w.measure_reaches_limit()) {
            return TAP_TIMEOUT;
        }
    }
}

int wait_for_end(tap_wait& w, int32_t* x, int32_t* y, bool keep_last) {
    bool seen = false;
    for (;;) {
        const int r = w.next_burst();
        // On a slotted screen a lift ends the wait only once a position was
        // stored: the lift of a finger the wait never placed tells none.
        if (r == TOUCH_END && (seen || w.touch->kind != TOUCH_KIND_MT_SLOTS)) {
            return w.finish(TAP_DONE);
        }
        // The lift is known to have come, but not from where: read-last
        // has no answer, and another contact's position would be a wrong one.
        // Read-first has one only if a position was stored before the drop.
        if (r == TOUCH_LOST_END) {
            return w.finish(keep_last || !seen ? TAP_LOST : TAP_DONE);
        }
        if (r == BURST_GONE) {
            return w.finish(TAP_GONE);
        }
        // Only a stored position counts as seen: else the limit would
        // answer with a position the device never gave.
        if (usable(r) && (keep_last || !seen)) {
            seen = w.store(x, y) || seen;
        }
        if (w.measure_reaches_limit()) {
            return seen ? TAP_DONE : TAP_TIMEOUT;
        }
    }
}

}  // namespace

int wait_for_tap(int fd, touch_state* state, int32_t* delay, int32_t* x, int32_t* y, int waitMode,
                 int readMode) {
    tap_wait w{fd, state, *delay, delay, get_time_with_ms()};
    if (waitMode == 1) {
        return wait_for_start(w, x, y);
    }
    return wait_for_end(w, x, y, readMode != 0);
}

int get_touchtap(int fd, int32_t* delay, int32_t* x, int32_t* y, int waitMode, int readMode) {
    // The device tells which axes carry the position and where it stands:
    // screens that pass on only changed values leave out what did not move
    // since the last touch.
    touch_state state;
    read_touch_state(fd, &state);
    return wait_for_tap(fd, &state, delay, x, y, waitMode, readMode);
}
