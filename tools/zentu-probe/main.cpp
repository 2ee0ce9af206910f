// zentu-probe: lists the input event devices and what zentu makes of them,
// or prints the one a script should hand to zentu.
//
//   zentu-probe                      one line per /dev/input/eventN
//   zentu-probe --touch [--name P]   the touch screen's path
//   zentu-probe --vibra [--name P]   the vibration device's path
//   zentu-probe --area [PATH]        the touch screen's X1..X2xY1..Y2
//
// Exit status: 0 found or listed, 1 nothing suitable, 2 usage error (or
// standard output could not be written).
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <fnmatch.h>
#include <unistd.h>

#include "probe.h"
#include "version.h"

namespace {

constexpr int EXIT_FOUND = 0;
constexpr int EXIT_NONE = 1;
constexpr int EXIT_USAGE = 2;

// Nodes that could not be opened, named in the message when nothing fits.
constexpr int MAX_UNOPENED = 8;

enum class mode { list, touch, vibra, area };

struct arguments {
    mode what = mode::list;
    const char* name = nullptr;  // --name PATTERN
    const char* path = nullptr;  // --area PATH
    const char* dir = "/dev/input";
};

constexpr const char USAGE[] =
    "usage: zentu-probe [--dir DIR]\n"
    "       zentu-probe --touch [--name PATTERN] [--dir DIR]\n"
    "       zentu-probe --vibra [--name PATTERN] [--dir DIR]\n"
    "       zentu-probe --area [PATH | --name PATTERN] [--dir DIR]\n";

constexpr const char HELP[] =
    "\n"
    "Without an option, lists every DIR/eventN (DIR is /dev/input) by number,\n"
    "one line each, fields separated by tabs:\n"
    "  PATH KIND DETAIL FLAGS AREA RESOLUTION NAME\n"
    "KIND is touch, vibra, other or error; see zentu-probe(1).\n"
    "\n"
    "  --touch         print the path of the touch screen zentu should read\n"
    "  --vibra         print the path of a force-feedback device\n"
    "  --area [PATH]   print the touch screen's ranges as zentu-map --area takes them\n"
    "  --name PATTERN  choose only among devices whose name matches the shell glob\n"
    "  --dir DIR       look for eventN nodes in DIR instead of /dev/input\n"
    "  -h, --help      print this help\n"
    "  --version       print the version\n"
    "\n"
    "Exit status: 0 found or listed, 1 nothing suitable, 2 usage error.\n";

int complain(const char* what, const char* arg) {
    fprintf(stderr, "zentu-probe: %s%s\n%s", what, arg, USAGE);
    return EXIT_USAGE;
}

bool set_mode(arguments* a, mode m) {
    if (a->what != mode::list) {
        return false;
    }
    a->what = m;
    return true;
}

// Returns 0 when the arguments are good, else the exit status of a usage
// error, having said what is wrong; -1 for help, -2 for the version.
int parse(int argc, char** argv, arguments* a) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool has_next = i + 1 < argc;
        if (strcmp(arg, "-h") == 0 || strcmp(arg, "--help") == 0) {
            return -1;
        }
        if (strcmp(arg, "--version") == 0) {
            return -2;
        }
        if (strcmp(arg, "--touch") == 0 || strcmp(arg, "--vibra") == 0 ||
            strcmp(arg, "--area") == 0) {
            const mode m = arg[2] == 't' ? mode::touch : arg[2] == 'v' ? mode::vibra : mode::area;
            if (!set_mode(a, m)) {
                return complain("only one of --touch, --vibra and --area at a time", "");
            }
            if (m == mode::area && has_next && argv[i + 1][0] != '-') {
                a->path = argv[++i];
            }
        } else if (strcmp(arg, "--name") == 0 || strcmp(arg, "--dir") == 0) {
            if (!has_next) {
                return complain("a value is missing after ", arg);
            }
            (arg[2] == 'n' ? a->name : a->dir) = argv[++i];
        } else {
            return complain("unknown argument ", arg);
        }
    }
    if (a->name != nullptr && (a->what == mode::list || a->path != nullptr)) {
        return complain("--name chooses for --touch, --vibra or --area without a path", "");
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
};

