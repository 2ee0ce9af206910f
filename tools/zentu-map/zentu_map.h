// zentu-map: shows map authors what zentu makes of a map file. It reads the
// file with zentu's own map reader, so what it reports is what zentu does.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "tapmap/tapmap.h"

// One piece as read_map_piece gives it: a whole line, or part of a line
// longer than MAP_LINE_SIZE - 1 characters.
struct map_line {
    int line = 0;       // line number in the file, from 1
    int piece = 1;      // piece number within the line, from 1
    int pieces = 1;     // how many pieces the line was read in
    std::string raw;    // every byte stored, NUL bytes and newline included
    int result = 0;     // what parse_mapline returned
    map_entry entry{};  // filled when result is MAPLINE_ENTRY
};

// Reads every piece of file. Returns false on a read error.
[[nodiscard]] bool read_map_lines(FILE* file, std::vector<map_line>* lines);

// The screen as a touch device of that resolution reports it: the points
// 0 <= x < width, 0 <= y < height.
struct screen_size {
    int32_t width = 0;
    int32_t height = 0;
};

// Parses "WIDTHxHEIGHT". Returns false when it is not two positive numbers.
[[nodiscard]] bool parse_screen(const char* text, screen_size* screen);

// The screen in map terms, as the entry -1 -1 width-1 height-1.
[[nodiscard]] map_entry screen_box(const screen_size& screen);

// --- Rectangles, in map terms: x1 < x <= x2, y1 < y <= y2. ---

[[nodiscard]] bool box_empty(const map_entry& b);
[[nodiscard]] map_entry box_intersection(const map_entry& a, const map_entry& b);
[[nodiscard]] uint64_t box_points(const map_entry& b);
// "0 < x <= 160, 0 < y <= 120"
[[nodiscard]] std::string describe_box(const map_entry& b);

// --- What the lines mean. ---

// Text of the piece as zentu sees it: up to the first NUL byte.
[[nodiscard]] std::string piece_text(const map_line& m);
// Plain-words reason why zentu skips the line (result MAPLINE_SKIPPED).
[[nodiscard]] std::string skip_reason(const map_line& m);
// Whether the skipped line is one zentu skips by design: a comment or a
// blank line, without a NUL byte.
[[nodiscard]] bool skip_is_intended(const map_line& m);
// Hints for tabs or carriage returns that join two fields into one, for
// the first max_fields fields of the piece's text.
[[nodiscard]] std::vector<std::string> join_hints(const std::string& text, size_t max_fields);
// "'a'", or "code 10 (newline)" for bytes that do not print.
[[nodiscard]] std::string describe_character(unsigned char c);
// The byte shown as C would write it in a string literal.
[[nodiscard]] std::string quote_bytes(const std::string& bytes);

// --- Coverage, computed exactly on a grid made of every entry's edges. ---

// Cell (i, j) holds the points xs[i] < x <= xs[i+1], ys[j] < y <= ys[j+1].
struct coverage {
    std::vector<int32_t> xs;
    std::vector<int32_t> ys;
    std::vector<int> winner;   // per cell: index of the first entry holding it, or -1
    std::vector<int> holders;  // per cell: how many entries hold it
    [[nodiscard]] size_t columns() const { return xs.size() - 1; }
    [[nodiscard]] size_t rows() const { return ys.size() - 1; }
    [[nodiscard]] size_t cell(size_t i, size_t j) const { return j * columns() + i; }
    [[nodiscard]] map_entry cell_box(size_t i, size_t j) const;
};

// entries in file order; screen may be null.
[[nodiscard]] coverage compute_coverage(const std::vector<map_entry>& entries,
                                        const map_entry* screen);

// Points of each entry that it wins (no earlier entry holds them).
[[nodiscard]] std::vector<uint64_t> won_points(const coverage& c, size_t entry_count);

// The screen's points that no entry holds, merged into few rectangles.
[[nodiscard]] std::vector<map_entry> uncovered_boxes(const coverage& c, const map_entry& screen);

// --- The two commands. ---

// Writes the line-by-line report. Returns the number of warnings.
int write_check(std::ostream& out, const std::string& name, const std::vector<map_line>& lines,
                const screen_size* screen);

// Writes the picture as an SVG document.
void write_svg(std::ostream& out, const std::string& name, const std::vector<map_line>& lines,
               const screen_size* screen);
