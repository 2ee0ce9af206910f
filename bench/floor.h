// SPDX-License-Identifier: MIT
/* The floor for a tap run, shared by zentu-floor and zentu-floor-duties:
 * open the touch device, wait for data, read records up to the
 * synchronisation report that closes a finger-down burst. One record per
 * read, as an input event device hands them out. */
#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

/* 1 when data came, 0 when the limit passed first. With a limit it waits
 * as zentu is designed to, in polls of 100 ms until the limit has passed. */
static int wait_for_data(struct pollfd* p, int limit_ms) {
    if (limit_ms == 0) {
        return poll(p, 1, -1) > 0;
    }
    const double start = now_ms();
    while (now_ms() - start < limit_ms) {
        if (poll(p, 1, 100) > 0) {
            return 1;
        }
    }
    return 0;
}

/* Waits for a finger-down burst on the device at path and leaves its
 * position in *x and *y. With poll_each, polls before every read but the
 * first, as zentu does so that a stalled burst can be given up. Returns the
 * exit status: 0 for a tap, 255 when the limit passed, 1 or 2 on failure. */
static int floor_tap(const char* path, int limit_ms, int poll_each, int* x, int* y) {
    int fd = open(path, O_RDONLY);
    if (fd < 0) {
        return 2;
    }
    struct pollfd p = {fd, POLLIN, 0};
    if (!wait_for_data(&p, limit_ms)) {
        return 255;
    }
    struct input_event ev;
    int down = 0;
    int polled = 1;
    for (;;) {
        if (poll_each && !polled && poll(&p, 1, 100) <= 0) {
            return 2;
        }
        polled = 0;
        if (read(fd, &ev, sizeof ev) != (ssize_t)sizeof ev) {
            return 1;
        }
        if (ev.type == EV_KEY && ev.code == BTN_TOUCH) {
            down = ev.value == 1;
        } else if (ev.type == EV_ABS && ev.code == ABS_MT_POSITION_X) {
            *x = ev.value;
        } else if (ev.type == EV_ABS && ev.code == ABS_MT_POSITION_Y) {
            *y = ev.value;
        } else if (ev.type == EV_SYN && ev.code == SYN_REPORT && down) {
            return 0;
        }
    }
}
