// SPDX-License-Identifier: MIT
// zentu-play: writes the events of an evemu-style recording as input_event
// records, pausing between them as their time stamps say.
//
//   zentu-play [--no-pause] [--hold MS] [-o PATH] [RECORDING]
//
// Lines "E: <sec>.<usec> <type hex> <code hex> <value>" are played; all
// other lines are ignored, so evemu-record output plays as it is. An event
// line whose fields do not fit an event record ends the player with its line
// number. Without RECORDING, or with -, the recording is read from standard
// input; without -o the records go to standard output. --hold keeps the
// output open MS ms after the last event (as a device that stays plugged in
// would). A reader that has gone is normal (zentu exits after the tap) and
// ends the player quietly, during a pause or the hold too.
//
// Exit status: 0 played, 1 nothing to play or a line that cannot be played,
// 2 usage, a recording that cannot be read or an output that cannot be
// written.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "options.h"
#include "recording.h"

namespace {

constexpr int EXIT_UNPLAYABLE = EXIT_NO;

// --hold at most this many ms, so that its microseconds fit a long long.
constexpr long long HOLD_MAX_MS = LLONG_MAX / 1000;

struct player_options {
    bool pause = true;
    long long hold_ms = 0;
    const char* out_path = nullptr;
    const char* in_path = nullptr;  // null: standard input
};

long long monotonic_us() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// Waits us microseconds, or until the reader of out has gone: a pipe or
// FIFO whose reading end is closed reports an error to poll even when no
// event is asked for, while a file or a terminal reports nothing. Returns
// false when the reader has gone.
bool wait_for_reader(int out, long long us) {
    // Far enough for any pause: a deadline beyond it waits that long.
    constexpr long long longest = LLONG_MAX / 4;
    const long long deadline = monotonic_us() + std::min(us, longest);
    for (long long left = us; left > 0; left = deadline - monotonic_us()) {
        // A time_t of 32 bits holds some 68 years; a longer wait goes round.
        const long long seconds = std::min<long long>(left / 1000000, INT32_MAX);
        const timespec ts{static_cast<time_t>(seconds), static_cast<long>(left % 1000000) * 1000};
        // Nothing asked for: only an error or a hang-up ends the poll early.
        pollfd p{out, 0, 0};
        const int n = ppoll(&p, 1, &ts, nullptr);
        if (n > 0) {
            return false;
        }
        if (n < 0 && errno != EINTR) {
            nanosleep(&ts, nullptr);  // cannot watch the reader: only wait
        }
    }
    return true;
}

constexpr tool_text TOOL{
    "zentu-play",
    "usage: zentu-play [--no-pause] [--hold MS] [-o PATH] [RECORDING]\n"
    "       zentu-play -h | --help | --version\n",
    "\n"
    "Plays a recording of input events (evemu's E: lines) as input_event records.\n"
    "  --no-pause  write all events at once, not as their time stamps say\n"
    "  --hold MS   keep the output open MS milliseconds after the last event\n"
    "  -o PATH     write to PATH (a file or a FIFO), not standard output\n"
    "  RECORDING   read from it, not standard input (- is standard input)\n"
    "Exit status: 0 played, 1 nothing to play or a line that cannot be played,\n"
    "2 usage, a recording that cannot be read or an output not written.\n"};

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

enum : int { OPTION_NO_PAUSE = 0x200, OPTION_HOLD };
// clang-format off
constexpr tool_option OPTIONS[] = {
    flag_option("--no-pause", OPTION_NO_PAUSE), value_option("--hold", OPTION_HOLD),
    value_option("-o", 'o'), SHORT_HELP_OPTION, HELP_OPTION, VERSION_OPTION, {}};
// clang-format on

// Takes a recording, or says what is wrong with the argument.
int take_operand(const char* a, player_options* o) {
    if (a[0] == '-' && a[1] != '\0') {
        return complain(TOOL, "unknown option ", a);  // "--"
    }
    if (o->in_path != nullptr) {
        return complain(TOOL, "one recording at most, a second: ", a);
    }
    o->in_path = a;
    return 0;
}

// Returns 0, or the exit status after a complaint. *asked is set to the
// id of -h or --version when one of them stands where an option may.
int parse_args(int argc, char** argv, player_options* o, int* asked) {
    arg_reader r{argc, argv, OPTIONS, false, 1};
    for (arg a = next_arg(&r); a.kind != ARG_END; a = next_arg(&r)) {
        const bool missing = a.kind == ARG_MISSING;
        if (a.kind == ARG_UNKNOWN) {
            return complain(TOOL, "unknown option ", a.text);
        }
        if (a.kind == ARG_OPERAND) {
            if (const int status = take_operand(a.text, o)) {
                return status;
            }
        } else if (a.id == 'h' || a.id == OPTION_VERSION) {
            *asked = a.id;
            return 0;
        } else if (a.id == OPTION_NO_PAUSE) {
            o->pause = false;
        } else if (a.id == OPTION_HOLD && (missing || !parse_ms(a.value, &o->hold_ms))) {
            return complain(
                TOOL, "--hold needs whole milliseconds, 0 or more: ", missing ? "(none)" : a.value);
        } else if (a.id == 'o') {
            if (missing) {
                return complain(TOOL, "-o needs a path");
            }
            o->out_path = a.value;
        }
    }
    return 0;
}

// Returns the exit status: 0 when every event was written or the reader
// went away.
int play(FILE* in, const char* name, int out, const player_options& o) {
    char line[RECORDING_LINE_SIZE];
    bool first = true;
    long number = 1;
    input_event last{};
    bool too_long = false;
    for (; read_recording_line(in, line, &too_long); ++number) {
        input_event ev{};
        const char* why = nullptr;
        int kind = parse_recording_line(line, &ev, &why);
        if (too_long && kind != LINE_OTHER) {
            kind = LINE_BAD;
            why = "longer than 511 characters";
        }
        if (kind == LINE_BAD) {
            fprintf(stderr, "zentu-play: %s:%ld: %s\n", name, number, why);
            return EXIT_UNPLAYABLE;
        }
        if (kind == LINE_OTHER) {
            continue;
        }
        if (o.pause && !first && !wait_for_reader(out, pause_us(last, ev))) {
            return 0;
        }
        first = false;
        last = ev;
        if (write(out, &ev, sizeof ev) != static_cast<ssize_t>(sizeof ev)) {
            if (errno == EPIPE) {
                return 0;
            }
            perror("zentu-play: write");
            return EXIT_TROUBLE;
        }
    }
    if (ferror(in)) {
        fprintf(stderr, "zentu-play: cannot read %s: %s\n", name, strerror(errno));
        return EXIT_TROUBLE;
    }
    if (first) {
        // A binary file, or text without an event line: an empty play
        // would pass for a tap never made.
        fprintf(stderr,
                "zentu-play: %s: no event line (E: <sec>.<usec> <type> <code> <value>) to play\n",
                name);
        return EXIT_UNPLAYABLE;
    }
    wait_for_reader(out, o.hold_ms * 1000);
    return 0;
}

// Whether out is the file in is read from (the same file through another
// name or a link too), which writing would truncate or feed back into.
bool same_file(FILE* in, const struct stat& out) {
    struct stat st {};
    return fstat(fileno(in), &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == out.st_dev &&
           st.st_ino == out.st_ino;
}

void refuse_same_file(const char* out_name) {
    fprintf(stderr, "zentu-play: %s is the recording itself: not written\n", out_name);
}

// Opens -o's path, or takes standard output, unless it is the recording.
// Returns the descriptor, or -1 after a message.
int open_output(FILE* in, const char* path) {
    struct stat st {};
    if (path == nullptr) {
        if (fstat(STDOUT_FILENO, &st) == 0 && same_file(in, st)) {
            refuse_same_file("standard output");
            return -1;
        }
        return STDOUT_FILENO;
    }
    // Before opening: opening truncates.
    if (stat(path, &st) == 0 && same_file(in, st)) {
        refuse_same_file(path);
        return -1;
    }
    const int out = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) {
        perror(path);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    player_options o;
    int asked = 0;
    if (const int status = parse_args(argc, argv, &o, &asked); status != 0) {
        return status;
    }
    if (asked != 0) {
        print_answer(TOOL, asked);
        if (fflush(stdout) != 0) {
            perror("zentu-play: write");
            return EXIT_TROUBLE;
        }
        return 0;
    }
    signal(SIGPIPE, SIG_IGN);
    const bool from_stdin = o.in_path == nullptr || strcmp(o.in_path, "-") == 0;
    FILE* in = from_stdin ? stdin : fopen(o.in_path, "r");
    if (in == nullptr) {
        perror(o.in_path);
        return EXIT_TROUBLE;
    }
    const int out = open_output(in, o.out_path);
    if (out < 0) {
        return EXIT_TROUBLE;
    }
    return play(in, from_stdin ? "standard input" : o.in_path, out, o);
}
