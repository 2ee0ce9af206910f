// SPDX-License-Identifier: MIT
// Running programs in the guest and judging them.
#include "harness.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

const char* zentu_path = nullptr;

namespace {

int passed = 0;
int failed = 0;

void drain_ff(run* r, int ff_fd) {
    input_event ev{};
    while (ff_fd >= 0 && read(ff_fd, &ev, sizeof ev) == static_cast<ssize_t>(sizeof ev)) {
        if (ev.type == EV_FF && ev.code == 20 && ev.value == 1) {
            ++r->ff_events;
        } else if (ev.type != EV_SYN) {
            ++r->ff_other;
        }
    }
}

bool read_into(int fd, std::string* text) {
    char buf[256];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
        text->append(buf, static_cast<size_t>(n));
    }
    return n > 0;
}

std::string shown(const std::string& s) {
    std::string o;
    for (char c : s) {
        if (c == '\n') {
            o += "\\n";
        } else {
            o += c;
        }
    }
    return o;
}

}  // namespace

bool start(run* r, const char* const* argv) {
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        return false;
    }
    r->started = now_ms();
    r->pid = fork();
    if (r->pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        execv(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    r->out = out[0];
    r->err = err[0];
    return r->pid > 0;
}

bool wait_open(const run& r, const char* node) {
    char dir_path[64];
    snprintf(dir_path, sizeof dir_path, "/proc/%d/fd", static_cast<int>(r.pid));
    for (int tries = 0; tries < 500; ++tries) {
        if (DIR* dir = opendir(dir_path)) {
            bool found = false;
            while (dirent* e = readdir(dir)) {
                char link_path[384];
                char target[128] = {};
                snprintf(link_path, sizeof link_path, "%s/%s", dir_path, e->d_name);
                if (readlink(link_path, target, sizeof target - 1) > 0 &&
                    strcmp(target, node) == 0) {
                    found = true;
                }
            }
            closedir(dir);
            if (found) {
                sleep_ms(100);
                return true;
            }
        }
        sleep_ms(10);
    }
    return false;
}

void finish(run* r, int limit_ms, int ff_fd) {
    const int64_t deadline = now_ms() + limit_ms;
    bool out_open = true;
    bool err_open = true;
    while ((out_open || err_open) && now_ms() < deadline) {
        pollfd p[3] = {{r->out, POLLIN, 0}, {r->err, POLLIN, 0}, {ff_fd, POLLIN, 0}};
        poll(p, 3, 20);
        answer_hid_requests();
        drain_ff(r, ff_fd);  // first: whatever reached the device came before
        if (out_open && p[0].revents != 0) {
            const size_t before = r->out_text.size();
            out_open = read_into(r->out, &r->out_text);
            if (before == 0 && !r->out_text.empty()) {
                r->ff_before_output = r->ff_events;
            }
        }
        if (err_open && p[1].revents != 0) {
            err_open = read_into(r->err, &r->err_text);
        }
    }
    int wstatus = 0;
    if (out_open || err_open) {
        kill(r->pid, SIGKILL);
        waitpid(r->pid, &wstatus, 0);
    } else {
        waitpid(r->pid, &wstatus, 0);
        r->status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    }
    r->ended = now_ms();
    drain_ff(r, ff_fd);
    close(r->out);
    close(r->err);
}

void verdict::add(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    if (used < sizeof why) {
        const int n = vsnprintf(why + used, sizeof why - used, fmt, ap);
        used += n > 0 ? static_cast<size_t>(n) : 0;
    }
    va_end(ap);
}

void expect_output(verdict* v, const run& r, const char* out, int status) {
    if (r.out_text != out) {
        v->add(" stdout \"%s\" (want \"%s\")", shown(r.out_text).c_str(), shown(out).c_str());
    }
    if (r.status != status) {
        v->add(" status %d (want %d)", r.status, status);
    }
}

void expect_gone(verdict* v, const run& r) {
    expect_output(v, r, "", 254);
    const size_t nl = r.err_text.find('\n');
    if (r.err_text.rfind("touch input device", 0) != 0 || nl + 1 != r.err_text.size()) {
        v->add(" stderr \"%s\" (want one line on the touch input device)",
               shown(r.err_text).c_str());
    }
}

void expect_quiet_stderr(verdict* v, const run& r) {
    if (!r.err_text.empty()) {
        v->add(" stderr \"%s\"", shown(r.err_text).c_str());
    }
}

void expect_stderr(verdict* v, const run& r, const std::string& err) {
    if (r.err_text != err) {
        v->add(" stderr \"%s\" (want \"%s\")", shown(r.err_text).c_str(), shown(err).c_str());
    }
}

void expect_within(verdict* v, const char* what, int64_t ms, int64_t low, int64_t high) {
    if (ms < low || ms > high) {
        v->add(" %s took %lld ms (want %lld..%lld)", what, static_cast<long long>(ms),
               static_cast<long long>(low), static_cast<long long>(high));
    }
}

void report(const char* name, const verdict& v, const run& r) {
    const long long ms = static_cast<long long>(r.ended - r.started);
    if (v.used == 0) {
        ++passed;
        printf("ok - %s (%lld ms)\n", name, ms);
    } else {
        ++failed;
        printf("not ok - %s (%lld ms):%s\n", name, ms, v.why);
    }
    fflush(stdout);
}

int summary() {
    printf("zentu-kernel: %d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}

bool launch(run* r, const device& dev, const char* const* args, verdict* v, const device* vibra) {
    if (dev.fd < 0 || (vibra != nullptr && vibra->fd < 0)) {
        v->add(" no device: %s%s", dev.error, vibra != nullptr ? vibra->error : "");
        return false;
    }
    const char* argv[16] = {zentu_path, "-t", dev.node};
    int n = 3;
    if (vibra != nullptr) {
        argv[n++] = "-v";
        argv[n++] = vibra->node;
    }
    for (int i = 0; args[i] != nullptr && n < 15; ++i) {
        argv[n++] = args[i];
    }
    if (!start(r, argv)) {
        v->add(" cannot start zentu");
        return false;
    }
    if (!wait_open(*r, dev.node)) {
        v->add(" zentu never opened %s", dev.node);
    }
    return true;
}

observer::observer(const device& d) {
    if (d.fd >= 0) {
        fd = open(d.node, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
}

observer::~observer() {
    if (fd >= 0) {
        close(fd);
    }
}

void observer::collect() {
    input_event ev{};
    frame current;
    while (fd >= 0 && read(fd, &ev, sizeof ev) == static_cast<ssize_t>(sizeof ev)) {
        current.push_back(ev);
        if (ev.type == EV_SYN && ev.code == SYN_REPORT) {
            frames.push_back(current);
            current.clear();
        }
    }
}

int count(const frame& f, uint16_t type, uint16_t code) {
    int n = 0;
    for (const input_event& ev : f) {
        n += (ev.type == type && ev.code == code) ? 1 : 0;
    }
    return n;
}

int32_t last_value(const frame& f, uint16_t type, uint16_t code, int32_t fallback) {
    int32_t v = fallback;
    for (const input_event& ev : f) {
        if (ev.type == type && ev.code == code) {
            v = ev.value;
        }
    }
    return v;
}

void print_frames(const std::vector<frame>& frames) {
    for (const frame& f : frames) {
        printf("#");
        for (const input_event& ev : f) {
            printf(" %u:%u=%d", ev.type, ev.code, ev.value);
        }
        printf("\n");
    }
}
