// SPDX-License-Identifier: MIT
// Device makers for the in-guest tests: touch screens and a vibration
// device made with uinput, and HID touch screens made with uhid that the
// kernel's own HID drivers turn into input devices. Every maker finds its
// device's event node through sysfs, never by taking the first node.
#pragma once

#include <cstdint>

#include <linux/input.h>

enum class kind {
    // uinput, events written as a driver would write them
    plain_mt,    // multitouch without slots (SYN_MT_REPORT per contact)
    slotted_mt,  // multitouch with 10 slots and tracking ids
    slotted_xy,  // slotted, also reporting ABS_X/ABS_Y for the oldest contact
    single,      // BTN_TOUCH, ABS_X, ABS_Y, ABS_PRESSURE: a resistive screen
    mouse_like,  // BTN_LEFT, ABS_X, ABS_Y and no BTN_TOUCH, as some HID screens appear
    vibra,       // force feedback (FF_RUMBLE)
    keyboard,    // two keys, no axes
    touchpad,    // BTN_TOUCH, ABS_X 200..3900 and ABS_Y 180..3950 with a resolution, not direct
    resistive,   // single touch like `single`, direct, ABS_X 200..3900 and ABS_Y 180..3950
    // uinput, with more slots or fewer axes than the screens above
    slotted_65,   // slotted, 65 slots: more than zentu once followed
    slotted_100,  // slotted, 100 slots: the most uinput makes
    one_axis,     // BTN_TOUCH and ABS_MT_POSITION_X alone: no tap can be placed on it
    // uhid, HID reports that the kernel's HID drivers turn into events
    hid_mt,      // a touch screen of two contacts, bound by hid-multitouch
    hid_single,  // a single-touch digitizer, bound by hid-generic
};

inline constexpr int FINGERS = 2;

struct finger {
    bool down = false;
    bool was_down = false;  // at the last commit
    int32_t x = 0;
    int32_t y = 0;
    int32_t tracking = -1;  // uinput slotted kinds: the contact's id
};

struct device {
    kind k = kind::plain_mt;
    int fd = -1;        // the uinput or uhid descriptor; closing it removes the device
    char node[300]{};   // its /dev/input/eventN
    char error[160]{};  // why creation failed, if it did
    finger fingers[FINGERS];
    int32_t next_tracking = 1;
    uint16_t product = 0;  // uhid: the product id that names it in sysfs
    char driver[32]{};     // uhid: the HID driver that bound it
};

// Makes a device of kind k; on failure d->error says why and d->fd is -1.
bool create(device* d, kind k, const char* name);
// Removes it (UI_DEV_DESTROY or UHID_DESTROY) and closes its descriptor.
void destroy(device* d);

// Sets a finger's state; commit() then sends one frame that reports every
// finger that changed, in the order given (default: 0, 1).
void put_down(device* d, int f, int32_t x, int32_t y);
void lift(device* d, int f);
void commit(device* d, const int* order = nullptr);

// A finger comes down at x, y, stays 30 ms and lifts.
void tap(device* d, int32_t x, int32_t y);

// uinput only: one raw event, as a kernel driver would report it.
void emit(const device& d, uint16_t type, uint16_t code, int32_t value);

// Sleeps, answering meanwhile what the HID drivers ask of every uhid
// device (feature reports while they bind, open and close notices).
void sleep_ms(int ms);
// Answers whatever the uhid devices have asked so far, without waiting.
void answer_hid_requests();

int64_t now_ms();
