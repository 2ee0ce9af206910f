/* The floor for a tap run: the least any tap reader has to do. Open the
 * touch device, wait for data, read records up to the synchronisation
 * report that closes a finger-down burst, exit. One record per read, as
 * an input event device hands them out. Nothing is printed.
 *
 * Built with FLOOR_DUTIES it also does what zentu must do on top of that:
 * a poll before every read (so a stalled burst can be given up) and the
 * answer "x:y" through standard output's buffer. */
#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <stdio.h>
#include <unistd.h>

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
#endif

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    int fd = open(argv[1], O_RDONLY);
    if (fd < 0) {
        return 2;
    }
    struct pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, -1) <= 0) {
        return 2;
    }
    struct input_event ev;
    int down = 0;
    int x = 0;
    int y = 0;
    for (;;) {
#ifdef FLOOR_DUTIES
        if (poll(&p, 1, 100) <= 0) {
            return 2;
        }
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
#endif
    return 0;
}
