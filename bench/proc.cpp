// SPDX-License-Identifier: MIT
// Child processes, FIFOs and summaries for the benchmark harness.
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "harness.h"

extern char** environ;

double now_us() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

void fail(const char* what, const std::string& detail) {
    fprintf(stderr, "bench: %s: %s\n", what, detail.c_str());
    exit(1);
}

child start_child(const std::vector<std::string>& argv, bool keep_output) {
    int p[2];
    if (pipe2(p, O_CLOEXEC) != 0) {
        fail("pipe", argv[0]);
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    if (keep_output) {
        posix_spawn_file_actions_adddup2(&fa, p[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    child c;
    if (posix_spawn(&c.pid, args[0], &fa, nullptr, args.data(), environ) != 0) {
        fail("cannot start", argv[0]);
    }
    posix_spawn_file_actions_destroy(&fa);
    close(p[1]);
    c.out_fd = p[0];
    return c;
}

run_result finish_child(child c) {
    run_result r;
    int st = 0;
    while (wait4(c.pid, &st, 0, &r.usage) < 0 && errno == EINTR) {
    }
    r.exited_us = now_us();
    r.exit_status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    char buf[4096];
    ssize_t n = 0;
    while ((n = read(c.out_fd, buf, sizeof buf)) > 0) {
        r.out.append(buf, static_cast<size_t>(n));
    }
    close(c.out_fd);
    return r;
}

namespace {

run_result timed(const std::vector<std::string>& argv, bool keep_output) {
    const double t0 = now_us();
    run_result r = finish_child(start_child(argv, keep_output));
    r.wall_us = r.exited_us - t0;
    return r;
}

}  // namespace

run_result run_timed(const std::vector<std::string>& argv) {
    return timed(argv, true);
}

run_result run_timed_quiet(const std::vector<std::string>& argv) {
    return timed(argv, false);
}

namespace {

void sleep_us(long us) {
    timespec ts{0, us * 1000};
    nanosleep(&ts, nullptr);
}

// The number of the system call pid is blocked in, or -1 when running.
long current_syscall(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/syscall", static_cast<int>(pid));
    FILE* f = fopen(path, "r");
    if (f == nullptr) {
        return -1;
    }
    long nr = -1;
    if (fscanf(f, "%ld", &nr) != 1) {
        nr = -1;
    }
    fclose(f);
    return nr;
}

bool is_poll(long nr) {
#ifdef SYS_poll
    if (nr == SYS_poll) {
        return true;
    }
#endif
    return nr == SYS_ppoll;
}

}  // namespace

int open_fifo_writer(const char* path, pid_t reader) {
    for (int i = 0; i < 50000; ++i) {
        const int fd = open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            fcntl(fd, F_SETFL, 0);
            return fd;
        }
        if (errno != ENXIO || waitpid(reader, nullptr, WNOHANG) != 0) {
            return -1;
        }
        sleep_us(100);
    }
    return -1;
}

bool wait_in_poll(pid_t pid) {
    for (int i = 0; i < 50000; ++i) {
        // Sleeping in poll shows as state S with poll as the current call.
        if (is_poll(current_syscall(pid))) {
            return true;
        }
        sleep_us(100);
    }
    return false;
}

stats summarize(std::vector<double> v) {
    stats s;
    if (v.empty()) {
        return s;
    }
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    s.median = (n % 2 != 0) ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    s.min = v.front();
    s.max = v.back();
    return s;
}

void expect(const run_result& r, int status, const std::string& out, const char* what) {
    if (r.exit_status != status || r.out != out) {
        fail(what, "exit " + std::to_string(r.exit_status) + ", output \"" + r.out + "\"");
    }
}
