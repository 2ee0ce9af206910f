// SPDX-License-Identifier: MIT
// Waiting for nodes: inotify on the directory, or on its parent while the
// directory itself is missing (devtmpfs makes /dev/input only with the
// first input device).
#include "wait.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// A new node, a renamed one (mdev and udev may create under another name),
// or permissions set a moment after the node (mdev's chmod, udev's ACLs).
constexpr uint32_t NODE_EVENTS =
    IN_CREATE | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr uint32_t PARENT_EVENTS = IN_CREATE | IN_MOVED_TO | IN_ATTRIB;

// How soon a node that exists but does not answer is asked again. Short
// next to a person waiting for the screen, long next to asking a few nodes.
constexpr int RECHECK_MS = 100;

// Watches the directory, or its parent until the directory is there. The
// kernel gives the same watch for the same path, so arming again is cheap;
// it also takes up a directory made anew after the old one went.
bool arm(node_watch* w) {
    if (w->fd < 0) {
        return false;
    }
    w->dir_wd = inotify_add_watch(w->fd, w->dir, NODE_EVENTS);
    if (w->dir_wd >= 0) {
        if (w->parent_wd >= 0) {
            inotify_rm_watch(w->fd, w->parent_wd);
            w->parent_wd = -1;
        }
        return true;
    }
    w->parent_wd = inotify_add_watch(w->fd, w->parent, PARENT_EVENTS);
    return w->parent_wd >= 0;
}

void drain(int fd) {
    alignas(inotify_event) char buf[1024];
    while (read(fd, buf, sizeof buf) > 0) {
    }
}

}  // namespace

int64_t monotonic_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

void directory_of(const char* path, char* out, int size) {
    snprintf(out, static_cast<size_t>(size), "%s", path);
    char* end = out + strlen(out);
    // "a/b//" is in "a", "/x" in "/", "x" in "."
    while (end > out + 1 && end[-1] == '/') {
        --end;
    }
    while (end > out && end[-1] != '/') {
        --end;
    }
    while (end > out + 1 && end[-1] == '/') {
        --end;
    }
    if (end == out) {
        snprintf(out, static_cast<size_t>(size), ".");
    } else {
        *end = '\0';
    }
}

void watch_start(node_watch* w, const char* dir, int64_t seconds) {
    w->deadline_ms = monotonic_ms() + seconds * 1000;
    snprintf(w->dir, sizeof w->dir, "%s", dir);
    directory_of(dir, w->parent, sizeof w->parent);
    w->fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    w->dir_wd = -1;
    w->parent_wd = -1;
    arm(w);
}

bool watch_next(node_watch* w, bool recheck) {
    // Without a watch, nothing would wake the wait: ask again now and then.
    if (!arm(w)) {
        recheck = true;
    }
    const int64_t left = w->deadline_ms - monotonic_ms();
    if (left <= 0) {
        return false;
    }
    int timeout = left > INT_MAX ? INT_MAX : static_cast<int>(left);
    if (recheck && timeout > RECHECK_MS) {
        timeout = RECHECK_MS;
    }
    pollfd p{w->fd, POLLIN, 0};
    if (poll(&p, w->fd >= 0 ? 1 : 0, timeout) > 0) {
        drain(w->fd);
    }
    return true;
}

bool may_answer_later(int error) {
    return error == ENXIO || error == ENODEV;
}
