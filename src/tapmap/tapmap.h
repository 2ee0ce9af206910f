// SPDX-License-Identifier: MIT
// Tap map: a text file that divides the screen into rectangles, each with
// a numeric value and a character.
#pragma once

#include <cstdint>
#include <cstdio>

// One map line. A tap (x, y) is inside when x1 < x <= x2 and y1 < y <= y2.
struct map_entry {
    int32_t x1;
    int32_t y1;
    int32_t x2;
    int32_t y2;
    int32_t value;
    unsigned char character;
};

// Lines are read in pieces of at most MAP_LINE_SIZE - 1 characters.
inline constexpr int MAP_LINE_SIZE = 200;

enum mapline_result : int {
    MAPLINE_ENTRY = 1,    // all six fields found, entry filled
    MAPLINE_SKIPPED = 0,  // comment, blank or too few fields
    MAPLINE_END = -1,     // end of file or read error
};

// Returns the first character of line that is not a space or tab, or null
// when there is none or it is '#'.
[[nodiscard]] char* cleanup_line(char* line);

// Reads the number of the map field that starts at field (not a space) as
// strtoul with automatic base reads that field on its own on a 32-bit host,
// taken as signed 32-bit, and returns the field's end: the next space or the
// terminating NUL.
[[nodiscard]] const char* read_map_field_number(const char* field, int32_t* number);

// Reads the next line of file, or the next piece of a longer line, into
// piece (MAP_LINE_SIZE bytes). Returns false at end of file or on error.
[[nodiscard]] bool read_map_piece(FILE* file, char* piece);

// Clears *entry and parses one piece into it. Returns MAPLINE_ENTRY or
// MAPLINE_SKIPPED. The piece may be changed in the process.
[[nodiscard]] int parse_mapline(char* piece, map_entry* entry);

// Clears *entry, reads the next line (or piece) of file and parses it.
// Returns a mapline_result.
[[nodiscard]] int get_mapline(FILE* file, map_entry* entry);

// Whether the entry's rectangle holds the tap.
[[nodiscard]] bool entry_holds(const map_entry& e, int32_t x, int32_t y);

// Reads entries until the first that holds (x, y), prints its character
// (or, with ascii set, its byte value in decimal) and returns its value.
// Returns -1 with nothing printed when no entry holds the tap.
[[nodiscard]] int output_mapped_char(FILE* file, int32_t x, int32_t y, int ascii);
