// SPDX-License-Identifier: MIT
// Opening the devices and the map file so that hostile paths cannot hang
// the run or pass for a working device.
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "main.h"

// Opens path without waiting: a FIFO whose writer never comes would
// otherwise block the open for ever, before any delay could run out. The
// descriptor is made blocking again, so reads behave as on a plain open.
// A directory opens read-only but can never be read, so it is refused.
int open_readable(const char* path) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        const int saved = errno;
        close(fd);
        errno = saved;
        return -1;
    }
    if (S_ISDIR(st.st_mode)) {
        close(fd);
        errno = EISDIR;
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int saved = errno;
        close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

bool open_touch_device(const char* path, int* fd) {
    const int opened = open_readable(path);
    if (opened < 0) {
        perror("cannot open touch input device");
        return false;
    }
    *fd = opened;
    return true;
}

bool open_vibra_device(const char* path, int* fd) {
    // O_RDWR neither waits on a FIFO nor opens a directory.
    const int opened = open(path, O_RDWR);
    if (opened < 0) {
        perror("cannot open vibration output device");
        return false;
    }
    *fd = opened;
    return true;
}

bool open_map_file(const char* path, FILE** map) {
    const int fd = open_readable(path);
    FILE* opened = fd < 0 ? nullptr : fdopen(fd, "r");
    if (opened == nullptr) {
        const int saved = errno;
        if (fd >= 0) {
            close(fd);
        }
        errno = saved;
        perror("cannot open mapping table");
        return false;
    }
    *map = opened;
    return true;
}

void guard_standard_descriptors() {
    for (int target = STDOUT_FILENO; target <= STDERR_FILENO; ++target) {
        if (fcntl(target, F_GETFD) >= 0 || errno != EBADF) {
            continue;
        }
        // Read-only, so that writes to it still fail and are reported.
        const int fd = open("/dev/null", O_RDONLY);
        if (fd >= 0 && fd != target) {
            dup2(fd, target);
            close(fd);  // also gives descriptor 0 back if it was closed
        }
    }
}
