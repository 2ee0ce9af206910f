// SPDX-License-Identifier: MIT
// zentu-play's recording lines: what plays, what is passed over, and what
// cannot be held by an event record and so stops the player.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "files.h"
#include "recording.h"
#include "table.h"

namespace {

const char* const not_event = "not an event: E: <sec>.<usec> <type> <code> <value> expected";

struct line_case : test_case {
    const char* line;
    int kind;
    const char* why;  // for LINE_BAD
    long long sec = 0;
    long usec = 0;
    unsigned type = 0;
    unsigned code = 0;
    int32_t value = 0;
};
using RecordingLine = table<line_case>;

TEST_P(RecordingLine, ParsesOrSaysWhy) {
    const line_case& c = GetParam();
    input_event ev{};
    const char* why = nullptr;
    ASSERT_EQ(parse_recording_line(c.line, &ev, &why), c.kind);
    if (c.kind == LINE_BAD) {
        EXPECT_STREQ(why, c.why);
    } else if (c.kind == LINE_EVENT) {
        EXPECT_EQ(ev.input_event_sec, c.sec);
        EXPECT_EQ(ev.input_event_usec, c.usec);
        EXPECT_EQ(ev.type, c.type);
        EXPECT_EQ(ev.code, c.code);
        EXPECT_EQ(ev.value, c.value);
    }
}

// clang-format off
const line_case lines[] = {
    {"tap", "E: 1.000002 0001 014a 1\n", LINE_EVENT, nullptr, 1, 2, 1, 0x14a, 1},
    {"evemu_comment_after_value", "E: 0.500000 0003 0035 -5\t# EV_ABS / ABS_MT_POSITION_X\n", LINE_EVENT, nullptr, 0, 500000, 3, 0x35, -5},
    {"largest_fields", "E: 0.999999 ffff FFFF -2147483648", LINE_EVENT, nullptr, 0, 999999, 0xffff, 0xffff, INT32_MIN},
    {"comment", "# E: 0.000000 0001 014a 1\n", LINE_OTHER, nullptr},
    {"device_line", "N: touch screen\n", LINE_OTHER, nullptr},
    {"type_beyond_16_bits", "E: 0.000000 10001 0000 0\n", LINE_BAD, "type beyond ffff"},
    {"code_beyond_16_bits", "E: 0.000000 0001 1014a 1\n", LINE_BAD, "code beyond ffff"},
    {"value_beyond_32_bits", "E: 0.000000 0001 014a 2147483648\n", LINE_BAD, "value beyond the signed 32-bit range"},
    {"value_below_32_bits", "E: 0.000000 0001 014a -2147483649\n", LINE_BAD, "value beyond the signed 32-bit range"},
    {"value_of_many_digits", "E: 0.000000 0001 014a 99999999999999999999999999999\n", LINE_BAD, "value beyond the signed 32-bit range"},
    {"microseconds_beyond", "E: 0.1000000 0001 014a 1\n", LINE_BAD, "microseconds beyond 999999"},
    {"seconds_beyond", "E: 99999999999999999999999.000000 0001 014a 1\n", LINE_BAD, "seconds beyond what an event record holds"},
    {"missing_value", "E: 0.000000 0001 014a\n", LINE_BAD, not_event},
    {"junk_in_a_field", "E: 0.000000 00x1 014a 1\n", LINE_BAD, not_event},
    {"no_microseconds", "E: 5 0001 014a 1\n", LINE_BAD, not_event},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Lines, RecordingLine, testing::ValuesIn(lines), row_name{});

input_event at(long long sec, long usec) {
    input_event ev{};
    ev.input_event_sec = static_cast<decltype(ev.input_event_sec)>(sec);
    ev.input_event_usec = static_cast<decltype(ev.input_event_usec)>(usec);
    return ev;
}

TEST(RecordingPause, NeverNegativeNeverOverflowing) {
    EXPECT_EQ(pause_us(at(1, 500000), at(3, 0)), 1500000);
    EXPECT_EQ(pause_us(at(3, 0), at(1, 500000)), 0);
    EXPECT_EQ(pause_us(at(2, 7), at(2, 7)), 0);
    const long long far = std::numeric_limits<decltype(input_event{}.input_event_sec)>::max();
    EXPECT_EQ(pause_us(at(0, 0), at(far, 999999)),
              far > LLONG_MAX / 1000000 ? LLONG_MAX : far * 1000000 + 999999);
}

// A line too long for the buffer is read to its end, a NUL byte in it
// notwithstanding: its tail is no line of its own. One that just fits is
// not cut.
TEST(RecordingReader, TakesOverlongLinesWhole) {
    const std::string fits(RECORDING_LINE_SIZE - 1, 'x');
    const mem_stream m(std::string("#\0", 2) + std::string(RECORDING_LINE_SIZE - 3, 'x') +
                       "E: 0.0 0001 014a 1\n" + fits + "\nE: end\n");
    char line[RECORDING_LINE_SIZE];
    bool too_long = false;
    ASSERT_TRUE(read_recording_line(m.f, line, &too_long));
    EXPECT_TRUE(too_long);
    ASSERT_TRUE(read_recording_line(m.f, line, &too_long));
    EXPECT_FALSE(too_long);
    EXPECT_EQ(std::string(line), fits);
    ASSERT_TRUE(read_recording_line(m.f, line, &too_long));
    EXPECT_STREQ(line, "E: end\n");
    EXPECT_FALSE(read_recording_line(m.f, line, &too_long));
}

}  // namespace
