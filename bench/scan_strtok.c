// SPDX-License-Identifier: MIT
/* Baseline map scan, written the straightforward way: fgets into a
 * 200-byte buffer, strtok at spaces, strtoul with automatic base.
 *   scan-strtok MAP X Y
 * Prints the character of the first rectangle holding (X, Y) and exits
 * with its value, as zentu -c does. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc < 4) {
        return 2;
    }
    FILE* f = fopen(argv[1], "r");
    if (f == NULL) {
        return 2;
    }
    const int32_t x = (int32_t)strtol(argv[2], NULL, 10);
    const int32_t y = (int32_t)strtol(argv[3], NULL, 10);
    char line[200];
    while (fgets(line, sizeof line, f) != NULL) {
        char* t = line;
        while (*t == ' ' || *t == '\t') {
            ++t;
        }
        if (*t == '\0' || *t == '#') {
            continue;
        }
        int32_t v[5];
        int n = 0;
        char* field = strtok(t, " ");
        for (; n < 5 && field != NULL; ++n) {
            v[n] = (int32_t)strtoul(field, NULL, 0);
            field = strtok(NULL, " ");
        }
        if (n < 5 || field == NULL) {
            continue;
        }
        if (v[0] < x && x <= v[2] && v[1] < y && y <= v[3]) {
            putchar(field[0]);
            return v[4] & 255;
        }
    }
    return 255;
}
