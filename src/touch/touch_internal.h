// SPDX-License-Identifier: MIT
// The tap wait's inside: the burst reader, the state it keeps of a device
// and its slots, and the clock; for the code in src/touch and its tests.
#pragma once

#include <array>
#include <cstdint>

#include "query.h"
#include "touch.h"

// Result of one burst: the events up to the next synchronisation report.
enum burst_result : int {
    TOUCH_START = 1,        // even position count, last BTN_TOUCH was 1
    TOUCH_END = 2,          // even position count, last BTN_TOUCH was 0
    TOUCH_UNCHANGED = 3,    // even position count, no BTN_TOUCH 0/1
    BURST_INCOMPLETE = -1,  // odd number of position events
    BURST_NONE = -2,        // silence for 100 ms, a failed poll or a short read
    BURST_GONE = -3,        // the device has gone away (hang-up, EOF, ENODEV)
    // The kernel dropped events (SYN_DROPPED): the frame they broke has been
    // skipped up to and including its report; resync_touch tells the rest.
    BURST_DROPPED = -4,
    // The touch ended and where it lifted went with dropped events.
    TOUCH_LOST_END = 4,
};

// How long one poll may block; the granularity of the wait's limit.
inline constexpr int BURST_POLL_MS = 100;

// One slot of a slotted screen. A slot holds a contact while its tracking
// id is 0 or more.
struct touch_slot {
    int32_t x;
    int32_t y;
    int32_t tracking;
    uint32_t mention;  // order of its last mention; 0: not mentioned in this wait
};

// What the wait knows of its device: the kind, the working position of the
// kinds without slots and every slot's values. Fixed size, no allocation.
struct touch_state {
    int kind = TOUCH_KIND_PLAIN;
    int32_t x = 0;  // working position (kinds without slots)
    int32_t y = 0;
    int slots = 0;          // TOUCH_KIND_MT_SLOTS: how many
    int current = -1;       // the selected slot; -1 while none is
    uint32_t mentions = 0;  // the latest mention's order
    std::array<touch_slot, TOUCH_MAX_SLOTS> slot{};
    // BTN_TOUCH as the last whole frame left it: 1, 0, or -1 while no frame
    // of this wait has said (a slotted screen then counts its live slots).
    int touch = -1;
    bool dropping = false;  // events are skipped up to the next report
    // A touch began within dropped events at a position the device does
    // not keep (multitouch without slots): its next positions start it.
    bool start_pending = false;
};

// Fills *state from the device behind fd: its kind (get_touch_kind) and
// its current position or slots. Where a query fails, the state falls back
// to TOUCH_KIND_PLAIN, from 0, 0.
void read_touch_state(int fd, touch_state* state);

// Reads one burst from fd under state's kind. Position events of the kinds
// without slots write x and y as they arrive; on a slotted screen they
// write the current slot in state. Returns a burst_result.
[[nodiscard]] int get_touch_burst(int fd, int32_t* x, int32_t* y, touch_state* state);

// After the burst reader returned BURST_DROPPED: re-reads the device (its
// slots or position and BTN_TOUCH; a pipe or file answers nothing) and
// applies what changed as one frame. Returns TOUCH_START (a touch began
// within the dropped events), TOUCH_UNCHANGED (the touch known before is
// still down), TOUCH_LOST_END (it ended there; state.touch tells whether
// another is down now) or BURST_NONE (no touch before or after, or no
// position the device could tell).
[[nodiscard]] int resync_touch(int fd, touch_state* state);

// The rules of resync_touch on states already read: now is the device's
// state re-read (its kind differs from state's when that failed), key its
// BTN_TOUCH (-1 when the device did not say).
[[nodiscard]] int apply_resync(touch_state* state, const touch_state& now, int key);

// Slot bookkeeping of the burst reader. A burst begins: the slot that is
// current counts as spoken of first.
void begin_slot_burst(touch_state* s);
// Applies one absolute event of a slotted screen: a slot selection, or a
// tracking id or position of the current slot; other codes change nothing.
void note_slot_event(touch_state* s, uint16_t code, int32_t value);

// The position a store takes after a burst: the working position, or on a
// slotted screen the slot spoken of last among those still holding a
// contact (a burst speaks of the slot current at its start, then of every
// slot it selects or writes). False (and x, y untouched) when no slot
// holds a contact.
[[nodiscard]] bool get_stored_position(const touch_state& state, int32_t* x, int32_t* y);

// get_touchtap on a state already read (or, in tests, made by hand).
[[nodiscard]] int wait_for_tap(int fd, touch_state* state, int32_t* delay, int32_t* x, int32_t* y,
                               int waitMode, int readMode);

// The wait's clock. Despite its name it returns seconds, not milliseconds:
// the monotonic clock's time, with microsecond resolution or better.
[[nodiscard]] double get_time_with_ms();

// Milliseconds elapsed since start (seconds from get_time_with_ms),
// truncated toward zero and held within the signed 32-bit range.
[[nodiscard]] int32_t elapsed_ms_since(double start);
