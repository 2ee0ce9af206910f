// SPDX-License-Identifier: MIT
// The build fits the device: the record layout and time width the code
// relies on, on the host and in the 32-bit ARM build alike.
#include <gtest/gtest.h>

#include <sys/types.h>

#include <ctime>

#include <linux/input.h>

namespace {

TEST(Platform, TimeAndOffsetsAre64Bit) {
    // A 32-bit time_t would run the wait's clock out in 2038.
    EXPECT_EQ(sizeof(time_t), 8u);
    EXPECT_EQ(sizeof(off_t), 8u);
}

TEST(Platform, InputEventHasTheKernelLayout) {
    // The kernel writes two longs of time stamp, then type, code, value;
    // 64-bit time in user space must not change that.
    EXPECT_EQ(sizeof(input_event), 2 * sizeof(long) + 8);
    input_event ev{};
    ev.input_event_sec = 1;
    ev.input_event_usec = 2;
    EXPECT_EQ(static_cast<long long>(ev.input_event_sec), 1);
    EXPECT_EQ(static_cast<long long>(ev.input_event_usec), 2);
#if defined(__arm__)
    EXPECT_EQ(sizeof(input_event), 16u);
#endif
}

}  // namespace
