// SPDX-License-Identifier: MIT
// The wait's clock: monotonic, so a change of the system time during a
// wait neither stretches nor shortens it.
#include <cstdint>
#include <ctime>

#include "touch_internal.h"

double get_time_with_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    // The seconds in two 32-bit halves: 32-bit ARM converts those in
    // hardware, but a whole 64-bit time_t through a software routine of
    // about a kilobyte.
    const auto sec = static_cast<int64_t>(ts.tv_sec);
    const double whole = static_cast<double>(static_cast<int32_t>(sec >> 32)) * 4294967296.0 +
                         static_cast<double>(static_cast<uint32_t>(sec));
    return whole + static_cast<double>(ts.tv_nsec) / 1e9;
}

int32_t elapsed_ms_since(double start) {
    const double ms = (get_time_with_ms() - start) * 1000.0;
    if (ms >= 2147483647.0) {
        return INT32_MAX;
    }
    if (ms <= -2147483648.0) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(ms);  // truncates toward zero
}
