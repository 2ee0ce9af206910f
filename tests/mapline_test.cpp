// The map line reader: skipping rules, fields, numbers, pieces.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "files.h"
#include "table.h"
#include "tapmap/tapmap.h"

namespace {

struct line_case : test_case {
    std::string line;
    int result;
    map_entry entry;
};

using mapline = table<line_case>;

TEST_P(mapline, is_read_as_zentu_reads_it) {
    const line_case& c = GetParam();
    mem_stream m(c.line);
    map_entry e{1, 1, 1, 1, 1, 1};
    ASSERT_EQ(get_mapline(m.f, &e), c.result);
    if (c.result == MAPLINE_ENTRY) {
        EXPECT_EQ(e.x1, c.entry.x1);
        EXPECT_EQ(e.y1, c.entry.y1);
        EXPECT_EQ(e.x2, c.entry.x2);
        EXPECT_EQ(e.y2, c.entry.y2);
        EXPECT_EQ(e.value, c.entry.value);
        EXPECT_EQ(e.character, c.entry.character);
    }
}

INSTANTIATE_TEST_SUITE_P(
    lines, mapline,
    testing::Values(
        line_case{"plain", "0 0 160 120 1 a\n", MAPLINE_ENTRY, {0, 0, 160, 120, 1, 'a'}},
        line_case{"last_line_without_newline", "1 2 3 4 5 z", MAPLINE_ENTRY, {1, 2, 3, 4, 5, 'z'}},
        line_case{"leading_blanks_and_runs_of_spaces",
                  " \t 1   2 3 4  5   q  rest\n",
                  MAPLINE_ENTRY,
                  {1, 2, 3, 4, 5, 'q'}},
        line_case{"hash_as_character", "0 0 10 10 5 #\n", MAPLINE_ENTRY, {0, 0, 10, 10, 5, '#'}},
        line_case{"trailing_space_makes_newline_the_character",
                  "0 0 10 10 5 \n",
                  MAPLINE_ENTRY,
                  {0, 0, 10, 10, 5, '\n'}},
        line_case{"crlf_character_keeps_first_byte",
                  "0 0 10 10 5 k\r\n",
                  MAPLINE_ENTRY,
                  {0, 0, 10, 10, 5, 'k'}},
        line_case{"tab_shifts_fields", "0\t0 10 10 5 A B\n", MAPLINE_ENTRY, {0, 10, 10, 5, 0, 'B'}},
        line_case{"high_byte_character", "0 0 1 1 1 \xE9\n", MAPLINE_ENTRY, {0, 0, 1, 1, 1, 0xE9}},
        line_case{"comment", "   # 0 0 10 10 5 A\n", MAPLINE_SKIPPED, {}},
        line_case{"blank", " \t \n", MAPLINE_SKIPPED, {}},
        line_case{"newline_only", "\n", MAPLINE_SKIPPED, {}},
        line_case{"five_fields", "0 0 10 10 5\n", MAPLINE_SKIPPED, {}},
        line_case{"tab_joins_fields", "0\t0 10 10 5 A\n", MAPLINE_SKIPPED, {}},
        line_case{"nul_ends_the_text", std::string("0 0 10 10 5\0 A\n", 15), MAPLINE_SKIPPED, {}},
        line_case{"empty_file", "", MAPLINE_END, {}}),
    row_name{});

struct number_case {
    const char* text;
    int32_t value;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const number_case& c, std::ostream* os) {
    *os << c.text;
}

using map_number = table<number_case>;

TEST_P(map_number, follows_32_bit_strtoul) {
    EXPECT_EQ(parse_map_number(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    numbers, map_number,
    testing::Values(number_case{"42", 42}, number_case{"0x10", 16}, number_case{"0X1f", 31},
                    number_case{"010", 8}, number_case{"09", 0}, number_case{"0x", 0},
                    number_case{"0xg", 0}, number_case{"-5", -5}, number_case{"+7", 7},
                    number_case{" \t\v\f\r12", 12}, number_case{"12abc", 12}, number_case{"abc", 0},
                    number_case{"", 0}, number_case{"-", 0}, number_case{"2147483647", INT32_MAX},
                    number_case{"2147483648", INT32_MIN}, number_case{"4294967295", -1},
                    number_case{"4294967296", -1}, number_case{"-4294967296", -1},
                    number_case{"-4294967295", 1}, number_case{"0xffffffff", -1},
                    number_case{"0x100000000", -1},
                    number_case{"99999999999999999999999999999999999999999", -1},
                    number_case{"-0", 0}),
    [](const auto& info) { return "n" + std::to_string(info.index); });

TEST(map_pieces, a_long_line_is_read_as_pieces) {
    // 250 characters: the first piece holds 199 of them and is one field;
    // the second starts with the rest of the x's, which read as 0.
    const std::string tail = "1 2 3 4 5 T";
    const std::string line = std::string(250 - tail.size(), 'x') + tail + "\n";
    mem_stream m(line);
    map_entry e{};
    EXPECT_EQ(get_mapline(m.f, &e), MAPLINE_SKIPPED);
    ASSERT_EQ(get_mapline(m.f, &e), MAPLINE_ENTRY);
    EXPECT_EQ(e.x1, 0);
    EXPECT_EQ(e.y1, 2);
    EXPECT_EQ(e.character, 'T');
    EXPECT_EQ(get_mapline(m.f, &e), MAPLINE_END);
}

TEST(map_pieces, second_piece_is_parsed_on_its_own) {
    const std::string line = std::string(199, ' ') + "1 2 3 4 5 S\n";
    mem_stream m(line);
    map_entry e{};
    EXPECT_EQ(get_mapline(m.f, &e), MAPLINE_SKIPPED);
    ASSERT_EQ(get_mapline(m.f, &e), MAPLINE_ENTRY);
    EXPECT_EQ(e.character, 'S');
    EXPECT_EQ(e.value, 5);
}

TEST(map_pieces, text_after_nul_is_ignored_but_next_piece_is_read) {
    std::string line = "0 0 1 1 1 A";
    line += '\0';
    line += std::string(199 - line.size(), 'j');
    line += "2 2 3 3 7 B\n";
    mem_stream m(line);
    map_entry e{};
    ASSERT_EQ(get_mapline(m.f, &e), MAPLINE_ENTRY);
    EXPECT_EQ(e.character, 'A');
    ASSERT_EQ(get_mapline(m.f, &e), MAPLINE_ENTRY);
    EXPECT_EQ(e.character, 'B');
}

TEST(cleanup_line, points_past_blanks_or_rejects) {
    char text[] = " \t x";
    EXPECT_EQ(cleanup_line(text), text + 3);
    char nl[] = "  \n";
    EXPECT_EQ(cleanup_line(nl), nl + 2);
    char hash[] = "\t#x";
    EXPECT_EQ(cleanup_line(hash), nullptr);
    char empty[] = "";
    EXPECT_EQ(cleanup_line(empty), nullptr);
}

}  // namespace
