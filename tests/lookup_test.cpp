// SPDX-License-Identifier: MIT
// The lookup: rectangle edges, file order, output and stream position.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "files.h"
#include "tapmap/tapmap.h"

namespace {

struct lookup_result {
    int value;
    std::string out;
    long position;
};

lookup_result look_up(const std::string& map, int32_t x, int32_t y, int ascii = 0) {
    const mem_stream m(map);
    testing::internal::CaptureStdout();
    const int value = output_mapped_char(m.f, x, y, ascii);
    fflush(stdout);
    return {value, testing::internal::GetCapturedStdout(), ftell(m.f)};
}

TEST(lookup, lower_bounds_exclusive_upper_inclusive) {
    const struct {
        int32_t x;
        int32_t y;
        int value;
    } edges[] = {{10, 30, -1}, {11, 30, 9}, {30, 30, 9}, {31, 30, -1},
                 {20, 20, -1}, {20, 21, 9}, {20, 40, 9}, {20, 41, -1}};
    for (const auto& c : edges) {
        EXPECT_EQ(look_up("10 20 30 40 9 E\n", c.x, c.y).value, c.value) << c.x << "," << c.y;
    }
}

TEST(lookup, first_match_in_file_order_wins_and_stream_stops_after_it) {
    const std::string first = "0 0 100 100 1 F\n";
    const std::string map = "# keypad\n" + first + "0 0 50 50 2 S\n";
    const lookup_result r = look_up(map, 25, 25);
    EXPECT_EQ(r.value, 1);
    EXPECT_EQ(r.out, "F");
    EXPECT_EQ(r.position, static_cast<long>(9 + first.size()));
}

TEST(lookup, skipped_lines_do_not_match) {
    // A five-field line and a tab-joined line never match, even though
    // their rectangles would.
    EXPECT_EQ(look_up("0 0 10 10 5\n0\t0 10 10 5 A\n", 5, 5).value, -1);
}

TEST(lookup, signed_bounds_and_codes) {
    const std::string map = "-10 -10 0 0 -3 \xE9\n0xfffffff0 0 0xffffffff 10 300 N\n";
    lookup_result r = look_up(map, -5, -5, 1);
    EXPECT_EQ(r.value, -3);
    EXPECT_EQ(r.out, "233");
    r = look_up(map, -2, 5);  // bounds -16 < x <= -1
    EXPECT_EQ(r.value, 300);
    EXPECT_EQ(r.out, "N");
}

TEST(lookup, no_match_prints_nothing_and_reads_to_the_end) {
    const std::string map = "0 0 1 1 1 A\n";
    const lookup_result r = look_up(map, 5, 5);
    EXPECT_EQ(r.value, -1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.position, static_cast<long>(map.size()));
}

}  // namespace
