// SPDX-License-Identifier: MIT
#include "child.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

// The descriptor at which the child finds the touch pipe.
constexpr int CHILD_TOUCH_FD = 3;

// ZENTU_CHILD_WRAPPER in the environment (a memory checker, say) takes the
// emulator's place, so that it runs in front of the programs under test
// alone, not in front of the tests.
std::vector<std::string> split_emulator() {
    std::vector<std::string> parts;
    const char* wrapper = getenv("ZENTU_CHILD_WRAPPER");
    std::string s =
        wrapper != nullptr && *wrapper != '\0' ? wrapper : ZENTU_EMULATOR;  // '|' separates
    size_t start = 0;
    while (start < s.size()) {
        size_t end = s.find('|', start);
        if (end == std::string::npos) {
            end = s.size();
        }
        if (end > start) {
            parts.push_back(s.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

std::vector<std::string> command_line(const std::string& binary,
                                      const std::vector<std::string>& args) {
    std::vector<std::string> cmd = split_emulator();
    cmd.push_back(binary);
    const std::string touch_path = "/dev/fd/" + std::to_string(CHILD_TOUCH_FD);
    for (std::string a : args) {
        const size_t at = a.find(TOUCH);
        if (at != std::string::npos) {
            a.replace(at, TOUCH.size(), touch_path);
        }
        cmd.push_back(a);
    }
    return cmd;
}

// Puts from at descriptor to, open across exec.
void move_fd(int from, int to) {
    if (from == to) {
        fcntl(to, F_SETFD, 0);
    } else {
        dup2(from, to);
    }
}

[[noreturn]] void exec_child(const std::vector<std::string>& cmd, const child_setup& setup,
                             int touch_fd, int out_fd, int err_fd) {
    move_fd(touch_fd, CHILD_TOUCH_FD);
    move_fd(out_fd, STDOUT_FILENO);
    move_fd(err_fd, STDERR_FILENO);
    if (!setup.stdin_path.empty()) {
        const int in = open(setup.stdin_path.c_str(), O_RDONLY);
        move_fd(in, STDIN_FILENO);
    }
    if (setup.close_stdin) {
        close(STDIN_FILENO);
    }
    if (setup.close_stdout) {
        close(STDOUT_FILENO);
    }
    if (setup.close_stderr) {
        close(STDERR_FILENO);
    }
    if (setup.stdout_unread) {
        signal(SIGPIPE, SIG_DFL);  // as a shell would start it, whatever the tests ignore
    }
    if (setup.fsize_limit >= 0) {
        signal(SIGXFSZ, SIG_IGN);  // the disposition survives exec
        const rlimit lim{static_cast<rlim_t>(setup.fsize_limit),
                         static_cast<rlim_t>(setup.fsize_limit)};
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    std::vector<char*> argv;
    for (const std::string& s : cmd) {
        argv.push_back(const_cast<char*>(s.c_str()));
    }
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// Reads both pipes until both are closed; standard output's only up to
// out_bytes, when it is not 0.
void collect(int out_fd, int err_fd, size_t out_bytes, child_result* r) {
    pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    std::string* sinks[2] = {&r->out, &r->err};
    int open_count = (out_fd >= 0) + (err_fd >= 0);
    while (open_count > 0) {
        if (poll(fds, 2, -1) < 0) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (i == 0 && n > 0 && out_bytes > 0 &&
                r->out.size() + static_cast<size_t>(n) >= out_bytes) {
                r->out.append(buf, static_cast<size_t>(n));
                n = 0;
            }
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            } else {
                sinks[i]->append(buf, static_cast<size_t>(n));
            }
        }
    }
}

}  // namespace

std::string perror_text(const std::string& what, int err) {
    return what + ": " + strerror(err) + "\n";
}

child_setup with_touch(std::vector<step> steps) {
    child_setup setup;
    setup.touch_steps = std::move(steps);
    return setup;
}

child_result run_program(const std::string& binary, const std::vector<std::string>& args,
                         const child_setup& setup) {
    const std::vector<std::string> cmd = command_line(binary, args);
    event_pipe touch_pipe;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    int out_target = out[1];
    if (!setup.stdout_path.empty()) {
        out_target = open(setup.stdout_path.c_str(), O_WRONLY | O_CLOEXEC);
    }
    if (setup.stdout_unread) {
        close(out[0]);
        out[0] = -1;
    }
    child_result r;
    const double start = now_ms();
    const pid_t pid = fork();
    if (pid == 0) {
        exec_child(cmd, setup, touch_pipe.reader(), out_target, err[1]);
    }
    touch_pipe.close_reader();
    close(out[1]);
    close(err[1]);
    if (out_target != out[1]) {
        close(out_target);
    }
    touch_pipe.play(setup.touch_steps, setup.close_touch_after);
    collect(out[0], err[0], setup.stdout_bytes, &r);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    r.ms = now_ms() - start;
    touch_pipe.stop();
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    return r;
}

child_result run_zentu(const std::vector<std::string>& args, const child_setup& setup) {
    return run_program(ZENTU_BIN, args, setup);
}

void expect_run(const run_case& c) {
    child_setup setup = c.setup;
    setup.touch_steps = c.touch;
    const child_result r = run_program(c.program, c.args, setup);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
    EXPECT_LT(r.ms, NO_HANG_MS);
}
