// SPDX-License-Identifier: MIT
// The map line reader: skipping rules, fields, pieces of long lines, and
// the single-pass reader against the rules it replaced: strtok at spaces
// and strtoul on each field.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "files.h"
#include "strtoul32.h"
#include "table.h"
#include "tapmap/tapmap.h"

namespace {

// Printable bytes as they are, the others as \xNN.
std::string show(const std::string& s) {
    std::string out;
    for (const char c : s) {
        char buf[8];
        snprintf(buf, sizeof buf, (c >= 32 && c < 127) ? "%c" : "\\x%02x", c & 0xff);
        out += buf;
    }
    return out;
}

void expect_entry(const map_entry& got, const map_entry& want, const std::string& text) {
    EXPECT_EQ(got.x1, want.x1) << show(text);
    EXPECT_EQ(got.y1, want.y1) << show(text);
    EXPECT_EQ(got.x2, want.x2) << show(text);
    EXPECT_EQ(got.y2, want.y2) << show(text);
    EXPECT_EQ(got.value, want.value) << show(text);
    EXPECT_EQ(got.character, want.character) << show(text);
}

// One get_mapline call: its result, and the entry when it is one.
struct read_want {
    int result;
    map_entry entry;
};

struct stream_case : test_case {
    std::string text;
    std::vector<read_want> reads;  // in order, from the stream's start
};

using map_stream = table<stream_case>;

TEST_P(map_stream, is_read_line_by_line_and_piece_by_piece) {
    const stream_case& c = GetParam();
    mem_stream m(c.text);
    for (const read_want& want : c.reads) {
        map_entry e{1, 1, 1, 1, 1, 1};
        ASSERT_EQ(get_mapline(m.f, &e), want.result);
        if (want.result == MAPLINE_ENTRY) {
            expect_entry(e, want.entry, c.text);
        }
    }
}

constexpr int ENTRY = MAPLINE_ENTRY;
const read_want SKIPPED{MAPLINE_SKIPPED, {}};
const read_want END{MAPLINE_END, {}};

// A line padded with spaces so that its character lands at column col.
std::string entry_with_character_at(size_t col) {
    std::string line = "1 2 3 4 5";
    line += std::string(col - line.size(), ' ');
    return line + "c\n";
}

const std::string tail_T = "1 2 3 4 5 T";
const std::string nul_then_piece =
    std::string("0 0 1 1 1 A\0", 12) + std::string(187, 'j') + "2 2 3 3 7 B\n";
// 4294967296 split after the piece's 199th byte: "42949" ends it, "67296" starts the next.
const std::string number_cut = "1 2 3 4" + std::string(187, ' ') + "4294967296 1 2 3 4 k\n";

// clang-format off
const stream_case lines[] = {
    {"plain", "0 0 160 120 1 a\n", {{ENTRY, {0, 0, 160, 120, 1, 'a'}}}},
    {"last_line_without_newline", "1 2 3 4 5 z", {{ENTRY, {1, 2, 3, 4, 5, 'z'}}}},
    {"leading_blanks_and_runs_of_spaces", " \t 1   2 3 4  5   q  rest\n", {{ENTRY, {1, 2, 3, 4, 5, 'q'}}}},
    {"hash_as_character", "0 0 10 10 5 #\n", {{ENTRY, {0, 0, 10, 10, 5, '#'}}}},
    {"trailing_space_makes_newline_the_character", "0 0 10 10 5 \n", {{ENTRY, {0, 0, 10, 10, 5, '\n'}}}},
    {"crlf_character_keeps_first_byte", "0 0 10 10 5 k\r\n", {{ENTRY, {0, 0, 10, 10, 5, 'k'}}}},
    {"tab_shifts_fields", "0\t0 10 10 5 A B\n", {{ENTRY, {0, 10, 10, 5, 0, 'B'}}}},
    {"high_byte_character", "0 0 1 1 1 \xE9\n", {{ENTRY, {0, 0, 1, 1, 1, 0xE9}}}},
    {"comment", "   # 0 0 10 10 5 A\n", {SKIPPED}},
    {"blank", " \t \n", {SKIPPED}},
    {"newline_only", "\n", {SKIPPED}},
    {"five_fields", "0 0 10 10 5\n", {SKIPPED}},
    {"tab_joins_fields", "0\t0 10 10 5 A\n", {SKIPPED}},
    {"nul_ends_the_text", std::string("0 0 10 10 5\0 A\n", 15), {SKIPPED}},
    {"empty_file", "", {END}},
};
// Lines are read in pieces of at most 199 bytes; each piece is parsed on its own.
const stream_case pieces[] = {
    // The first piece holds 199 x's, one field; the rest of the x's read as 0.
    {"a_long_line_is_read_as_pieces", std::string(239, 'x') + tail_T + "\n", {SKIPPED, {ENTRY, {0, 2, 3, 4, 5, 'T'}}, END}},
    {"second_piece_is_parsed_on_its_own", std::string(199, ' ') + "1 2 3 4 5 S\n", {SKIPPED, {ENTRY, {1, 2, 3, 4, 5, 'S'}}}},
    {"text_after_nul_is_ignored_but_next_piece_is_read", nul_then_piece, {{ENTRY, {0, 0, 1, 1, 1, 'A'}}, {ENTRY, {2, 2, 3, 3, 7, 'B'}}}},
    // The character as byte 199 leaves the newline a piece of its own.
    {"character_as_last_byte_of_a_piece", entry_with_character_at(198), {{ENTRY, {1, 2, 3, 4, 5, 'c'}}, SKIPPED, END}},
    {"character_alone_in_the_next_piece", entry_with_character_at(199), {SKIPPED, SKIPPED, END}},
    {"a_number_cut_by_the_piece_end_is_two_numbers", number_cut, {SKIPPED, {ENTRY, {67296, 1, 2, 3, 4, 'k'}}}},
    // The minus sign of "-1" is the comment piece's last byte.
    {"a_comment_longer_than_a_piece_goes_on_as_a_line", "#" + std::string(197, '=') + "-1 2 3 4 5 m\n", {SKIPPED, {ENTRY, {1, 2, 3, 4, 5, 'm'}}}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(lines, map_stream, testing::ValuesIn(lines), row_name{});
INSTANTIATE_TEST_SUITE_P(pieces, map_stream, testing::ValuesIn(pieces), row_name{});

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

// The line rules as strtok reads them, on a copy cut at the first NUL.
int reference_line(const std::string& piece, map_entry* e) {
    *e = map_entry{};
    std::string copy(piece.c_str());
    char* text = cleanup_line(copy.data());
    if (text == nullptr) {
        return MAPLINE_SKIPPED;
    }
    int32_t* const numbers[] = {&e->x1, &e->y1, &e->x2, &e->y2, &e->value};
    char* field = strtok(text, " ");
    for (int32_t* number : numbers) {
        if (field == nullptr) {
            return MAPLINE_SKIPPED;
        }
        *number = strtoul32(field);
        field = strtok(nullptr, " ");
    }
    if (field == nullptr) {
        return MAPLINE_SKIPPED;
    }
    e->character = static_cast<unsigned char>(field[0]);
    return MAPLINE_ENTRY;
}

// parse_mapline on piece, checked against the reference; returns the entry.
map_entry expect_same_as_reference(const std::string& piece) {
    map_entry want{};
    const int want_result = reference_line(piece, &want);
    char buf[MAP_LINE_SIZE] = {};
    memcpy(buf, piece.data(), piece.size());
    map_entry got{7, 7, 7, 7, 7, 7};
    EXPECT_EQ(parse_mapline(buf, &got), want_result) << show(piece);
    expect_entry(got, want, piece);
    return got;
}

TEST(map_reference, field_edges_read_as_strtok_and_strtoul_read_them) {
    const std::string cases[] = {
        // clang-format off
        // A field of white space alone reads 0: the space after it ends it,
        // so the number after that space is the next field.
        "0 0 10 10 \t 7 A\n", "0 0 10 10 \r 7 A\n", "0 0 10 10 \t\v\f\r 7 A\n",
        // White space inside a field leads its number.
        "\t1 \v2 \f3 \r4 \t\t5 Z\n", "1\t 2 3 4 5 6 X\n",
        // A sign followed by a space or a tab has no digits.
        "- 1 2 3 4 5 6\n", "-\t5 1 2 3 4 Q\n", "+ 1 2 3 4 5 6\n", "--5 +-5 -+5 ++5 5 W\n",
        // Base prefixes cut short by the field's end.
        "0x 0X 0x-1 0xg 08 P\n", "0x1 0x 1 2 3 4\n",
        // Runs of spaces everywhere, and trailing spaces.
        "     1      2   3    4      5        c       \n", "1 2 3 4 5 c" + std::string(150, ' '),
        // The character field may start with any byte but the space.
        "1 2 3 4 5 \t\n", "1 2 3 4 5 \v\n", "1 2 3 4 5 -7\n",
        // A NUL ends the text, also in the middle of a number or of the
        // separators before the character.
        std::string("1 2 3 4 5 \0c\n", 13), std::string("1 2 3 4 5\0 c\n", 13),
        std::string("1 2 3 4 5 c\0", 12), std::string("12\0003 4 5 6 7 c\n", 15),
        std::string("\0 1 2 3 4 5 c\n", 14),
        // clang-format on
    };
    for (const std::string& c : cases) {
        expect_same_as_reference(c);
    }
}

TEST(map_reference, numbers_at_the_32_bit_limits_read_the_same_in_a_line) {
    const char* const numbers[] = {
        // clang-format off
        "2147483647", "2147483648", "-2147483648", "-2147483649",
        "4294967295", "4294967296", "-4294967295", "-4294967296",
        "0xffffffff", "0x100000000", "0x7fffffff", "0x80000000", "-0x80000000",
        "037777777777", "040000000000",
        "0000000000000000000000000000004294967295", "0x00000000000000000000ffffffff",
        "18446744073709551615", "18446744073709551616", "-18446744073709551617",
        "99999999999999999999999999999999999999999999999999",
        // clang-format on
    };
    for (const char* n : numbers) {
        const map_entry e =
            expect_same_as_reference(std::string(n) + " " + n + " 1 1 " + n + " c\n");
        int32_t alone = 0;
        (void)read_map_field_number(n, &alone);
        EXPECT_EQ(e.character, 'c') << n;  // read as an entry
        EXPECT_EQ(e.x1, alone) << n;
        EXPECT_EQ(e.value, strtoul32(n)) << n;
    }
}

// Random pieces over the bytes that matter to the rules, against the
// reference; the seed is fixed so a failure repeats.
TEST(map_reference, random_pieces_read_as_the_reference_reads_them) {
    static const char alphabet[] = "  0123456789 xX abcdefABCDEF -+ \t\n\r\v\f #z\xe9";
    std::mt19937 rng(20121103);
    std::uniform_int_distribution<size_t> pick(0, sizeof alphabet - 1);  // the NUL too
    std::uniform_int_distribution<size_t> length(0, 60);
    for (int i = 0; i < 20000; ++i) {
        std::string piece(length(rng), ' ');
        for (char& c : piece) {
            c = alphabet[pick(rng)];
        }
        expect_same_as_reference(piece);
        if (testing::Test::HasFailure()) {
            return;
        }
    }
}

}  // namespace
