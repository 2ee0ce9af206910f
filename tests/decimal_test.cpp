// SPDX-License-Identifier: MIT
// The hand-written decimal output against printf's "%d".
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "main/main.h"

namespace {

std::string decimal(int32_t v) {
    char text[DECIMAL_MAX + 1];
    char* end = append_decimal(text, v);
    EXPECT_LE(end - text, DECIMAL_MAX) << v;
    return std::string(text, end);
}

std::string printf_d(int32_t v) {
    char text[32];
    snprintf(text, sizeof text, "%d", v);
    return text;
}

TEST(decimal, matches_printf_at_the_limits_and_every_digit_count) {
    std::vector<int32_t> values = {0, 1, -1, INT32_MAX, INT32_MIN, INT32_MIN + 1, INT32_MAX - 1};
    for (int64_t p = 10; p <= INT32_MAX; p *= 10) {
        for (const int64_t v : {p - 1, p, p + 1, -(p - 1), -p, -(p + 1)}) {
            values.push_back(static_cast<int32_t>(v));
        }
    }
    for (const int32_t v : values) {
        EXPECT_EQ(decimal(v), printf_d(v));
    }
}

TEST(decimal, matches_printf_on_random_values) {
    std::mt19937 rng(455);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    for (int i = 0; i < 10000; ++i) {
        const int32_t v = any(rng);
        ASSERT_EQ(decimal(v), printf_d(v));
    }
}

TEST(decimal, appends_after_what_is_already_there) {
    char text[2 * DECIMAL_MAX + 2] = {};
    char* p = append_decimal(text, 812);
    *p++ = ':';
    p = append_decimal(p, -455);
    EXPECT_EQ(std::string(text, p), "812:-455");
}

}  // namespace
