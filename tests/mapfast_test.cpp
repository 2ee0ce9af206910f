// The single-pass map reader against the rules it replaced: strtok at
// spaces and strtoul on each field. Pins what a faster reader could break.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "files.h"
#include "strtoul32.h"
#include "tapmap/tapmap.h"

namespace {

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

std::string show(const std::string& s) {
    std::string out;
    for (const char c : s) {
        char buf[8];
        snprintf(buf, sizeof buf, (c >= 32 && c < 127) ? "%c" : "\\x%02x", c & 0xff);
        out += buf;
    }
    return out;
}

void expect_same_as_reference(const std::string& piece) {
    map_entry want{};
    const int want_result = reference_line(piece, &want);
    char buf[MAP_LINE_SIZE] = {};
    memcpy(buf, piece.data(), piece.size());
    map_entry got{7, 7, 7, 7, 7, 7};
    ASSERT_EQ(parse_mapline(buf, &got), want_result) << show(piece);
    EXPECT_EQ(got.x1, want.x1) << show(piece);
    EXPECT_EQ(got.y1, want.y1) << show(piece);
    EXPECT_EQ(got.x2, want.x2) << show(piece);
    EXPECT_EQ(got.y2, want.y2) << show(piece);
    EXPECT_EQ(got.value, want.value) << show(piece);
    EXPECT_EQ(got.character, want.character) << show(piece);
}

TEST(mapfast, field_edges_read_as_strtok_and_strtoul_read_them) {
    const std::string cases[] = {
        // A field of white space alone reads 0: the space after it ends it,
        // so the number after that space is the next field.
        "0 0 10 10 \t 7 A\n",
        "0 0 10 10 \r 7 A\n",
        "0 0 10 10 \t\v\f\r 7 A\n",
        // White space inside a field leads its number.
        "\t1 \v2 \f3 \r4 \t\t5 Z\n",
        "1\t 2 3 4 5 6 X\n",
        // A sign followed by a space or a tab has no digits.
        "- 1 2 3 4 5 6\n",
        "-\t5 1 2 3 4 Q\n",
        "+ 1 2 3 4 5 6\n",
        "--5 +-5 -+5 ++5 5 W\n",
        // Base prefixes cut short by the field's end.
        "0x 0X 0x-1 0xg 08 P\n",
        "0x1 0x 1 2 3 4\n",
        // Runs of spaces everywhere, and trailing spaces.
        "     1      2   3    4      5        c       \n",
        "1 2 3 4 5 c" + std::string(150, ' '),
        // The character field may start with any byte but the space.
        "1 2 3 4 5 \t\n",
        "1 2 3 4 5 \v\n",
        "1 2 3 4 5 -7\n",
        // A NUL ends the text, also in the middle of a number or of the
        // separators before the character.
        std::string("1 2 3 4 5 \0c\n", 13),
        std::string("1 2 3 4 5\0 c\n", 13),
        std::string("1 2 3 4 5 c\0", 12),
        std::string("12\0003 4 5 6 7 c\n", 15),
        std::string("\0 1 2 3 4 5 c\n", 14),
    };
    for (const std::string& c : cases) {
        expect_same_as_reference(c);
    }
}

TEST(mapfast, numbers_at_the_32_bit_limits_read_the_same_in_a_line) {
    const char* const numbers[] = {"2147483647",
                                   "2147483648",
                                   "-2147483648",
                                   "-2147483649",
                                   "4294967295",
                                   "4294967296",
                                   "-4294967295",
                                   "-4294967296",
                                   "0xffffffff",
                                   "0x100000000",
                                   "0x7fffffff",
                                   "0x80000000",
                                   "-0x80000000",
                                   "037777777777",
                                   "040000000000",
                                   "0000000000000000000000000000004294967295",
                                   "0x00000000000000000000ffffffff",
                                   "18446744073709551615",
                                   "18446744073709551616",
                                   "-18446744073709551617",
                                   "99999999999999999999999999999999999999999999999999"};
    for (const char* n : numbers) {
        const std::string line = std::string(n) + " " + n + " 1 1 " + n + " c\n";
        expect_same_as_reference(line);
        map_entry e{};
        char buf[MAP_LINE_SIZE] = {};
        memcpy(buf, line.data(), line.size());
        ASSERT_EQ(parse_mapline(buf, &e), MAPLINE_ENTRY) << n;
        EXPECT_EQ(e.x1, parse_map_number(n)) << n;
        EXPECT_EQ(e.value, strtoul32(n)) << n;
    }
}

TEST(mapfast, field_number_returns_the_end_of_its_field) {
    struct field_case {
        const char* text;
        int32_t number;
        size_t end;
    };
    const field_case cases[] = {{"123 4", 123, 3}, {"12ab 4", 12, 4}, {"\t9\t 4", 9, 3},
                                {"\t 4", 0, 1},    {"-", 0, 1},       {"0x1f", 31, 4},
                                {"7", 7, 1},       {"5\n", 5, 2},     {"4294967296x 1", -1, 11}};
    for (const field_case& c : cases) {
        int32_t n = 99;
        EXPECT_EQ(read_map_field_number(c.text, &n), c.text + c.end) << show(c.text);
        EXPECT_EQ(n, c.number) << show(c.text);
    }
}

// Random pieces over the bytes that matter to the rules, against the
// reference; the seed is fixed so a failure repeats.
TEST(mapfast, random_pieces_read_as_the_reference_reads_them) {
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

// A line padded with spaces so that its character lands at column col.
std::string entry_with_character_at(size_t col) {
    std::string line = "1 2 3 4 5";
    line += std::string(col - line.size(), ' ');
    return line + "c\n";
}

TEST(mapfast, a_piece_holds_at_most_199_bytes) {
    // The character as byte 199: the whole line, newline included, is 200
    // bytes, so the newline comes as a piece of its own.
    mem_stream full(entry_with_character_at(198));
    map_entry e{};
    ASSERT_EQ(get_mapline(full.f, &e), MAPLINE_ENTRY);
    EXPECT_EQ(e.character, 'c');
    EXPECT_EQ(get_mapline(full.f, &e), MAPLINE_SKIPPED);
    EXPECT_EQ(get_mapline(full.f, &e), MAPLINE_END);

    // One byte later the character starts the second piece, alone.
    mem_stream over(entry_with_character_at(199));
    EXPECT_EQ(get_mapline(over.f, &e), MAPLINE_SKIPPED);
    EXPECT_EQ(get_mapline(over.f, &e), MAPLINE_SKIPPED);
    EXPECT_EQ(get_mapline(over.f, &e), MAPLINE_END);
}

TEST(mapfast, a_number_cut_by_the_piece_end_is_two_numbers) {
    // 4294967296 split after its 199th byte: the first piece ends in
    // "42949", the second begins with "67296".
    std::string line = "1 2 3 4";
    line += std::string(194 - line.size(), ' ');
    line += "4294967296 1 2 3 4 k\n";
    mem_stream m(line);
    map_entry e{};
    EXPECT_EQ(get_mapline(m.f, &e), MAPLINE_SKIPPED);  // five fields only
    ASSERT_EQ(get_mapline(m.f, &e), MAPLINE_ENTRY);
    EXPECT_EQ(e.x1, 67296);
    EXPECT_EQ(e.character, 'k');
}

TEST(mapfast, a_comment_longer_than_a_piece_goes_on_as_a_line) {
    // The minus sign of "-1" is the comment piece's last byte.
    mem_stream m("#" + std::string(197, '=') + "-1 2 3 4 5 m\n");
    map_entry e{};
    EXPECT_EQ(get_mapline(m.f, &e), MAPLINE_SKIPPED);
    ASSERT_EQ(get_mapline(m.f, &e), MAPLINE_ENTRY);
    EXPECT_EQ(e.x1, 1);
    EXPECT_EQ(e.character, 'm');
}

}  // namespace
