// SPDX-License-Identifier: MIT
/* The floor plus what zentu must do on top of it: options through
 * getopt_long, a poll before every read (so a stalled burst can be given
 * up) and the answer "x:y" through standard output's buffer. Tells zentu's
 * own overhead from the cost of its duties.
 *   zentu-floor-duties -t DEVICE -x -y [-d LIMIT-MS] */
#include <getopt.h>
#include <stdio.h>
#include <stdlib.h>

#include "floor.h"

static char out[BUFSIZ];

static char* put_number(char* p, int v) {
    char digits[12];
    int n = 0;
    unsigned m = v < 0 ? 0U - (unsigned)v : (unsigned)v;
    do {
        digits[n++] = (char)('0' + m % 10);
        m /= 10;
    } while (m != 0);
    if (v < 0) {
        *p++ = '-';
    }
    while (n > 0) {
        *p++ = digits[--n];
    }
    return p;
}

static void answer(int x, int y) {
    setvbuf(stdout, out, _IOFBF, sizeof out);
    char line[32];
    char* p = put_number(line, x);
    *p++ = ':';
    p = put_number(p, y);
    *p++ = '\n';
    *p = '\0';
    fputs(line, stdout);
    fflush(stdout);
}

static int parse(int argc, char** argv, const char** path, int* limit_ms) {
    static const struct option longs[] = {{"touch-dev", required_argument, NULL, 't'},
                                          {"wait-delay", required_argument, NULL, 'd'},
                                          {NULL, 0, NULL, 0}};
    int opt;
    while ((opt = getopt_long(argc, argv, "t:d:xy", longs, NULL)) != -1) {
        if (opt == 't') {
            *path = optarg;
        } else if (opt == 'd') {
            *limit_ms = (int)strtol(optarg, NULL, 10);
        } else if (opt != 'x' && opt != 'y') {
            return 0;
        }
    }
    return *path != NULL;
}

int main(int argc, char** argv) {
    const char* path = NULL;
    int limit_ms = 0;
    if (!parse(argc, argv, &path, &limit_ms)) {
        return 2;
    }
    int x = 0;
    int y = 0;
    const int status = floor_tap(path, limit_ms, 1, &x, &y);
    if (status == 0) {
        answer(x, y);
    }
    return status;
}
