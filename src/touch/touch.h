// Touch input: reads input event bursts from the touch device and waits
// for a tap under the chosen wait mode, read mode and delay.
#pragma once

#include <array>
#include <cstdint>

#include <sys/ioctl.h>

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

// Outcome of a tap wait.
enum tap_result : int {
    TAP_DONE = 0,
    TAP_TIMEOUT = -1,
    TAP_GONE = -2,
    // The touch ended within events the kernel dropped, so the last
    // position before the lift is unknown (read-last only).
    TAP_LOST = -3,
};

// How long one poll may block; the granularity of the wait's limit.
inline constexpr int BURST_POLL_MS = 100;

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

// Waits for a tap. *delay holds the limit in ms on entry (0: none) and the
// elapsed ms on return. x and y receive the tap position when it is stored.
// waitMode 1 waits for touch start, any other value for touch end;
// readMode 0 keeps the first usable position, any other value the last.
// Returns a tap_result.
[[nodiscard]] int get_touchtap(int fd, int32_t* delay, int32_t* x, int32_t* y, int waitMode,
                               int readMode);

// get_touchtap on a state already read (or, in tests, made by hand).
[[nodiscard]] int wait_for_tap(int fd, touch_state* state, int32_t* delay, int32_t* x, int32_t* y,
                               int waitMode, int readMode);

// The wait's clock. Despite its name it returns seconds, not milliseconds:
// the monotonic clock's time, with microsecond resolution or better.
[[nodiscard]] double get_time_with_ms();

// Milliseconds elapsed since start (seconds from get_time_with_ms),
// truncated toward zero and held within the signed 32-bit range.
[[nodiscard]] int32_t elapsed_ms_since(double start);

// Asking an input device through ioctl, the same way on every C library.
namespace query_detail {

// The C libraries disagree on ioctl's request type (unsigned long in one,
// int in another), and the EVIOC* numbers overflow an int. Taking the type
// from the library's own declaration converts them without a warning on
// either.
template <typename F>
struct request_param;
template <typename R, typename A, typename B, bool N>
struct request_param<R(A, B, ...) noexcept(N)> {
    using type = B;
};

}  // namespace query_detail

using ioctl_request = query_detail::request_param<decltype(ioctl)>::type;

// Sends request to the device behind fd with out as its argument. Returns
// false when it fails (errno set).
template <typename T>
[[nodiscard]] bool query_device(int fd, unsigned long request, T* out) {
    return ioctl(fd, static_cast<ioctl_request>(request), out) >= 0;
}
