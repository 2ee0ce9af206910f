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

int get_mapline(FILE* file, map_entry* entry) {
    *entry = map_entry{};
    char line[MAP_LINE_SIZE];
    if (fgets(line, sizeof line, file) == nullptr) {
        return MAPLINE_END;
    }
    char* text = cleanup_line(line);
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
