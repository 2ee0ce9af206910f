// SPDX-License-Identifier: MIT
// A map file as zentu's reader reads it, piece by piece; the touch area a
// map is meant for, as --screen or --area gives it; rectangles in map
// terms; and the words for characters and bytes that the commands share.
#include <algorithm>
#include <cstring>

#include "zentu_map.h"

namespace {

// clang-format off
constexpr tool_option MAP_OPTIONS[] = {
    value_option("--screen", OPT_SCREEN), value_option("--area", OPT_AREA),
    value_option("--background", OPT_BACKGROUND), value_option("--keys", OPT_KEYS),
    value_option("--cols", OPT_COLS), value_option("--rows", OPT_ROWS),
    value_option("--rotate", OPT_ROTATE), value_option("--taps", OPT_TAPS),
    flag_option("--mirror-x", OPT_MIRROR_X), flag_option("--mirror-y", OPT_MIRROR_Y),
    SHORT_HELP_OPTION, HELP_OPTION, VERSION_OPTION, {}};
// clang-format on

// fgets stores the bytes it read and one NUL after them; NUL bytes read from
// the file look the same. Filling the buffer with newlines first tells them
// apart: fgets stops after a newline, so only the last byte read can be one,
// and the stored NUL is the last byte that is not a fill newline.
size_t stored_length(const char* buffer) {
    size_t i = MAP_LINE_SIZE - 1;
    while (i > 0 && buffer[i] == '\n') {
        --i;
    }
    return i;
}

bool ends_line(const std::string& raw) {
    return !raw.empty() && raw.back() == '\n';
}

// Marks the pieces of each line with how many there were.
void count_pieces(std::vector<map_line>* lines) {
    for (size_t i = lines->size(); i-- > 0;) {
        map_line& m = (*lines)[i];
        const bool last = i + 1 == lines->size() || (*lines)[i + 1].line != m.line;
        m.pieces = last ? m.piece : (*lines)[i + 1].pieces;
    }
}

// A map's lower bounds are exclusive, so an area's lowest point must have
// a number below it: the area starts above the smallest 32-bit number.
constexpr int64_t AREA_LOWEST = INT32_MIN + int64_t{1};

constexpr const char* NOT_AN_AREA =
    "not X1..X2xY1..Y2 with whole numbers of 32 bits (such as 200..3900x200..3900)";

// Reads an optional minus sign and decimal digits at *p. Returns false when
// there are no digits or the number leaves the 32-bit range.
bool read_coordinate(const char** p, int64_t* value) {
    const bool negative = **p == '-';
    *p += negative ? 1 : 0;
    int64_t v = 0;
    if (!read_decimal(p, INT32_MAX + int64_t{1}, &v)) {
        return false;
    }
    *value = negative ? -v : v;
    return *value >= INT32_MIN && *value <= INT32_MAX;
}

bool skip(const char** p, const char* what) {
    const size_t n = strlen(what);
    if (strncmp(*p, what, n) != 0) {
        return false;
    }
    *p += n;
    return true;
}

// "X1..X2" for one axis.
const char* read_range(const char** p, int64_t* low, int64_t* high) {
    if (!read_coordinate(p, low) || !skip(p, "..") || !read_coordinate(p, high)) {
        return NOT_AN_AREA;
    }
    if (*low > *high) {
        return "the lower end of a range is above its upper end";
    }
    if (*low < AREA_LOWEST) {
        return "a range cannot start at -2147483648: a map's lower bounds are exclusive, and "
               "nothing lies below it";
    }
    return nullptr;
}

// Whether the text holds a byte that has no business on a command line:
// a control character, which would also break a one-line complaint.
bool has_control(const char* text) {
    for (; *text != '\0'; ++text) {
        const auto c = static_cast<unsigned char>(*text);
        if (c < ' ' || c == 0x7f) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool read_map_lines(FILE* file, std::vector<map_line>* lines) {
    int line = 1;
    int piece = 1;
    for (;;) {
        char buffer[MAP_LINE_SIZE];
        memset(buffer, '\n', sizeof buffer);
        if (!read_map_piece(file, buffer)) {
            break;
        }
        map_line m;
        m.line = line;
        m.piece = piece;
        m.raw.assign(buffer, stored_length(buffer));
        m.result = parse_mapline(buffer, &m.entry);
        if (ends_line(m.raw)) {
            ++line;
            piece = 1;
        } else {
            ++piece;
        }
        lines->push_back(m);
    }
    count_pieces(lines);
    return ferror(file) == 0;
}

bool read_decimal(const char** p, int64_t max, int64_t* value) {
    const char* s = *p;
    int64_t v = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        v = v * 10 + (*s - '0');
        if (v > max) {
            return false;
        }
    }
    *value = v;
    const bool any = s != *p;
    *p = s;
    return any;
}

std::string shown(const char* text) {
    return has_control(text) ? quote_bytes(text) : std::string(text);
}

touch_area screen_area(int32_t width, int32_t height) {
    touch_area a;
    a.x_max = width - 1;
    a.y_max = height - 1;
    return a;
}

bool parse_screen(const char* text, touch_area* area) {
    const char* p = text;
    int64_t w = 0;
    int64_t h = 0;
    if (!read_decimal(&p, INT32_MAX, &w) || (*p != 'x' && *p != 'X')) {
        return false;
    }
    ++p;
    if (!read_decimal(&p, INT32_MAX, &h) || *p != '\0' || w < 1 || h < 1) {
        return false;
    }
    *area = screen_area(static_cast<int32_t>(w), static_cast<int32_t>(h));
    return true;
}

const char* parse_area(const char* text, touch_area* area) {
    const char* p = text;
    int64_t x[2] = {};
    int64_t y[2] = {};
    if (const char* why = read_range(&p, &x[0], &x[1])) {
        return why;
    }
    if (!skip(&p, "x") && !skip(&p, "X")) {
        return NOT_AN_AREA;
    }
    if (const char* why = read_range(&p, &y[0], &y[1])) {
        return why;
    }
    if (*p != '\0') {
        return NOT_AN_AREA;
    }
    area->x_min = static_cast<int32_t>(x[0]);
    area->x_max = static_cast<int32_t>(x[1]);
    area->y_min = static_cast<int32_t>(y[0]);
    area->y_max = static_cast<int32_t>(y[1]);
    area->is_screen = false;
    return nullptr;
}

arg_reader map_arguments(int argc, char** argv, int first) {
    return arg_reader{argc, argv, MAP_OPTIONS, true, first};
}

area_option take_area_option(const arg& a, touch_area* area, std::string* complaint) {
    if (a.id != OPT_SCREEN && a.id != OPT_AREA) {
        return AREA_NONE;
    }
    const std::string name = a.id == OPT_SCREEN ? "--screen" : "--area";
    const char* value = a.value;
    if (a.kind == ARG_MISSING) {
        *complaint = name + " needs a value";
        return AREA_BAD;
    }
    // Two would leave the reader guessing which one counts.
    if (area->x_min <= area->x_max) {
        *complaint = "give one --screen or --area, not two";
        return AREA_BAD;
    }
    if (name == "--screen") {
        if (parse_screen(value, area)) {
            return AREA_TAKEN;
        }
        *complaint = "--screen " + shown(value) +
                     ": not WIDTHxHEIGHT with two positive whole numbers of digits (such as "
                     "240x320)";
        return AREA_BAD;
    }
    if (const char* why = parse_area(value, area)) {
        *complaint = "--area " + shown(value) + ": " + why;
        return AREA_BAD;
    }
    return AREA_TAKEN;
}

std::string describe_area(const touch_area& a) {
    if (a.is_screen) {
        return "screen " + std::to_string(int64_t{a.x_max} + 1) + "x" +
               std::to_string(int64_t{a.y_max} + 1);
    }
    return "area " + std::to_string(a.x_min) + ".." + std::to_string(a.x_max) + "x" +
           std::to_string(a.y_min) + ".." + std::to_string(a.y_max);
}

map_entry area_box(const touch_area& a) {
    map_entry b{};
    b.x1 = a.x_min - 1;
    b.y1 = a.y_min - 1;
    b.x2 = a.x_max;
    b.y2 = a.y_max;
    return b;
}

bool box_empty(const map_entry& b) {
    return b.x1 >= b.x2 || b.y1 >= b.y2;
}

map_entry box_intersection(const map_entry& a, const map_entry& b) {
    map_entry r{};
    r.x1 = std::max(a.x1, b.x1);
    r.y1 = std::max(a.y1, b.y1);
    r.x2 = std::min(a.x2, b.x2);
    r.y2 = std::min(a.y2, b.y2);
    return r;
}

uint64_t box_points(const map_entry& b) {
    if (box_empty(b)) {
        return 0;
    }
    const auto w = static_cast<uint64_t>(int64_t{b.x2} - b.x1);
    const auto h = static_cast<uint64_t>(int64_t{b.y2} - b.y1);
    return w * h;  // below 2^64: each side is below 2^32
}

std::string describe_box(const map_entry& b) {
    return std::to_string(b.x1) + " < x <= " + std::to_string(b.x2) + ", " + std::to_string(b.y1) +
           " < y <= " + std::to_string(b.y2);
}

uint32_t exit_status(int32_t value) {
    return static_cast<uint32_t>(value) & 255U;
}

std::string describe_character(unsigned char c) {
    if (c > ' ' && c < 0x7f) {
        return std::string("'") + static_cast<char>(c) + "'";
    }
    const char* name = c == '\t'   ? " (tab)"
                       : c == '\n' ? " (newline)"
                       : c == '\r' ? " (carriage return)"
                                   : "";
    return "code " + std::to_string(c) + name;
}

std::string quote_bytes(const std::string& bytes) {
    static const char hex[] = "0123456789abcdef";
    std::string q = "\"";
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\t') {
            q += "\\t";
        } else if (c == '\r') {
            q += "\\r";
        } else if (c == '\n') {
            q += "\\n";
        } else if (c == '"' || c == '\\') {
            q += std::string("\\") + ch;
        } else if (c < ' ' || c >= 0x7f) {
            q += std::string("\\x") + hex[c >> 4] + hex[c & 15];
        } else {
            q += ch;
        }
    }
    return q + "\"";
}
