/* The floor for a tap run: the least any tap reader has to do. Open the
 * touch device, wait for data, read records up to the synchronisation
 * report that closes a finger-down burst, exit. One record per read, as
 * an input event device hands them out. Nothing is printed. */
#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <unistd.h>

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
    while (read(fd, &ev, sizeof ev) == (ssize_t)sizeof ev) {
        if (ev.type == EV_KEY && ev.code == BTN_TOUCH) {
            down = ev.value == 1;
        } else if (ev.type == EV_SYN && ev.code == SYN_REPORT && down) {
            return 0;
        }
    }
    return 1;
}
