// SPDX-License-Identifier: MIT
// Test helpers: input events, pipes standing in for devices, writers that
// deliver events on a schedule, and the check of a vibration pulse.
#pragma once

#include <linux/input.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using events = std::vector<input_event>;

input_event make_event(uint16_t type, uint16_t code, int32_t value);

// An event of one type and code, made with its value: pos_x(3).
struct event_of {
    uint16_t type;
    uint16_t code;
    input_event operator()(int32_t value) const { return make_event(type, code, value); }
};

inline constexpr event_of touch{EV_KEY, BTN_TOUCH};
inline constexpr event_of pos_x{EV_ABS, ABS_MT_POSITION_X};
inline constexpr event_of pos_y{EV_ABS, ABS_MT_POSITION_Y};
inline constexpr event_of mt_slot{EV_ABS, ABS_MT_SLOT};
inline constexpr event_of tracking{EV_ABS, ABS_MT_TRACKING_ID};
inline constexpr event_of abs_x{EV_ABS, ABS_X};  // single touch
inline constexpr event_of abs_y{EV_ABS, ABS_Y};
// The end of a frame, SYN_REPORT.
inline input_event syn() {
    return make_event(EV_SYN, SYN_REPORT, 0);
}

// BTN_TOUCH 1 with both coordinates, then the report.
events finger_down(int32_t x, int32_t y);
// Both coordinates, then the report.
events finger_move(int32_t x, int32_t y);
// BTN_TOUCH 0, then the report.
events finger_up();

// A coordinate the code under test has not written.
inline constexpr int32_t untouched = -777;

// One step of a schedule: wait, then write the events (or raw bytes).
struct step {
    step(int after, events e, std::vector<unsigned char> bytes = {})
        : after_ms(after), evs(std::move(e)), raw(std::move(bytes)) {}
    int after_ms;
    events evs;
    std::vector<unsigned char> raw;  // written after evs, as they are
};

// Finger input written as one string: steps separated by ", ", each
// "down X Y", "move X Y" or "up", led by "+MS " when it comes MS after the
// step before: "down 812 455, +10 up".
std::vector<step> fingers(const std::string& script);

// Down at (10, 20), moved to (30, 40) 20 ms later, lifted 20 ms after that.
inline const std::vector<step> drag = fingers("down 10 20, +20 move 30 40, +20 up");

// A pipe whose write end a background thread feeds from a schedule.
class event_pipe {
public:
    event_pipe();
    ~event_pipe();
    event_pipe(const event_pipe&) = delete;
    event_pipe& operator=(const event_pipe&) = delete;

    int reader() const { return rd_; }
    // Closes the test's copy of the read end (after handing it to a child).
    void close_reader();
    // Plays the steps in the background; with close_after the write end is
    // closed after the last step, as a device that goes away.
    void play(std::vector<step> steps, bool close_after = false);
    // Stops the player early and waits for it.
    void stop();

private:
    int rd_ = -1;
    int wr_ = -1;
    std::thread player_;
    std::mutex m_;
    std::condition_variable cv_;
    bool stopping_ = false;
};

// Records in one vibration pulse.
inline constexpr size_t PULSE_RECORDS = 20;

// Checks that bytes are exactly `records` pulse records (EV_FF, code 20,
// value 1, zero time), byte for byte, followed by `cut` bytes of one more.
void expect_pulse(const std::string& bytes, size_t records = PULSE_RECORDS, size_t cut = 0);

// Milliseconds on the monotonic clock.
double now_ms();
