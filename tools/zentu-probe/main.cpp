// SPDX-License-Identifier: MIT
// zentu-probe: lists the input event devices and what zentu makes of them,
// or prints the one a script should hand to zentu.
//
//   zentu-probe                      one line per /dev/input/eventN
//   zentu-probe --touch [--name P]   the touch screen's path
//   zentu-probe --vibra [--name P]   the vibration device's path
//   zentu-probe --area [PATH]        the touch screen's X1..X2xY1..Y2
//   ... --id VVVV:PPPP               only devices with that vendor and product
//   ... --wait SECONDS               wait that long for the device to appear
//
// Exit status: 0 found or listed, 1 nothing suitable, 2 usage error (or
// standard output could not be written).
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "options.h"
#include "probe.h"
#include "wait.h"

namespace {

constexpr int EXIT_FOUND = EXIT_DONE;
constexpr int EXIT_NONE = EXIT_NO;

// Nodes that could not be opened, named in the message when nothing fits.
constexpr int MAX_UNOPENED = 8;
// Devices that fit as well as the one chosen, named so that a script's
// author learns the choice was not unique.
constexpr int MAX_EQUALS = 8;

enum class mode { list, touch, vibra, area };

struct arguments {
    mode what = mode::list;
    const char* name = nullptr;  // --name PATTERN
    const char* path = nullptr;  // --area PATH
    const char* dir = "/dev/input";
    int64_t wait = -1;  // --wait SECONDS, -1 without
    bool has_id = false;
    input_id id{};  // --id VVVV:PPPP: vendor and product
};

constexpr tool_text TOOL{
    "zentu-probe",
    "usage: zentu-probe [--dir DIR]\n"
    "       zentu-probe --touch [CHOICE] [--wait SECONDS] [--dir DIR]\n"
    "       zentu-probe --vibra [CHOICE] [--wait SECONDS] [--dir DIR]\n"
    "       zentu-probe --area [PATH | CHOICE] [--wait SECONDS] [--dir DIR]\n"
    "where CHOICE is [--name PATTERN] [--id VVVV:PPPP]\n",
    "\n"
    "Without an option, lists every DIR/eventN (DIR is /dev/input) by number,\n"
    "one line each, fields separated by tabs:\n"
    "  PATH KIND DETAIL FLAGS AREA RESOLUTION NAME ID\n"
    "KIND is touch, vibra, other or error; see zentu-probe(1).\n"
    "\n"
    "  --touch         print the path of the touch screen zentu should read\n"
    "  --vibra         print the path of a force-feedback device\n"
    "  --area [PATH]   print the touch screen's ranges as zentu-map --area takes them\n"
    "  --name PATTERN  choose only among devices whose name matches the shell glob\n"
    "  --id VVVV:PPPP  choose only among devices with this vendor and product (hex)\n"
    "  --wait SECONDS  when nothing suitable is there yet, wait up to SECONDS for it\n"
    "  --dir DIR       look for eventN nodes in DIR instead of /dev/input\n"
    "  -h, --help      print this help\n"
    "  --version       print the version\n"
    "\n"
    "Exit status: 0 found or listed, 1 nothing suitable, 2 usage error or output\n"
    "not written.\n"};

int complain(const char* what, const char* arg = "") {
    return ::complain(TOOL, what, arg);
}

bool set_mode(arguments* a, mode m) {
    if (a->what != mode::list) {
        return false;
    }
    a->what = m;
    return true;
}

enum : int { OPT_TOUCH = 0x200, OPT_VIBRA, OPT_AREA, OPT_NAME, OPT_DIR, OPT_WAIT, OPT_ID };
// Not const: a const table of pointers goes to .data.rel.ro, whose end is
// aligned to a page, and with it zentu-probe linked statically would grow
// by a page past its budget; as data it costs its own 132 bytes.
// clang-format off
constinit tool_option OPTIONS[] = {
    flag_option("--touch", OPT_TOUCH), flag_option("--vibra", OPT_VIBRA),
    flag_option("--area", OPT_AREA), value_option("--name", OPT_NAME),
    value_option("--dir", OPT_DIR), value_option("--wait", OPT_WAIT), value_option("--id", OPT_ID),
    SHORT_HELP_OPTION, HELP_OPTION, VERSION_OPTION, {}};
// clang-format on

// --wait SECONDS: a whole number, at most the largest 32-bit int.
bool parse_seconds(const char* text, int64_t* seconds) {
    int64_t n = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9' || (n = n * 10 + (*p - '0')) > INT32_MAX) {
            return false;
        }
    }
    *seconds = n;
    return *text != '\0';
}

