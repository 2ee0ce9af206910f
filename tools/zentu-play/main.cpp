// zentu-play: writes the events of an evemu-style recording as input_event
// records, pausing between them as their time stamps say.
//
//   zentu-play [--no-pause] [--hold MS] [-o PATH] [RECORDING]
//
// Lines "E: <sec>.<usec> <type hex> <code hex> <value>" are played; all
// other lines are ignored, so evemu-record output plays as it is. An event
// line whose fields do not fit an event record ends the player with its line
// number. Without RECORDING the recording is read from standard input;
// without -o the records go to standard output. --hold keeps the output open
// MS ms after the last event (as a device that stays plugged in would). A
// reader that has gone is normal (zentu exits after the tap) and ends the
// player quietly.
//
// Exit status: 0 played, 1 the recording or the output failed, 2 usage.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>

#include <fcntl.h>
#include <unistd.h>

#include "recording.h"

namespace {

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

// --hold at most this many ms, so that its microseconds fit a long long.
constexpr long long HOLD_MAX_MS = LLONG_MAX / 1000;

struct player_options {
    bool pause = true;
    long long hold_ms = 0;
    const char* out_path = nullptr;
    const char* in_path = nullptr;  // null: standard input
};

void sleep_us(long long us) {
    if (us <= 0) {
        return;
    }
    // A time_t of 32 bits holds some 68 years; a longer pause waits that long.
    const long long seconds = std::min<long long>(us / 1000000, std::numeric_limits<time_t>::max());
    timespec ts{static_cast<time_t>(seconds), static_cast<long>(us % 1000000) * 1000};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

void usage(FILE* out) {
    fputs(
        "usage: zentu-play [--no-pause] [--hold MS] [-o PATH] [RECORDING]\n"
        "       zentu-play -h | --help\n",
        out);
}

void help() {
    usage(stdout);
    fputs(
        "\n"
        "Plays a recording of input events (evemu's E: lines) as input_event records.\n"
        "  --no-pause  write all events at once, not as their time stamps say\n"
        "  --hold MS   keep the output open MS milliseconds after the last event\n"
        "  -o PATH     write to PATH (a file or a FIFO), not standard output\n"
        "  RECORDING   read from it, not standard input\n"
        "Exit status: 0 played, 1 the recording or the output failed, 2 usage.\n",
        stdout);
}

int complain(const char* what, const char* arg) {
    fprintf(stderr, "zentu-play: %s%s\n", what, arg);
    usage(stderr);
    return EXIT_USAGE;
}

// Whole decimal milliseconds, 0 to HOLD_MAX_MS.
bool parse_ms(const char* text, long long* ms) {
    long long v = 0;
    const char* p = text;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const int d = *p - '0';
        if (v > (HOLD_MAX_MS - d) / 10) {
            return false;
        }
        v = v * 10 + d;
    }
    *ms = v;
    return p != text && *p == '\0';
}

// Returns 0, or the exit status after a complaint. *help_asked for -h.
int parse_args(int argc, char** argv, player_options* o, bool* help_asked) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const bool has_next = i + 1 < argc;
        if (strcmp(a, "-h") == 0 || strcmp(a, "--help") == 0) {
            *help_asked = true;
            return 0;
        }
        if (strcmp(a, "--no-pause") == 0) {
            o->pause = false;
        } else if (strcmp(a, "--hold") == 0) {
            if (!has_next || !parse_ms(argv[++i], &o->hold_ms)) {
                return complain("--hold needs whole milliseconds, 0 or more: ",
                                has_next ? argv[i] : "(none)");
            }
        } else if (strcmp(a, "-o") == 0) {
            if (!has_next) {
                return complain("-o needs a path", "");
            }
            o->out_path = argv[++i];
        } else if (a[0] == '-' && a[1] != '\0') {
            return complain("unknown option ", a);
        } else if (o->in_path != nullptr) {
            return complain("one recording at most, a second: ", a);
        } else {
            o->in_path = a;
        }
    }
    return 0;
}

// Returns the exit status: 0 when every event was written or the reader
// went away.
int play(FILE* in, const char* name, int out, const player_options& o) {
    char line[RECORDING_LINE_SIZE];
    bool first = true;
    input_event last{};
    bool too_long = false;
    for (long number = 1; read_recording_line(in, line, &too_long); ++number) {
        input_event ev{};
        const char* why = nullptr;
        int kind = parse_recording_line(line, &ev, &why);
        if (too_long && kind != LINE_OTHER) {
            kind = LINE_BAD;
            why = "longer than 511 characters";
        }
        if (kind == LINE_BAD) {
            fprintf(stderr, "zentu-play: %s:%ld: %s\n", name, number, why);
            return EXIT_FAILED;
        }
        if (kind == LINE_OTHER) {
            continue;
        }
        if (o.pause && !first) {
            sleep_us(pause_us(last, ev));
        }
        first = false;
        last = ev;
        if (write(out, &ev, sizeof ev) != static_cast<ssize_t>(sizeof ev)) {
            if (errno == EPIPE) {
                return 0;
            }
            perror("zentu-play: write");
            return EXIT_FAILED;
        }
    }
    if (ferror(in)) {
        fprintf(stderr, "zentu-play: cannot read %s: %s\n", name, strerror(errno));
        return EXIT_FAILED;
    }
    sleep_us(o.hold_ms * 1000);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    player_options o;
    bool help_asked = false;
    if (const int status = parse_args(argc, argv, &o, &help_asked); status != 0) {
        return status;
    }
    if (help_asked) {
        help();
        if (fflush(stdout) != 0) {
            perror("zentu-play: write");
            return EXIT_FAILED;
        }
        return 0;
    }
    signal(SIGPIPE, SIG_IGN);
    FILE* in = (o.in_path == nullptr) ? stdin : fopen(o.in_path, "r");
    if (in == nullptr) {
        perror(o.in_path);
        return EXIT_FAILED;
    }
    int out = STDOUT_FILENO;
    if (o.out_path != nullptr) {
        out = open(o.out_path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0) {
            perror(o.out_path);
            return EXIT_FAILED;
        }
    }
    return play(in, o.in_path == nullptr ? "standard input" : o.in_path, out, o);
}
