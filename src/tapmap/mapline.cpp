// Map line reader: blank and comment filter, and the six space-separated
// fields of an entry.
#include <cstdio>
#include <cstring>

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

bool read_map_piece(FILE* file, char* piece) {
    return fgets(piece, MAP_LINE_SIZE, file) != nullptr;
}

int get_mapline(FILE* file, map_entry* entry) {
    *entry = map_entry{};
    char piece[MAP_LINE_SIZE];
    if (!read_map_piece(file, piece)) {
        return MAPLINE_END;
    }
    return parse_mapline(piece, entry);
}

int parse_mapline(char* piece, map_entry* entry) {
    *entry = map_entry{};
    char* text = cleanup_line(piece);
    if (text == nullptr) {
        return MAPLINE_SKIPPED;
    }
    // Only the space separates: a tab or the newline stays in its field.
    int32_t* const numbers[] = {&entry->x1, &entry->y1, &entry->x2, &entry->y2, &entry->value};
    char* field = strtok(text, " ");
    for (int32_t* number : numbers) {
        if (field == nullptr) {
            return MAPLINE_SKIPPED;
        }
        *number = parse_map_number(field);
        field = strtok(nullptr, " ");
    }
    if (field == nullptr) {
        return MAPLINE_SKIPPED;
    }
    entry->character = static_cast<unsigned char>(field[0]);
    return MAPLINE_ENTRY;
}
