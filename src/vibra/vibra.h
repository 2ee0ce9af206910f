// SPDX-License-Identifier: MIT
// Tactile feedback: a short force-feedback pulse on the vibration device.
#pragma once

// Records in one pulse, and the pause before each, in nanoseconds.
inline constexpr int VIBRA_PULSE_EVENTS = 20;
inline constexpr long VIBRA_PAUSE_NS = 1000000;
// The force-feedback code written; what it makes the device do is its own matter.
inline constexpr int VIBRA_FF_CODE = 20;

// Sends one pulse to fd; a negative fd means there is no device and nothing
// happens. Returns 0 on success or without a device, -1 when a write failed
// or fell short.
[[nodiscard]] int send_vibra(int fd);
