// SPDX-License-Identifier: MIT
// Vibration pulse: 20 force-feedback records, each after a 1 ms pause.
#include <cstdio>
#include <ctime>

#include <linux/input.h>
#include <unistd.h>

#include "vibra.h"

int send_vibra(int fd) {
    if (fd < 0) {
        return 0;
    }
    input_event ev{};
    ev.type = EV_FF;
    ev.code = VIBRA_FF_CODE;
    ev.value = 1;
    for (int i = 0; i < VIBRA_PULSE_EVENTS; ++i) {
        // A fresh request each time; an interrupted pause is not resumed.
        const timespec pause{0, VIBRA_PAUSE_NS};
        nanosleep(&pause, nullptr);
        const ssize_t n = write(fd, &ev, sizeof ev);
        if (n < static_cast<ssize_t>(sizeof ev)) {
            printf("\nsent only %d bytes on write", static_cast<int>(n));
            return -1;
        }
    }
    return 0;
}