// Too large for a small stack, and there is one search.
constinit search the_search;

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

bool consider(const probe_device& d, void* context) {
    auto* s = static_cast<search*>(context);
    if (d.kind == PROBE_ERROR) {
        note_unopened(s, d.path, d.open_error);
        return true;
    }
    const bool vibra = s->args->what == mode::vibra;
    const bool area = s->args->what == mode::area;
    if (vibra ? !d.ff : (d.kind != PROBE_TOUCH || (area && !d.has_area))) {
        return true;
    }
    ++s->suitable;
    if (s->args->name != nullptr && fnmatch(s->args->name, d.name, 0) != 0) {
        return true;
    }
    if (vibra && !writable(s, d)) {
        return true;
    }
    // Direct-touch devices (screens) before the others (touchpads, tablets);
    // among equals the lowest number, which came first.
    if (!s->found || (d.direct && !s->best.direct)) {
        s->best = d;
        s->found = true;
    }
    // The first direct one is the answer; a vibration device needs no more.
    return !(vibra || d.direct);
}

int report_none(const search& s, int seen) {
    const char* what = s.args->what == mode::vibra ? "force-feedback device" : "touch screen";
    if (seen == 0) {
        fprintf(stderr, "zentu-probe: no input devices in %s\n", s.args->dir);
    } else if (s.suitable > 0 && s.args->name != nullptr) {
        fprintf(stderr, "zentu-probe: no %s named \"%s\" among %d input devices (%d %s%s)\n", what,
                s.args->name, seen, s.suitable, what, s.suitable == 1 ? "" : "s");
    } else {
        fprintf(stderr, "zentu-probe: no %s among %d input devices\n", what, seen);
    }
    for (int i = 0; i < s.unopened && i < MAX_UNOPENED; ++i) {
        fprintf(stderr, "zentu-probe: %s could not be opened: %s\n", s.unopened_path[i],
                strerror(s.unopened_error[i]));
    }
    if (s.unopened > MAX_UNOPENED) {
        fprintf(stderr, "zentu-probe: and %d more could not be opened\n",
                s.unopened - MAX_UNOPENED);
    }
    return EXIT_NONE;
}

bool print_each(const probe_device& d, void* /*context*/) {
    print_record(d);
    return true;
}

int cannot_read(const char* dir) {
    fprintf(stderr, "zentu-probe: no input devices: cannot read %s: %s\n", dir, strerror(errno));
    return EXIT_NONE;
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
    if (a.path != nullptr) {
        probe_node(a.path, -1, &s.best);
        if (s.best.kind == PROBE_ERROR) {
            fprintf(stderr, "zentu-probe: %s could not be opened: %s\n", a.path,
                    strerror(s.best.open_error));
            return EXIT_NONE;
        }
        if (s.best.kind != PROBE_TOUCH || !s.best.has_area) {
            fprintf(stderr, "zentu-probe: %s is not a touch screen (%s)\n", a.path,
                    s.best.kind == PROBE_TOUCH ? "no ranges" : reason_word(s.best.reason));
            return EXIT_NONE;
        }
    } else if (const int seen = visit_nodes(a.dir, consider, &s); seen < 0) {
        return cannot_read(a.dir);
    } else if (!s.found) {
        return report_none(s, seen);
    }
    if (a.what == mode::area) {
        print_area(s.best);
    } else {
        fputs(s.best.path, stdout);
    }
    putchar('\n');
    return EXIT_FOUND;
}

}  // namespace

int main(int argc, char** argv) {
    arguments a;
    const int parsed = parse(argc, argv, &a);
    if (parsed > 0) {
        return parsed;
    }
    int status = EXIT_FOUND;
    if (parsed == -2) {
        fputs("zentu-probe " ZENTU_VERSION "\n", stdout);
    } else if (parsed < 0) {
        fputs(USAGE, stdout);
        fputs(HELP, stdout);
    } else {
        status = run(a);
    }
    if (fflush(stdout) != 0 || ferror(stdout)) {
        fprintf(stderr, "zentu-probe: cannot write the output: %s\n", strerror(errno));
        return EXIT_USAGE;
    }
    return status;
}
