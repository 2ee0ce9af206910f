// SPDX-License-Identifier: MIT
// Touch input: waits for a tap on the touch device under the chosen wait
// mode, read mode and delay, and tells what a device is to that wait.
// The burst reader, the slots and the wait's own state are in
// touch_internal.h.
#pragma once

#include <cstdint>

// Outcome of a tap wait.
enum tap_result : int {
    TAP_DONE = 0,
    TAP_TIMEOUT = -1,
    TAP_GONE = -2,
    // The touch ended within events the kernel dropped, so the last
    // position before the lift is unknown (read-last only).
    TAP_LOST = -3,
};

// What a touch source is, as the tap wait reads it. The values are fixed:
// other programs decide what a device is through get_touch_kind.
enum touch_kind : int {
    // Answers no query (a pipe, FIFO or file, or a device whose queries
    // fail): the multitouch position axes, from 0, 0, with the parity rule.
    TOUCH_KIND_PLAIN = 0,
    // A device without a pair of position axes (neither both multitouch
    // positions nor both ABS_X and ABS_Y): read as TOUCH_KIND_PLAIN.
    TOUCH_KIND_NO_AXES = 1,
    // ABS_X and ABS_Y without both multitouch positions: those axes, from
    // their current values, without the parity rule.
    TOUCH_KIND_SINGLE = 2,
    // Multitouch positions without usable slots (no ABS_MT_SLOT, or a slot
    // query that fails): read as TOUCH_KIND_PLAIN.
    TOUCH_KIND_MT = 3,
    // Multitouch with slots: one position per slot, from the slots' current
    // values, without the parity rule. A screen with more slots than
    // TOUCH_MAX_SLOTS is followed in its first TOUCH_MAX_SLOTS; what it
    // reports of the others is dropped.
    TOUCH_KIND_MT_SLOTS = 4,
};

// hid-multitouch makes up to 250; uinput allows more, which are dropped.
inline constexpr int TOUCH_MAX_SLOTS = 256;

// Asks the device behind fd what it is. *slots receives the number of
// slots followed (at most TOUCH_MAX_SLOTS) for TOUCH_KIND_MT_SLOTS and 0
// for every other kind. Never fails: a source that does not answer is
// TOUCH_KIND_PLAIN.
[[nodiscard]] int get_touch_kind(int fd, int* slots);

// What keeps a source from being a touch screen on which a tap can end.
// One rule for zentu and the tools: BTN_TOUCH, and both position axes of
// one kind (ABS_MT_POSITION_X and _Y, or ABS_X and ABS_Y).
enum touch_lack : int {
    TOUCH_LACKS_NOTHING = 0,
    TOUCH_LACKS_BTN_TOUCH = 1,      // never reports a finger down or up (told first)
    TOUCH_LACKS_POSITION_AXES = 2,  // has BTN_TOUCH but no pair of position axes
    TOUCH_LACKS_INPUT = 3,          // answers no input query: a pipe, FIFO, file, ...
};

// Asks the device behind fd what it lacks. Returns a touch_lack.
[[nodiscard]] int get_touch_lack(int fd);

// The word for a touch_lack that zentu and its tools print: "-",
// "no-btn-touch", "no-position-axes", "not-evdev".
[[nodiscard]] const char* touch_lack_word(int lack);

// The absolute axes that carry the position on a device of a kind.
struct touch_axes {
    uint16_t x;
    uint16_t y;
};

// The one choice of axes, for the tap wait and the tools alike: ABS_X and
// ABS_Y on TOUCH_KIND_SINGLE, the multitouch positions on every other kind
// (a source that answers no query reads as one).
[[nodiscard]] touch_axes touch_axes_of(int kind);

// What a device is to the tap wait: its kind, the axes that carry its
// position and whether it is a screen on which a tap can end.
struct touch_device {
    int kind = TOUCH_KIND_PLAIN;     // get_touch_kind's answer
    int slots = 0;                   // with TOUCH_KIND_MT_SLOTS
    touch_axes axes{};               // touch_axes_of(kind)
    int lack = TOUCH_LACKS_NOTHING;  // get_touch_lack's answer: nothing on a screen
};

// Asks the device behind fd all of that at once.
void describe_touch_device(int fd, touch_device* d);

// Waits for a tap. *delay holds the limit in ms on entry (0: none) and the
// elapsed ms on return. x and y receive the tap position when it is stored.
// waitMode 1 waits for touch start, any other value for touch end;
// readMode 0 keeps the first usable position, any other value the last.
// Returns a tap_result.
[[nodiscard]] int get_touchtap(int fd, int32_t* delay, int32_t* x, int32_t* y, int waitMode,
                               int readMode);
