// Touch input: reads input event bursts from the touch device and waits
// for a tap under the chosen wait mode, read mode and delay.
#pragma once

#include <cstdint>

// Result of one burst: the events up to the next synchronisation report.
enum burst_result : int {
    TOUCH_START = 1,        // even position count, last BTN_TOUCH was 1
    TOUCH_END = 2,          // even position count, last BTN_TOUCH was 0
    TOUCH_UNCHANGED = 3,    // even position count, no BTN_TOUCH 0/1
    BURST_INCOMPLETE = -1,  // odd number of position events
    BURST_NONE = -2,        // silence for 100 ms, a failed poll or a short read
    BURST_GONE = -3,        // the device has gone away (hang-up, EOF, ENODEV)
};

// Outcome of a tap wait.
enum tap_result : int {
    TAP_DONE = 0,
    TAP_TIMEOUT = -1,
    TAP_GONE = -2,
};

// How long one poll may block; the granularity of the wait's limit.
inline constexpr int BURST_POLL_MS = 100;

// Reads one burst from fd, writing position events through x and y as they
// arrive. Returns a burst_result. With oddIsIncomplete false, a burst with
// an odd number of position events counts as complete: a device that
// passes on only changed values sends one axis when the other stayed put.
[[nodiscard]] int get_touch_burst(int fd, int32_t* x, int32_t* y, bool oddIsIncomplete = true);

// On a multitouch device with slots, writes the current slot's position to
// x and y and returns true. Anything else (a pipe, a file, a device without
// slots or one that does not answer) leaves them alone and returns false.
[[nodiscard]] bool seed_slot_position(int fd, int32_t* x, int32_t* y);

// Waits for a tap. *delay holds the limit in ms on entry (0: none) and the
// elapsed ms on return. x and y receive the tap position when it is stored.
// waitMode 1 waits for touch start, any other value for touch end;
// readMode 0 keeps the first usable position, any other value the last.
// Returns a tap_result.
[[nodiscard]] int get_touchtap(int fd, int32_t* delay, int32_t* x, int32_t* y, int waitMode,
                               int readMode);

// Seconds on the monotonic clock, with microsecond resolution or better.
[[nodiscard]] double get_time_with_ms();

// Milliseconds elapsed since start (seconds from get_time_with_ms),
// truncated toward zero and held within the signed 32-bit range.
[[nodiscard]] int32_t elapsed_ms_since(double start);
