/* The floor for a tap run: the least any tap reader has to do. Open the
 * touch device, wait for data, read records up to the synchronisation
 * report that closes a finger-down burst, exit. One record per read, as
 * an input event device hands them out. Nothing is printed.
 *   zentu-floor DEVICE [LIMIT-MS]
 * With a limit it waits as zentu is designed to, in polls of 100 ms until
 * the limit has passed, and then exits with 255.
 *
 * Built with FLOOR_DUTIES it also does what zentu must do on top of that:
 * options through getopt_long, a poll before every read (so a stalled
 * burst can be given up) and the answer "x:y" through standard output's
 * buffer.
 *   zentu-floor-duties -t DEVICE -x -y [-d LIMIT-MS] */
#include <fcntl.h>
#include <getopt.h>
#include <linux/input.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

/* 1 when data came, 0 when the limit passed first. */
static int wait_for_data(struct pollfd* p, int limit_ms) {
    if (limit_ms == 0) {
        return poll(p, 1, -1) > 0;
    }
    const double start = now_ms();
    while (now_ms() - start < limit_ms) {
        if (poll(p, 1, 100) > 0) {
            return 1;
        }
    }
    return 0;
}

#ifdef FLOOR_DUTIES
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
#else
static int parse(int argc, char** argv, const char** path, int* limit_ms) {
    if (argc < 2) {
        return 0;
    }
    *path = argv[1];
    *limit_ms = argc > 2 ? atoi(argv[2]) : 0;
    return 1;
}
#endif

int main(int argc, char** argv) {
    const char* path = NULL;
    int limit_ms = 0;
    if (!parse(argc, argv, &path, &limit_ms)) {
        return 2;
    }
    int fd = open(path, O_RDONLY);
    if (fd < 0) {
        return 2;
    }
    struct pollfd p = {fd, POLLIN, 0};
    if (!wait_for_data(&p, limit_ms)) {
        return 255;
    }
    struct input_event ev;
    int down = 0;
    int x = 0;
    int y = 0;
    int polled = 1;
    for (;;) {
#ifdef FLOOR_DUTIES
        if (!polled && poll(&p, 1, 100) <= 0) {
            return 2;
        }
        polled = 0;
#endif
        if (read(fd, &ev, sizeof ev) != (ssize_t)sizeof ev) {
            return 1;
        }
        if (ev.type == EV_KEY && ev.code == BTN_TOUCH) {
            down = ev.value == 1;
        } else if (ev.type == EV_ABS && ev.code == ABS_MT_POSITION_X) {
            x = ev.value;
        } else if (ev.type == EV_ABS && ev.code == ABS_MT_POSITION_Y) {
            y = ev.value;
        } else if (ev.type == EV_SYN && ev.code == SYN_REPORT && down) {
            break;
        }
    }
#ifdef FLOOR_DUTIES
    answer(x, y);
#else
    (void)x;
    (void)y;
    (void)polled;
#endif
    return 0;
}
