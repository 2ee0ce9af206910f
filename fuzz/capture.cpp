// SPDX-License-Identifier: MIT
#include "capture.h"

#include <cstdio>
#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

void capture_init() {
    const int fd = memfd_create("fuzz-stdout", 0);
    if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) {
        perror("capture_init");
        abort();
    }
    close(fd);
}

void capture_reset() {
    fflush(stdout);
    clearerr(stdout);
    if (ftruncate(STDOUT_FILENO, 0) != 0 || lseek(STDOUT_FILENO, 0, SEEK_SET) != 0) {
        perror("capture_reset");
        abort();
    }
}

size_t capture_take(char* buf, size_t cap) {
    fflush(stdout);
    const ssize_t n = pread(STDOUT_FILENO, buf, cap, 0);
    return n < 0 ? 0 : static_cast<size_t>(n);
}

void property_failed(const char* what) {
    fprintf(stderr, "property broken: %s\n", what);
    abort();
}
