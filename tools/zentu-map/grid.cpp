// zentu-map grid: a keypad of C x R keys over a touch area, written as a
// map in the device's own units.
//
// Key edges: column c spans the points x_min + floor(c*W/C) to
// x_min + floor((c+1)*W/C) - 1 of an area W points wide, so the columns
// partition the area and differ in width by one point at most; where W is
// not a multiple of C the wider columns are spread evenly along the row,
// the last always among them. Rows alike. Map lower bounds are exclusive,
// so each key's x1 is one below its first point.
#include <cstdlib>
#include <cstring>

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

// The command line that made the map, quoted for a POSIX shell.
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
    char* end = nullptr;
    const long v = strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 1 || v > 100000) {
        return false;
    }
    *count = static_cast<int>(v);
    return true;
}

// Takes "--name VALUE" or "--name=VALUE" at argv[*i]. Returns false when
// argv[*i] is some other argument; *value is null when the value is missing.
bool take_value(int argc, char** argv, int* i, const char* name, const char** value) {
    const size_t n = strlen(name);
    if (strcmp(argv[*i], name) == 0) {
        *value = *i + 1 < argc ? argv[++*i] : nullptr;
        return true;
    }
    if (strncmp(argv[*i], name, n) == 0 && argv[*i][n] == '=') {
        *value = argv[*i] + n + 1;
        return true;
    }
    return false;
}

// Returns an empty string, or what is wrong with the arguments.
std::string parse_grid(int argc, char** argv, grid_spec* g) {
    bool has_area = false;
    const char* keys = nullptr;
    for (int i = 0; i < argc; ++i) {
        std::string complaint;
        const area_option taken = take_area_option(argc, argv, &i, &g->area, &complaint);
        if (taken == AREA_BAD) {
            return complaint;
        }
        const char* value = nullptr;
        if (taken == AREA_TAKEN) {
            has_area = true;
        } else if (take_value(argc, argv, &i, "--keys", &value)) {
            if (value == nullptr) {
                return "--keys needs a value";
            }
            keys = value;
        } else if (take_value(argc, argv, &i, "--cols", &value)) {
            if (value == nullptr || !parse_count(value, &g->columns)) {
                return "--cols needs a whole number from 1 to 100000";
            }
        } else if (take_value(argc, argv, &i, "--rows", &value)) {
            if (value == nullptr || !parse_count(value, &g->rows)) {
                return "--rows needs a whole number from 1 to 100000";
            }
        } else {
            return "grid: unexpected argument " + std::string(argv[i]);
        }
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
    if (g.keys.find_first_of(" \r\n") != std::string::npos) {
        return "--keys: a space, carriage return or newline cannot be a key's character in a "
               "map line";
    }
    if (span(g.area.x_min, g.area.x_max) < g.columns) {
        return "the area is fewer points wide than the grid has columns";
    }
    if (span(g.area.y_min, g.area.y_max) < g.rows) {
        return "the area is fewer points high than the grid has rows";
    }
    return nullptr;
}

void write_grid(std::ostream& out, const grid_spec& g, const std::string& command) {
    out << "# " << command << '\n';
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
    std::string command = "zentu-map grid";
    for (int i = 0; i < argc; ++i) {
        command += " " + shell_word(argv[i]);
    }
    write_grid(out, g, command);
    return 0;
}