// The value of --wait or --id: 0 when good, else the status of a usage
// error.
int parse_wait_or_id(int id, const char* value, arguments* a) {
    if (id == OPT_WAIT && !parse_seconds(value, &a->wait)) {
        return complain("--wait takes a whole number of seconds, not ", value);
    }
    if (id == OPT_ID) {
        a->has_id = parse_id(value, &a->id);
        if (!a->has_id) {
            return complain("--id takes VENDOR:PRODUCT in hexadecimal, as 0eef:0001, not ", value);
        }
    }
    return 0;
}

// --touch, --vibra or --area, with --area's PATH when the next argument is
// not an option.
int take_mode(const arg& o, arg_reader* r, arguments* a) {
    const mode m = o.id == OPT_TOUCH ? mode::touch : o.id == OPT_VIBRA ? mode::vibra : mode::area;
    if (!set_mode(a, m)) {
        return complain("only one of --touch, --vibra and --area at a time");
    }
    if (m == mode::area && r->next < r->argc && r->argv[r->next][0] != '-') {
        a->path = r->argv[r->next++];
    }
    return 0;
}

// Returns 0 when the arguments are good, else the exit status of a usage
// error, having said what is wrong; -1 for help, -2 for the version.
int parse(int argc, char** argv, arguments* a) {
    arg_reader r{argc, argv, OPTIONS, false, 1};
    for (arg o = next_arg(&r); o.kind != ARG_END; o = next_arg(&r)) {
        int bad = 0;
        if (o.kind == ARG_UNKNOWN || o.kind == ARG_OPERAND) {
            return complain("unknown argument ", o.text);
        }
        if (o.id == 'h' || o.id == OPTION_VERSION) {
            return o.id == 'h' ? -1 : -2;
        }
        if (o.id == OPT_TOUCH || o.id == OPT_VIBRA || o.id == OPT_AREA) {
            bad = take_mode(o, &r, a);
        } else if (o.kind == ARG_MISSING) {
            return complain("a value is missing after ", o.text);
        } else if (o.id == OPT_NAME || o.id == OPT_DIR) {
            (o.id == OPT_NAME ? a->name : a->dir) = o.value;
        } else {
            bad = parse_wait_or_id(o.id, o.value, a);
        }
        if (bad != 0) {
            return bad;
        }
    }
    if (a->name != nullptr && (a->what == mode::list || a->path != nullptr)) {
        return complain("--name chooses for --touch, --vibra or --area without a path");
    }
    if (a->has_id && (a->what == mode::list || a->path != nullptr)) {
        return complain("--id chooses for --touch, --vibra or --area without a path");
    }
    if (a->wait >= 0 && a->what == mode::list) {
        return complain("--wait waits for --touch, --vibra or --area");
    }
    return 0;
}

// What a search for one device saw on its way.
struct search {
    const arguments* args = nullptr;
    probe_device best;
    bool found = false;
    int suitable = 0;  // of the kind sought, whatever their name
    int unopened = 0;
    char unopened_path[MAX_UNOPENED][PROBE_PATH_SIZE] = {};
    int unopened_error[MAX_UNOPENED] = {};
    int rank = 0;        // of the best: direct touch above the others
    bool retry = false;  // a node that exists may answer later
    int seen = 0;        // nodes, or -1 when the directory could not be read
    int dir_error = 0;   // why not
    int equals = 0;      // devices of the best's rank after it
    char equal_path[MAX_EQUALS][PROBE_PATH_SIZE] = {};
};

