// SPDX-License-Identifier: MIT
// zentu-map: shows map authors what zentu makes of a map file. It reads the
// file with zentu's own map reader, so what it reports is what zentu does.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "options.h"
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

// The points a touch device reports, min..max inclusive per axis. Given as
// --screen WIDTHxHEIGHT (the points 0..WIDTH-1 by 0..HEIGHT-1) or as
// --area X1..X2xY1..Y2, for devices whose ranges do not start at 0.
struct touch_area {
    int32_t x_min = 0;
    int32_t x_max = -1;
    int32_t y_min = 0;
    int32_t y_max = -1;
    bool is_screen = true;  // given as --screen, and reported that way
};

// The area of a screen of that resolution.
[[nodiscard]] touch_area screen_area(int32_t width, int32_t height);

// Parses "WIDTHxHEIGHT". Returns false when it is not two positive numbers
// of decimal digits alone, at most 2147483647.
[[nodiscard]] bool parse_screen(const char* text, touch_area* area);

// Parses "X1..X2xY1..Y2". Returns null, or why the text is not an area.
[[nodiscard]] const char* parse_area(const char* text, touch_area* area);

// Every option of every command, so that -h, --help and --version count
// only where an option may stand ("--keys -h" is two keys). A command
// refuses the options that are not its own. Values come as the next
// argument or after "=".
enum map_option : int {
    OPT_SCREEN = 0x200,
    OPT_AREA,
    OPT_BACKGROUND,
    OPT_KEYS,
    OPT_COLS,
    OPT_ROWS,
    OPT_ROTATE,
    OPT_MIRROR_X,
    OPT_MIRROR_Y,
    OPT_TAPS,
};

// Reads argv[first..argc-1] with the options of every command.
[[nodiscard]] arg_reader map_arguments(int argc, char** argv, int first);

// Takes a --screen or --area. Returns AREA_NONE when the argument is
// neither, AREA_BAD with *complaint set when its value is missing or wrong
// or area already holds one (is not empty): one of them, once.
enum area_option : int { AREA_NONE, AREA_TAKEN, AREA_BAD };
[[nodiscard]] area_option take_area_option(const arg& a, touch_area* area, std::string* complaint);

// Reads decimal digits alone at *p (no blank, no sign), the same on every
// CPU. Returns false when there are none or the number is beyond max.
[[nodiscard]] bool read_decimal(const char** p, int64_t max, int64_t* value);

// An argument as a one-line complaint shows it: as it is, or quoted as C
// would write it when it holds a control character.
[[nodiscard]] std::string shown(const char* text);

// "screen 240x320" or "area 200..3900x200..3900", as it was given.
[[nodiscard]] std::string describe_area(const touch_area& area);

// The area in map terms: the entry x_min-1 y_min-1 x_max y_max.
[[nodiscard]] map_entry area_box(const touch_area& area);

// --- Rectangles, in map terms: x1 < x <= x2, y1 < y <= y2. ---

[[nodiscard]] bool box_empty(const map_entry& b);
[[nodiscard]] map_entry box_intersection(const map_entry& a, const map_entry& b);
[[nodiscard]] uint64_t box_points(const map_entry& b);
// "0 < x <= 160, 0 < y <= 120"
[[nodiscard]] std::string describe_box(const map_entry& b);

// --- Words for what a map holds. ---

// "'a'", or "code 10 (newline)" for bytes that do not print.
[[nodiscard]] std::string describe_character(unsigned char c);
// The byte shown as C would write it in a string literal.
[[nodiscard]] std::string quote_bytes(const std::string& bytes);

// The exit status a caller sees for an entry's value: its low 8 bits.
[[nodiscard]] uint32_t exit_status(int32_t value);

// --- What the entries do to one another. ---

// Points of an entry that an earlier entry takes: points that the earlier
// one holds and no entry before it does.
struct taking {
    uint32_t entry;
    uint32_t earlier;
    uint64_t points;
};

struct analysis_limits {
    size_t budget = 0;      // rectangles in the answer, and steps to find them
    bool overlaps = false;  // collect the rectangles that several entries hold
};

// Enough for any map whose entries do not cross one another thousands of times.
[[nodiscard]] analysis_limits default_limits(size_t entries, bool overlaps);

struct map_analysis {
    size_t analysed = 0;              // entries from the first on that the answer covers
    bool coverage = false;            // gaps were found
    std::vector<uint64_t> won;        // per entry: points no earlier entry holds
    std::vector<map_entry> label;     // per entry: its largest such rectangle in the frame
    std::vector<taking> taken;        // by entry, then earlier entry
    std::vector<size_t> taken_start;  // per entry and one past: where its takings begin
    std::vector<map_entry> gaps;      // the screen's points no entry holds, by y1, then x1
    std::vector<map_entry> overlaps;  // points more than one entry holds
};

// entries in file order; screen may be null. When the answer outgrows the
// budget, coverage is left out, and then entries from the end.
[[nodiscard]] map_analysis analyse_entries(const std::vector<map_entry>& entries,
                                           const map_entry* screen, const map_entry& frame,
                                           const analysis_limits& limits);

// The map as both commands see it.
struct map_view {
    std::vector<map_entry> entries;  // in file order
    std::vector<size_t> entry_line;  // index into the lines for each entry
    map_entry frame{};               // the screen, or the area the entries span
    map_analysis analysis;
};

// screen may be null; overlaps as in analysis_limits.
[[nodiscard]] map_view make_view(const std::vector<map_line>& lines, const map_entry* screen,
                                 bool overlaps);

// --- The two commands. ---

// Writes the line-by-line report. Returns the number of warnings.
int write_check(std::ostream& out, const std::string& name, const std::vector<map_line>& lines,
                const touch_area* screen);

// Writes the picture as an SVG document; with a background, over that
// image (referenced by its name, not embedded), stretched over the screen.
void write_svg(std::ostream& out, const std::string& name, const std::vector<map_line>& lines,
               const touch_area* screen, const char* background = nullptr);

// --- grid: a keypad of equal keys. ---

struct grid_spec {
    touch_area area;
    int columns = 0;
    int rows = 0;
    std::string keys;  // one byte per key, row by row
};

// Largest number of keys: values 1..253 keep clear of 0 (success), 254
// (error) and 255 (timeout, no key).
inline constexpr int GRID_MAX_KEYS = 253;

// Returns null, or why the grid cannot be written.
[[nodiscard]] const char* grid_problem(const grid_spec& grid);

// Writes the map of a grid that grid_problem accepts: comment lines with the
// command that makes it, each a line to the map reader, then the keys.
void write_grid(std::ostream& out, const grid_spec& grid);

// The grid command: parses its arguments (after "grid") and writes the map.
// Returns the exit status, or -1 after writing a complaint to err when the
// caller is to show the usage.
[[nodiscard]] int grid_command(int argc, char** argv, std::ostream& out, std::ostream& err);
