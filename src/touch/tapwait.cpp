// Tap wait: drives the burst reader until a tap, the limit or a gone device.
#include "touch.h"

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

    // A store: on a slotted screen with no live contact left there is
    // nothing to store, and x, y stay as they were.
    void store(int32_t* x, int32_t* y) const { (void)get_stored_position(*touch, x, y); }

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
        // the new one is a start.
        if (r == TOUCH_START || (r == TOUCH_LOST_END && w.touch->touch == 1)) {
            w.store(x, y);
            return w.finish(TAP_DONE);
        }
        if (r == BURST_GONE) {
            return w.finish(TAP_GONE);
        }
        // Movement and lift bursts do not look at the clock, so a steady
        // stream of them holds the wait past its limit.
        if ((r == BURST_INCOMPLETE || r == BURST_NONE) && w.measure_reaches_limit()) {
            return TAP_TIMEOUT;
        }
    }
}

int wait_for_end(tap_wait& w, int32_t* x, int32_t* y, bool keep_last) {
    bool seen = false;
    for (;;) {
        const int r = w.next_burst();
        if (r == TOUCH_END) {
            return w.finish(TAP_DONE);
        }
        // The lift is known to have come, but not from where: read-last
        // has no answer, and another contact's position would be a wrong one.
        if (r == TOUCH_LOST_END) {
            return w.finish(keep_last ? TAP_LOST : TAP_DONE);
        }
        if (r == BURST_GONE) {
            return w.finish(TAP_GONE);
        }
        if (usable(r)) {
            if (keep_last || !seen) {
                w.store(x, y);
            }
            seen = true;
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
