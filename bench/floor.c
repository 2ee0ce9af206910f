// SPDX-License-Identifier: MIT
/* The floor for a tap run: the least any tap reader has to do (floor.h).
 * Nothing is printed; with a limit it exits with 255 once it has passed.
 *   zentu-floor DEVICE [LIMIT-MS] */
#include <stdlib.h>

#include "floor.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    int x = 0;
    int y = 0;
    return floor_tap(argv[1], argc > 2 ? atoi(argv[2]) : 0, 0, &x, &y);
}
