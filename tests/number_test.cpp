// SPDX-License-Identifier: MIT
// Map field numbers: strtoul's rules with automatic base, on 32 bits, and
// where each field ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "strtoul32.h"
#include "tapmap/tapmap.h"

namespace {

// A field's number as strtoul reads the field alone. The map reader has
// passed the spaces before a field; the rest of the white space is its own.
int32_t field_number(const char* field) {
    while (strtoul_space(*field)) {
        ++field;
    }
    int32_t number = 0;
    (void)read_map_field_number(field, &number);
    return number;
}

TEST(map_number, follows_32_bit_strtoul) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        // clang-format off
        {"42", 42}, {"0x10", 16}, {"0X1f", 31}, {"010", 8}, {"09", 0}, {"0x", 0}, {"0xg", 0},
        {"-5", -5}, {"+7", 7}, {" \t\v\f\r12", 12}, {"-0", 0},
        {"12abc", 12}, {"abc", 0}, {"", 0}, {"-", 0},
        {"2147483647", INT32_MAX}, {"2147483648", INT32_MIN}, {"4294967295", -1}, {"4294967296", -1},
        {"-4294967296", -1}, {"-4294967295", 1}, {"0xffffffff", -1}, {"0x100000000", -1},
        {"99999999999999999999999999999999999999999", -1},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(field_number(c.text), c.value) << c.text;
        EXPECT_EQ(strtoul32(c.text), c.value) << c.text;  // the reference other tests lean on
    }
}

TEST(map_number, returns_the_end_of_its_field) {
    const struct {
        const char* text;
        int32_t number;
        size_t end;
    } cases[] = {
        // clang-format off
        {"123 4", 123, 3}, {"12ab 4", 12, 4}, {"\t9\t 4", 9, 3}, {"\t 4", 0, 1}, {"-", 0, 1},
        {"0x1f", 31, 4}, {"7", 7, 1}, {"5\n", 5, 2}, {"4294967296x 1", -1, 11},
        // clang-format on
    };
    for (const auto& c : cases) {
        int32_t n = 99;
        EXPECT_EQ(read_map_field_number(c.text, &n), c.text + c.end) << c.text;
        EXPECT_EQ(n, c.number) << c.text;
    }
}

}  // namespace
