// zentu-play: writes the events of an evemu-style recording as input_event
// records, pausing between them as their time stamps say.
//
//   zentu-play [--no-pause] [--hold MS] [-o PATH] [RECORDING]
//
// Lines "E: <sec>.<usec> <type hex> <code hex> <value>" are played; all
// other lines are ignored, so evemu-record output plays as it is. Without
// RECORDING the recording is read from standard input; without -o the
// records go to standard output. --hold keeps the output open MS ms after
// the last event (as a device that stays plugged in would). A reader that
// has gone is normal (zentu exits after the tap) and ends the player quietly.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

namespace {

struct player_options {
    bool pause = true;
    long hold_ms = 0;
    const char* out_path = nullptr;
    const char* in_path = nullptr;
};

void sleep_us(long long us) {
    if (us <= 0) {
        return;
    }
    timespec ts{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

int usage() {
    fputs("usage: zentu-play [--no-pause] [--hold MS] [-o PATH] [RECORDING]\n", stderr);
    return 2;
}

bool parse_args(int argc, char** argv, player_options* o) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (strcmp(a, "--no-pause") == 0) {
            o->pause = false;
        } else if (strcmp(a, "--hold") == 0 && i + 1 < argc) {
            o->hold_ms = strtol(argv[++i], nullptr, 10);
        } else if (strcmp(a, "-o") == 0 && i + 1 < argc) {
            o->out_path = argv[++i];
        } else if ((a[0] == '-' && a[1] != '\0') || o->in_path != nullptr) {
            return false;  // an unknown option, or a second recording
        } else {
            o->in_path = a;
        }
    }
    return true;
}

// Parses one event line; returns false for lines that are not events.
bool parse_event(const char* line, long long* when_us, input_event* ev) {
    long long sec = 0;
    long usec = 0;
    unsigned type = 0;
    unsigned code = 0;
    int value = 0;
    // NOLINTNEXTLINE(cert-err34-c): recordings come from evemu; junk lines are skipped
    if (sscanf(line, "E: %lld.%ld %x %x %d", &sec, &usec, &type, &code, &value) != 5) {
        return false;
    }
    *ev = input_event{};
    ev->input_event_sec = static_cast<decltype(ev->input_event_sec)>(sec);
    ev->input_event_usec = static_cast<decltype(ev->input_event_usec)>(usec);
    ev->type = static_cast<__u16>(type);
    ev->code = static_cast<__u16>(code);
    ev->value = value;
    *when_us = sec * 1000000 + usec;
    return true;
}

// Returns 0 when every event was written or the reader went away.
int play(FILE* in, int out, const player_options& o) {
    char line[512];
    bool first = true;
    long long last_us = 0;
    while (fgets(line, sizeof line, in) != nullptr) {
        long long when_us = 0;
        input_event ev{};
        if (!parse_event(line, &when_us, &ev)) {
            continue;
        }
        if (o.pause && !first) {
            sleep_us(when_us - last_us);
        }
        first = false;
        last_us = when_us;
        if (write(out, &ev, sizeof ev) != static_cast<ssize_t>(sizeof ev)) {
            if (errno == EPIPE) {
                return 0;
            }
            perror("zentu-play: write");
            return 1;
        }
    }
    sleep_us(o.hold_ms * 1000);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    player_options o;
    if (!parse_args(argc, argv, &o)) {
        return usage();
    }
    signal(SIGPIPE, SIG_IGN);
    FILE* in = (o.in_path == nullptr) ? stdin : fopen(o.in_path, "r");
    if (in == nullptr) {
        perror(o.in_path);
        return 1;
    }
    int out = STDOUT_FILENO;
    if (o.out_path != nullptr) {
        out = open(o.out_path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0) {
            perror(o.out_path);
            return 1;
        }
    }
    return play(in, out, o);
}
