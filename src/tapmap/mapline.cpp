// SPDX-License-Identifier: MIT
// Map line reader: blank and comment filter, and the six space-separated
// fields of an entry.
#include <cstdio>

#include "tapmap.h"

char* cleanup_line(char* line) {
    while (*line == ' ' || *line == '\t') {
        ++line;
    }
    if (*line == '\0' || *line == '#') {
        return nullptr;
    }
    return line;
}

namespace {

const char* skip_spaces(const char* p) {
    while (*p == ' ') {
        ++p;
    }
    return p;
}

}  // namespace

bool read_map_piece(FILE* file, char* piece) {
    return fgets(piece, MAP_LINE_SIZE, file) != nullptr;
}

int get_mapline(FILE* file, map_entry* entry) {
    char piece[MAP_LINE_SIZE];
    if (!read_map_piece(file, piece)) {
        *entry = map_entry{};  // parse_mapline clears it on every other path
        return MAPLINE_END;
    }
    return parse_mapline(piece, entry);
}

// One pass over the piece. Only the space separates: a tab or the newline
// stays in its field, and a run of spaces is one separator.
int parse_mapline(char* piece, map_entry* entry) {
    *entry = map_entry{};
    const char* p = cleanup_line(piece);
    if (p == nullptr) {
        return MAPLINE_SKIPPED;
    }
    int32_t* const numbers[] = {&entry->x1, &entry->y1, &entry->x2, &entry->y2, &entry->value};
    for (int32_t* number : numbers) {
        p = skip_spaces(p);
        if (*p == '\0') {
            return MAPLINE_SKIPPED;
        }
        p = read_map_field_number(p, number);
    }
    p = skip_spaces(p);
    if (*p == '\0') {
        return MAPLINE_SKIPPED;
    }
    entry->character = static_cast<unsigned char>(*p);
    return MAPLINE_ENTRY;
}
