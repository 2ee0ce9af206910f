// Tap wait: drives the burst reader until a tap, the limit or a gone device.
#include "touch.h"

namespace {

struct tap_wait {
    int fd;
    int32_t limit;   // 0: no limit; any other value, negative ones too, is one
    int32_t* delay;  // receives every measurement
    double start;
    int32_t x = 0;  // working position, overwritten by every position event
    int32_t y = 0;
    bool oddIsIncomplete = true;

    int next_burst() { return get_touch_burst(fd, &x, &y, oddIsIncomplete); }

    // Takes a measurement and tells whether it reached the limit.
    bool limit_reached() {
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
        if (r == TOUCH_START) {
            *x = w.x;
            *y = w.y;
            return w.finish(TAP_DONE);
        }
        if (r == BURST_GONE) {
            return w.finish(TAP_GONE);
        }
        // Movement and lift bursts do not look at the clock, so a steady
        // stream of them holds the wait past its limit.
        if ((r == BURST_INCOMPLETE || r == BURST_NONE) && w.limit_reached()) {
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
        if (r == BURST_GONE) {
            return w.finish(TAP_GONE);
        }
        if (usable(r)) {
            if (keep_last || !seen) {
                *x = w.x;
                *y = w.y;
            }
            seen = true;
        }
        if (w.limit_reached()) {
            return seen ? TAP_DONE : TAP_TIMEOUT;
        }
    }
}

}  // namespace

int get_touchtap(int fd, int32_t* delay, int32_t* x, int32_t* y, int waitMode, int readMode) {
    tap_wait w{fd, *delay, delay, get_time_with_ms()};
    // A slotted screen leaves out whatever did not change since the last
    // touch, so the position starts from where that touch left it, and a
    // burst with one axis is a real touch, not half of one.
    w.oddIsIncomplete = !seed_slot_position(fd, &w.x, &w.y);
    if (waitMode == 1) {
        return wait_for_start(w, x, y);
    }
    return wait_for_end(w, x, y, readMode != 0);
}
