// The wait's clock: monotonic, so a change of the system time during a
// wait neither stretches nor shortens it.
#include <cstdint>
#include <ctime>

#include "touch_internal.h"

double get_time_with_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
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
