// SPDX-License-Identifier: MIT
// zentu-map grid: a keypad of C x R keys over a touch area, written as a
// map in the device's own units.
//
// Key edges: column c spans the points x_min + floor(c*W/C) to
// x_min + floor((c+1)*W/C) - 1 of an area W points wide, so the columns
// partition the area and differ in width by one point at most; where W is
// not a multiple of C the wider columns are spread evenly along the row,
// the last always among them. Rows alike. Map lower bounds are exclusive,
// so each key's x1 is one below its first point.
#include <algorithm>

#include "zentu_map.h"

namespace {

// Points along one axis, from min to max inclusive: up to 2^32.
int64_t span(int32_t min, int32_t max) {
    return int64_t{max} - min + 1;
}

// The last point of part `part` of `parts` along an axis; part -1 gives
// the point below the axis, which is the first part's exclusive bound.
int32_t part_end(int32_t min, int64_t points, int64_t part, int64_t parts) {
    return static_cast<int32_t>(min + (part + 1) * points / parts - 1);
}

// A word of the command that made the map, quoted for a POSIX shell when
// it needs to be.
std::string shell_word(const std::string& word) {
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                            "0123456789._/=:,+-") == std::string::npos;
    if (plain) {
        return word;
    }
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// A positive count for --cols or --rows, at most 100000.
bool parse_count(const char* text, int* count) {
    int64_t v = 0;
    if (!read_decimal(&text, 100000, &v) || *text != '\0' || v < 1) {
        return false;
    }
    *count = static_cast<int>(v);
    return true;
}

// The map reader reads 199 bytes at a time, newline included: a longer
// comment line would go on as a line of its own, perhaps an entry.
constexpr size_t COMMENT_MAX = MAP_LINE_SIZE - 2;  // without the newline

// Where a UTF-8 character goes on: no comment line is to end there.
bool continues_character(char c) {
    return (static_cast<unsigned char>(c) & 0xc0) == 0x80;
}

// How the map was made, as comment lines that are a shell command once
// their "# " is taken off: the keys go on in quoted pieces from one line to
// the next, joined by the shell's backslash-newline.
void write_command(std::ostream& out, const grid_spec& g) {
    const std::string head = "zentu-map grid --" + describe_area(g.area) + " --cols " +
                             std::to_string(g.columns) + " --rows " + std::to_string(g.rows);
    const std::string whole = "# " + head + " --keys " + shell_word(g.keys);
    if (whole.size() <= COMMENT_MAX) {
        out << whole << '\n';
        return;
    }
    out << "# " << head << " \\\n";
    std::string prefix = "# --keys ";
    for (size_t start = 0; start < g.keys.size();) {
        size_t end = start;
        for (size_t next = start + 1; next <= g.keys.size(); ++next) {
            if (next < g.keys.size() && continues_character(g.keys[next])) {
                continue;
            }
            if (prefix.size() + shell_word(g.keys.substr(start, next - start)).size() + 1 >
                COMMENT_MAX) {
                break;
            }
            end = next;
        }
        end = std::max(end, start + 1);  // a character always fits a line
        out << prefix << shell_word(g.keys.substr(start, end - start))
            << (end < g.keys.size() ? "\\\n" : "\n");
        prefix = "# ";
        start = end;
    }
}

// Acts on --keys, --cols or --rows. Returns an empty string, or what is
// wrong with it.
std::string take_grid_option(const arg& a, grid_spec* g, const char** keys) {
    const char* value = a.kind == ARG_OPTION ? a.value : nullptr;
    if (a.kind == ARG_OPTION && a.id == OPT_KEYS) {
        *keys = value;
    } else if (a.kind == ARG_MISSING && a.id == OPT_KEYS) {
        return "--keys needs a value";
    } else if (a.id == OPT_COLS || a.id == OPT_ROWS) {
        const bool cols = a.id == OPT_COLS;
        if (value == nullptr || !parse_count(value, cols ? &g->columns : &g->rows)) {
            return cols ? "--cols needs a whole number from 1 to 100000"
                        : "--rows needs a whole number from 1 to 100000";
        }
    } else {
        return "grid: unexpected argument " + shown(a.text);
    }
    return "";
}

// Returns an empty string, or what is wrong with the arguments.
std::string parse_grid(int argc, char** argv, grid_spec* g) {
    bool has_area = false;
    const char* keys = nullptr;
    for (int i = 0; i < argc; ++i) {
        // A control byte in a key would break its map line; in any other
        // argument it can only be a slip.
        if (shown(argv[i]) != argv[i]) {
            return "a control character in " + shown(argv[i]) + ": not taken";
        }
    }
    arg_reader r = map_arguments(argc, argv, 0);
    for (arg a = next_arg(&r); a.kind != ARG_END; a = next_arg(&r)) {
        std::string complaint;
        const area_option taken = take_area_option(a, &g->area, &complaint);
        if (taken == AREA_NONE) {
            complaint = take_grid_option(a, g, &keys);
        }
        if (!complaint.empty()) {
            return complaint;
        }
        has_area = has_area || taken == AREA_TAKEN;
    }
    if (!has_area) {
        return "grid needs --area X1..X2xY1..Y2 (or --screen WIDTHxHEIGHT)";
    }
    if (g->columns == 0 || g->rows == 0 || keys == nullptr) {
        return "grid needs --cols, --rows and --keys";
    }
    g->keys = keys;
    return "";
}

}  // namespace

