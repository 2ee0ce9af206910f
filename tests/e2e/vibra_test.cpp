// SPDX-License-Identifier: MIT
// The vibration pulse through the binary: what reaches the device, and a
// pulse that fails.
#include <gtest/gtest.h>

#include "child.h"
#include "files.h"
#include "table.h"

namespace {

constexpr size_t record = sizeof(input_event);

child_setup one_tap() {
    child_setup setup;
    setup.touch_steps = {{0, finger_down(4, 2)}};
    return setup;
}

TEST(pulse, twenty_records_then_the_result) {
    temp_path vibra;
    const child_result r = run_zentu({"-t", TOUCH, "-v", vibra.path(), "-x", "-y"}, one_tap());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "4:2\n");
    expect_pulse(vibra.read());
    EXPECT_GE(r.ms, 20);  // each record waits 1 ms
}

TEST(pulse, not_sent_on_timeout) {
    temp_path vibra;
    const child_result r = run_zentu({"-t", TOUCH, "-v", vibra.path(), "-x", "-d", "150"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(vibra.read(), "");
}

struct failing_case : test_case {
    const char* vibra;  // "" : a temporary file with fsize_limit
    long fsize_limit;
    size_t records_left;  // whole records on the device afterwards
    std::string message;
};

using failed_pulse = table<failing_case>;

// A failed pulse ends with 254 and prints nothing but its message, in
// coordinate and in character mode.
TEST_P(failed_pulse, stops_at_once_and_ends_with_254) {
    const failing_case& c = GetParam();
    temp_path map("0 0 10 10 5 K\n");
    for (const char* mode : {"-x", "-c"}) {
        temp_path file;
        const std::string device = *c.vibra != '\0' ? c.vibra : file.path();
        child_setup setup = one_tap();
        setup.fsize_limit = c.fsize_limit;
        const child_result r =
            run_zentu({"-t", TOUCH, "-v", device, "-m", map.path(), mode}, setup);
        EXPECT_EQ(r.status, 254) << mode;
        EXPECT_EQ(r.out, c.message) << mode;
        if (*c.vibra == '\0') {
            expect_pulse(file.read(), c.records_left, c.fsize_limit - c.records_left * record);
        }
    }
}

// clang-format off
const failing_case devices[] = {
    {"full_device", "/dev/full", -1, 0, "\nsent only -1 bytes on write"},
    {"fifth_write_fails", "", 4 * record, 4, "\nsent only -1 bytes on write"},
    {"fifth_write_short", "", 4 * record + 5, 4, "\nsent only 5 bytes on write"},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(devices, failed_pulse, testing::ValuesIn(devices), row_name{});

}  // namespace
