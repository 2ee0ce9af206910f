// SPDX-License-Identifier: MIT
// Burst reader: the only code that reads the touch device.
#include <cerrno>
#include <cstdio>

#include <linux/input.h>
#include <poll.h>
#include <unistd.h>

#include "touch_internal.h"

namespace {

// What waiting for the next record found.
enum class wait_state { ready, silent, gone };

wait_state wait_readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    const int n = poll(&p, 1, BURST_POLL_MS);
    if (n <= 0) {
        return wait_state::silent;
    }
    // A hang-up or error without data means nothing will ever arrive;
    // without this the wait would spin on an instant poll for ever.
    if ((p.revents & POLLIN) == 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return wait_state::gone;
    }
    return wait_state::ready;
}

// A whole frame: its BTN_TOUCH becomes what the wait knows, and a touch
// that began within dropped events starts with the first positions heard.
int end_burst(touch_state* s, int state, bool odd, unsigned positions) {
    if (state != TOUCH_UNCHANGED) {
        s->touch = state == TOUCH_START ? 1 : 0;
    }
    if (odd) {
        return BURST_INCOMPLETE;
    }
    if (s->start_pending && state == TOUCH_END) {
        s->start_pending = false;
        return TOUCH_LOST_END;
    }
    if (s->start_pending && (state == TOUCH_START || positions > 0)) {
        s->start_pending = false;
        return TOUCH_START;
    }
    return state;
}

bool is_syn(const input_event& ev, uint16_t code) {
    return ev.type == EV_SYN && ev.code == code;
}

}  // namespace

int get_touch_burst(int fd, int32_t* x, int32_t* y, touch_state* s) {
    const bool slotted = s->kind == TOUCH_KIND_MT_SLOTS;
    const bool single = s->kind == TOUCH_KIND_SINGLE;
    // Screens that pass on only changed values send one axis when the
    // other stayed put, so parity tells nothing there.
    const bool parity = !slotted && !single;
    const touch_axes axes = touch_axes_of(s->kind);
    if (slotted) {
        begin_slot_burst(s);
    }
    int state = TOUCH_UNCHANGED;
    unsigned positions = 0;
    for (;;) {
        const wait_state w = wait_readable(fd);
        if (w == wait_state::silent) {
            return BURST_NONE;
        }
        if (w == wait_state::gone) {
            return BURST_GONE;
        }
        input_event ev{};
        const ssize_t n = read(fd, &ev, sizeof ev);
        if (n == 0 || (n < 0 && errno == ENODEV)) {
            return BURST_GONE;
        }
        if (n < static_cast<ssize_t>(sizeof ev)) {
            printf("\nreceived only %d bytes on read", static_cast<int>(n));
            return BURST_NONE;
        }
        // After a drop the kernel's queue resumes in the middle of a frame:
        // nothing up to its report can be trusted. A stall keeps skipping.
        s->dropping = s->dropping || is_syn(ev, SYN_DROPPED);
        if (s->dropping) {
            if (is_syn(ev, SYN_REPORT)) {
                s->dropping = false;
                return BURST_DROPPED;
            }
            continue;
        }
        if (ev.type == EV_KEY && ev.code == BTN_TOUCH) {
            if (ev.value == 1) {
                state = TOUCH_START;
            } else if (ev.value == 0) {
                state = TOUCH_END;
            }
        } else if (ev.type == EV_ABS && slotted) {
            note_slot_event(s, ev.code, ev.value);
        } else if (ev.type == EV_ABS && ev.code == axes.x) {
            *x = ev.value;
            ++positions;
        } else if (ev.type == EV_ABS && ev.code == axes.y) {
            *y = ev.value;
            ++positions;
        } else if (is_syn(ev, SYN_REPORT)) {
            return end_burst(s, state, parity && positions % 2 != 0, positions);
        }
    }
}
