// SPDX-License-Identifier: MIT
// Arbitrary bytes as the touch device, read through a pipe or a memory
// file by the burst reader and the tap wait. The first byte picks the wait
// mode, read mode, limit and transport. Every run must end (the data ends
// with a hang-up or end of file), and with the limits whose outcome does
// not depend on the clock the result is compared with a model of the wait.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <linux/input.h>
#include <sys/mman.h>
#include <unistd.h>

#include "../src/touch/touch_internal.h"
#include "capture.h"

namespace {

constexpr size_t INPUT_LIMIT = 4096;  // fits a pipe's buffer in one write
constexpr size_t RECORD = sizeof(input_event);
constexpr int32_t UNTOUCHED = 0x5a5a5a5a;

// Limits: none, a negative one (reached at the first measurement), one
// that is never reached, and a small one whose outcome depends on timing.
constexpr int32_t limits[] = {0, -1, INT32_MAX, 2};
constexpr int SMALL_LIMIT = 3;

struct model_stream {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    char out[128] = {};
    size_t out_len = 0;
    bool dropping = false;  // skipping what follows a SYN_DROPPED
};

// The burst reader over data that is all there and then ends.
int model_burst(model_stream& m, int32_t* x, int32_t* y) {
    int state = TOUCH_UNCHANGED;
    unsigned positions = 0;
    for (;;) {
        const size_t left = m.size - m.pos;
        if (left == 0) {
            return BURST_GONE;
        }
        if (left < RECORD) {
            m.pos = m.size;
            m.out_len += static_cast<size_t>(snprintf(m.out + m.out_len, sizeof m.out - m.out_len,
                                                      "\nreceived only %d bytes on read",
                                                      static_cast<int>(left)));
            return BURST_NONE;
        }
        input_event ev{};
        memcpy(&ev, m.data + m.pos, RECORD);
        m.pos += RECORD;
        const bool report = ev.type == EV_SYN && ev.code == SYN_REPORT;
        m.dropping = m.dropping || (ev.type == EV_SYN && ev.code == SYN_DROPPED);
        if (m.dropping) {
            // A pipe answers no query: nothing to store, the touch goes on.
            if (report) {
                m.dropping = false;
                return BURST_NONE;
            }
            continue;
        }
        if (ev.type == EV_KEY && ev.code == BTN_TOUCH && (ev.value == 0 || ev.value == 1)) {
            state = ev.value == 1 ? TOUCH_START : TOUCH_END;
        } else if (ev.type == EV_ABS && ev.code == ABS_MT_POSITION_X) {
            *x = ev.value;
            ++positions;
        } else if (ev.type == EV_ABS && ev.code == ABS_MT_POSITION_Y) {
            *y = ev.value;
            ++positions;
        } else if (report) {
            return positions % 2 != 0 ? BURST_INCOMPLETE : state;
        }
    }
}

// The tap wait, with a limit that is either always or never reached.
int model_tap(model_stream& m, bool reached, int waitMode, int readMode, int32_t* x, int32_t* y) {
    int32_t wx = 0;
    int32_t wy = 0;
    bool seen = false;
    for (;;) {
        const int r = model_burst(m, &wx, &wy);
        if (r == BURST_GONE) {
            return TAP_GONE;
        }
        if (waitMode == 1) {
            if (r == TOUCH_START) {
                *x = wx;
                *y = wy;
                return TAP_DONE;
            }
            if ((r == BURST_INCOMPLETE || r == BURST_NONE) && reached) {
                return TAP_TIMEOUT;
            }
            continue;
        }
        if (r == TOUCH_END) {
            return TAP_DONE;
        }
        if (r == TOUCH_START || r == TOUCH_UNCHANGED) {
            if (readMode != 0 || !seen) {
                *x = wx;
                *y = wy;
            }
            seen = true;
        }
        if (reached) {
            return seen ? TAP_DONE : TAP_TIMEOUT;
        }
    }
}

// A descriptor that reads the bytes and then ends: a pipe whose writer has
// gone, or a memory file.
int open_stream(const uint8_t* data, size_t size, bool pipe_it) {
    if (pipe_it) {
        int p[2];
        if (pipe(p) != 0) {
            property_failed("pipe");
        }
        if (size > 0 && write(p[1], data, size) != static_cast<ssize_t>(size)) {
            property_failed("pipe write");
        }
        close(p[1]);
        return p[0];
    }
    const int fd = memfd_create("fuzz-touch", 0);
    if (fd < 0 || (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) ||
        lseek(fd, 0, SEEK_SET) != 0) {
        property_failed("memfd");
    }
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    capture_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > INPUT_LIMIT + 1) {
        return -1;
    }
    const uint8_t sel = data[0];
    // Wait modes 1 and 0 as the command line sets them, and 2 as "any
    // other value"; read modes 0, 1 and 5.
    const int waitMode = (sel & 3) == 3 ? 2 : (sel & 1);
    const int readMode = (sel & 4) != 0 ? ((sel & 128) != 0 ? 5 : 1) : 0;
    const int limit_class = (sel >> 3) & 3;
    const bool pipe_it = (sel & 32) != 0;
    ++data;
    --size;

    const int fd = open_stream(data, size, pipe_it);
    int32_t delay = limits[limit_class];
    int32_t x = UNTOUCHED;
    int32_t y = UNTOUCHED;
    capture_reset();
    const int got = get_touchtap(fd, &delay, &x, &y, waitMode, readMode);
    char out[128];
    const size_t out_len = capture_take(out, sizeof out);
    close(fd);

    if (got != TAP_DONE && got != TAP_TIMEOUT && got != TAP_GONE) {
        property_failed("the tap wait returned an unknown result");
    }
    if (delay < 0) {
        property_failed("negative time spent on a monotonic clock");
    }
    if (limit_class == SMALL_LIMIT) {
        return 0;
    }
    model_stream m{data, size};
    int32_t mx = UNTOUCHED;
    int32_t my = UNTOUCHED;
    const int want = model_tap(m, limit_class == 1, waitMode, readMode, &mx, &my);
    if (got != want) {
        property_failed("tap wait result differs from the model");
    }
    if (x != mx || y != my) {
        property_failed("tap position differs from the model");
    }
    if (out_len != m.out_len || memcmp(out, m.out, out_len) != 0) {
        property_failed("printed messages differ from the model");
    }
    return 0;
}
