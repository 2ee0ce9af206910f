// SPDX-License-Identifier: MIT
// Lookup: the first entry in file order whose rectangle holds the tap.
#include <cstdio>

#include "tapmap.h"

bool entry_holds(const map_entry& e, int32_t x, int32_t y) {
    return e.x1 < x && x <= e.x2 && e.y1 < y && y <= e.y2;
}

int output_mapped_char(FILE* file, int32_t x, int32_t y, int ascii) {
    map_entry e{};
    for (;;) {
        const int r = get_mapline(file, &e);
        if (r == MAPLINE_END) {
            return -1;
        }
        if (r == MAPLINE_ENTRY && entry_holds(e, x, y)) {
            if (ascii != 0) {
                printf("%d", e.character);
            } else {
                putchar(e.character);
            }
            return e.value;
        }
    }
}