// Too large for a small stack, and there is one search.
constinit search the_search;
constinit node_watch the_watch{};

void note_unopened(search* s, const char* path, int error) {
    if (s->unopened < MAX_UNOPENED) {
        snprintf(s->unopened_path[s->unopened], PROBE_PATH_SIZE, "%s", path);
        s->unopened_error[s->unopened] = error;
    }
    ++s->unopened;
}

// zentu writes its pulses to the vibration device, so it must open for
// writing too.
bool writable(search* s, const probe_device& d) {
    const int fd = open(d.path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        note_unopened(s, d.path, errno);
        return false;
    }
    close(fd);
    return true;
}

// Direct-touch devices (screens) before the others (touchpads, tablets);
// among equals the lowest number, which came first, and the rest are kept.
void note_fit(search* s, const probe_device& d, bool vibra) {
    const int rank = !vibra && d.direct ? 1 : 0;
    if (!s->found || rank > s->rank) {
        s->best = d;
        s->rank = rank;
        s->found = true;
        s->equals = 0;
    } else if (rank == s->rank) {
        if (s->equals < MAX_EQUALS) {
            snprintf(s->equal_path[s->equals], PROBE_PATH_SIZE, "%s", d.path);
        }
        ++s->equals;
    }
}

bool consider(const probe_device& d, void* context) {
    auto* s = static_cast<search*>(context);
    if (d.kind == PROBE_ERROR) {
        s->retry = s->retry || may_answer_later(d.open_error);
        note_unopened(s, d.path, d.open_error);
        return true;
    }
    const bool vibra = s->args->what == mode::vibra;
    const bool area = s->args->what == mode::area;
    if (vibra ? !d.ff : (d.kind != PROBE_TOUCH || (area && !d.has_area))) {
        return true;
    }
    ++s->suitable;
    if (s->args->name != nullptr && !name_matches(s->args->name, d.name)) {
        return true;
    }
    if (s->args->has_id &&
        !(d.has_id && d.id.vendor == s->args->id.vendor && d.id.product == s->args->id.product)) {
        return true;
    }
    if (vibra && !writable(s, d)) {
        return true;
    }
    note_fit(s, d, vibra);
    // On to the end: the others of the same rank are named.
    return true;
}

// Every node that could not be opened, by path and why: also when
// something else was found, which may not be the device meant.
void report_unopened(const search& s) {
    for (int i = 0; i < s.unopened && i < MAX_UNOPENED; ++i) {
        fprintf(stderr, "zentu-probe: %s could not be opened: %s\n", s.unopened_path[i],
                strerror(s.unopened_error[i]));
    }
    if (s.unopened > MAX_UNOPENED) {
        fprintf(stderr, "zentu-probe: and %d more could not be opened\n",
                s.unopened - MAX_UNOPENED);
    }
}

void report_none(const search& s, int seen) {
    const char* what = s.args->what == mode::vibra ? "force-feedback device" : "touch screen";
    if (seen == 0) {
        fprintf(stderr, "zentu-probe: no input devices in %s\n", s.args->dir);
    } else if (s.suitable > 0 && (s.args->name != nullptr || s.args->has_id)) {
        fprintf(stderr, "zentu-probe: no %s", what);
        if (s.args->name != nullptr) {
            fprintf(stderr, " named \"%s\"", s.args->name);
        }
        if (s.args->has_id) {
            fprintf(stderr, " with id %04x:%04x", s.args->id.vendor, s.args->id.product);
        }
        fprintf(stderr, " among %d input devices (%d %s%s)\n", seen, s.suitable, what,
                s.suitable == 1 ? "" : "s");
    } else {
        fprintf(stderr, "zentu-probe: no %s among %d input devices\n", what, seen);
    }
}