const char* grid_problem(const grid_spec& g) {
    const int64_t keys = int64_t{g.columns} * g.rows;
    if (g.columns < 1 || g.rows < 1) {
        return "a grid needs at least one column and one row";
    }
    if (keys > GRID_MAX_KEYS) {
        return "more than 253 keys: the key values 1..253 must stay clear of the exit statuses "
               "0 (success), 254 (error) and 255 (timeout, or a tap no key holds)";
    }
    if (static_cast<int64_t>(g.keys.size()) != keys) {
        return "--keys must have one character (byte) per key: columns times rows, row by row";
    }
    if (g.keys.find(' ') != std::string::npos || shown(g.keys.c_str()) != g.keys) {
        return "--keys: a space or a control character cannot be a key's character in a map "
               "line";
    }
    if (span(g.area.x_min, g.area.x_max) < g.columns) {
        return "the area is fewer points wide than the grid has columns";
    }
    if (span(g.area.y_min, g.area.y_max) < g.rows) {
        return "the area is fewer points high than the grid has rows";
    }
    return nullptr;
}

void write_grid(std::ostream& out, const grid_spec& g) {
    write_command(out, g);
    const int64_t width = span(g.area.x_min, g.area.x_max);
    const int64_t height = span(g.area.y_min, g.area.y_max);
    for (int r = 0; r < g.rows; ++r) {
        for (int c = 0; c < g.columns; ++c) {
            const int key = r * g.columns + c;
            out << part_end(g.area.x_min, width, c - 1, g.columns) << ' '
                << part_end(g.area.y_min, height, r - 1, g.rows) << ' '
                << part_end(g.area.x_min, width, c, g.columns) << ' '
                << part_end(g.area.y_min, height, r, g.rows) << ' ' << key + 1 << ' '
                << g.keys[static_cast<size_t>(key)] << '\n';
        }
    }
}

int grid_command(int argc, char** argv, std::ostream& out, std::ostream& err) {
    grid_spec g;
    std::string complaint = parse_grid(argc, argv, &g);
    if (complaint.empty()) {
        if (const char* why = grid_problem(g)) {
            complaint = why;
        }
    }
    if (!complaint.empty()) {
        err << "zentu-map: " << complaint << '\n';
        return -1;
    }
    write_grid(out, g);
    return 0;
}