bool print_each(const probe_device& d, void* /*context*/) {
    print_record(d);
    return true;
}

int cannot_read(const char* dir) {
    fprintf(stderr, "zentu-probe: no input devices: cannot read %s: %s\n", dir, strerror(errno));
    return EXIT_NONE;
}

// One look for the device, from scratch; true when one fits.
bool look(search* s) {
    const arguments& a = *s->args;
    s->found = false;
    s->suitable = 0;
    s->unopened = 0;
    s->equals = 0;
    s->retry = false;
    if (a.path != nullptr) {
        probe_node(a.path, -1, &s->best);
        s->retry = s->best.kind == PROBE_ERROR && may_answer_later(s->best.open_error);
        s->found = s->best.kind == PROBE_TOUCH && s->best.has_area;
    } else {
        s->seen = visit_nodes(a.dir, consider, s);
        s->dir_error = errno;
    }
    return s->found;
}

void name_equals(const search& s) {
    for (int i = 0; i < s.equals && i < MAX_EQUALS; ++i) {
        fprintf(stderr, "zentu-probe: %s fits as well as %s\n", s.equal_path[i], s.best.path);
    }
    if (s.equals > MAX_EQUALS) {
        fprintf(stderr, "zentu-probe: and %d more fit as well\n", s.equals - MAX_EQUALS);
    }
}

int run(const arguments& a) {
    if (a.what == mode::list) {
        const int n = visit_nodes(a.dir, print_each, nullptr);
        if (n < 0) {
            return cannot_read(a.dir);
        }
        if (n == 0) {
            fprintf(stderr, "zentu-probe: no input devices in %s\n", a.dir);
        }
        return n > 0 ? EXIT_FOUND : EXIT_NONE;
    }
    search& s = the_search;
    s.args = &a;
    if (a.wait > 0) {
        char dir[PROBE_PATH_SIZE];
        snprintf(dir, sizeof dir, "%s", a.dir);
        if (a.path != nullptr) {
            directory_of(a.path, dir, sizeof dir);
        }
        watch_start(&the_watch, dir, a.wait);
    }
    while (!look(&s) && a.wait > 0 && watch_next(&the_watch, s.retry)) {
    }
    if (a.path != nullptr) {
        if (s.best.kind == PROBE_ERROR) {
            fprintf(stderr, "zentu-probe: %s could not be opened: %s\n", a.path,
                    strerror(s.best.open_error));
            return EXIT_NONE;
        }
        if (s.best.kind != PROBE_TOUCH || !s.best.has_area) {
            fprintf(stderr, "zentu-probe: %s is not a touch screen (%s)\n", a.path,
                    s.best.kind == PROBE_TOUCH ? "no ranges" : touch_lack_word(s.best.reason));
            return EXIT_NONE;
        }
    } else if (s.seen < 0) {
        errno = s.dir_error;
        return cannot_read(a.dir);
    } else if (!s.found) {
        report_none(s, s.seen);
        report_unopened(s);
        return EXIT_NONE;
    } else {
        report_unopened(s);
    }
    if (a.what == mode::area) {
        print_area(s.best);
    } else {
        fputs(s.best.path, stdout);
    }
    putchar('\n');
    name_equals(s);
    return EXIT_FOUND;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that has gone (zentu-probe | head -1) is an output error
    // with its status, not a death by signal.
    signal(SIGPIPE, SIG_IGN);
    arguments a;
    const int parsed = parse(argc, argv, &a);
    if (parsed > 0) {
        return parsed;
    }
    int status = EXIT_FOUND;
    if (parsed == -2) {
        print_answer(TOOL, OPTION_VERSION);
    } else if (parsed < 0) {
        print_answer(TOOL, 'h');
    } else {
        status = run(a);
    }
    return finish_output(TOOL, status);
}
