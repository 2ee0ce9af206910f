// zentu-map: checks a zentu map file and draws it.
//
//   zentu-map check MAP [--screen WIDTHxHEIGHT | --area X1..X2xY1..Y2]
//   zentu-map svg MAP [--screen WIDTHxHEIGHT | --area X1..X2xY1..Y2] > keypad.svg
//   zentu-map grid --area X1..X2xY1..Y2 --cols C --rows R --keys KEYS > keypad.map
//   zentu-map calibrate --area X1..X2xY1..Y2 --screen WxH [--rotate 90|180|270]
//                       [--mirror-x] [--mirror-y] > panel.cal
//   zentu-map calibrate --screen WxH --taps TAPS > panel.cal
//
// check exits 0 when there is nothing to warn about, 1 when there are
// warnings; every command exits 2 when the map cannot be read, the command
// line is wrong or its output cannot be written.
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <new>

#include "calibrate.h"
#include "version.h"
#include "zentu_map.h"

namespace {

constexpr int EXIT_WARNINGS = 1;
// A map that cannot be read, a wrong command line, output not written.
constexpr int EXIT_TROUBLE = 2;

struct arguments {
    std::string command;
    const char* map = nullptr;
    bool has_screen = false;
    touch_area screen;
    const char* background = nullptr;  // svg --background IMAGE
};

int usage(std::ostream& out = std::cerr) {
    out << "usage: zentu-map check MAP [--screen WIDTHxHEIGHT | --area X1..X2xY1..Y2]\n"
           "       zentu-map svg MAP [--screen WIDTHxHEIGHT [--background IMAGE] | --area "
           "X1..X2xY1..Y2] > keypad.svg\n"
           "       zentu-map grid --area X1..X2xY1..Y2 --cols C --rows R --keys KEYS > "
           "keypad.map\n"
           "       zentu-map calibrate --area X1..X2xY1..Y2 --screen WxH [--rotate 90|180|270] "
           "[--mirror-x] [--mirror-y] > panel.cal\n"
           "       zentu-map calibrate --screen WxH --taps TAPS > panel.cal\n"
           "       zentu-map -h | --help | --version\n";
    return EXIT_TROUBLE;
}

void help() {
    usage(std::cout);
    std::cout << "\n"
                 "check reports every line of a map as zentu reads it, with warnings;\n"
                 "svg draws the map; grid writes a map of equal keys; calibrate writes a\n"
                 "calibration for zentu -k. MAP - is standard input.\n"
                 "Exit status: 0 fine, 1 warnings (check), 2 map unreadable, command line\n"
                 "wrong or output not written. See zentu-map(1).\n";
}

// The options whose value may be the next argument, whatever it looks like.
bool takes_value(const char* arg) {
    for (const char* name : {"--screen", "--area", "--keys", "--cols", "--rows", "--rotate",
                             "--taps", "--background"}) {
        if (strcmp(arg, name) == 0) {
            return true;
        }
    }
    return false;
}

// -h, --help or --version where an option may stand, or null: the value
// of an option is never one of them ("--keys -h" is two keys).
const char* asks_for(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (strcmp(a, "-h") == 0 || strcmp(a, "--help") == 0 || strcmp(a, "--version") == 0) {
            return a;
        }
        i += takes_value(a) ? 1 : 0;
    }
    return nullptr;
}

// Flushes standard output; a failure is the caller's to hear of. errno
// still tells why the first write that failed did.
int finish(int status) {
    std::cout.flush();
    if (std::cout) {
        return status;
    }
    const int error = errno;
    std::cerr << "zentu-map: cannot write the output: "
              << (error != 0 ? strerror(error) : "write error") << '\n';
    return EXIT_TROUBLE;
}

int complain(const std::string& complaint) {
    std::cerr << "zentu-map: " << complaint << '\n';
    return usage();
}

// Returns an empty string, or what is wrong with the command line.
std::string parse_arguments(int argc, char** argv, arguments* a) {
    if (argc < 2) {
        return "no command";
    }
    a->command = argv[1];
    if (a->command != "check" && a->command != "svg") {
        return "unknown command " + a->command;
    }
    for (int i = 2; i < argc; ++i) {
        std::string complaint;
        const area_option taken = take_area_option(argc, argv, &i, &a->screen, &complaint);
        if (taken == AREA_BAD) {
            return complaint;
        }
        a->has_screen = a->has_screen || taken == AREA_TAKEN;
        const std::string arg = argv[i];
        if (taken == AREA_NONE && a->command == "svg" && arg.rfind("--background", 0) == 0) {
            const bool joined = arg.rfind("--background=", 0) == 0;
            if (!joined && (arg != "--background" || i + 1 >= argc)) {
                return arg == "--background" ? "--background needs an image file"
                                             : "unexpected argument " + arg;
            }
            a->background = joined ? argv[i] + strlen("--background=") : argv[++i];
        } else if (taken == AREA_NONE && a->map == nullptr && (arg[0] != '-' || arg == "-")) {
            a->map = argv[i];
        } else if (taken == AREA_NONE) {
            return "unexpected argument " + arg;
        }
    }
    if (a->background != nullptr && !(a->has_screen && a->screen.is_screen)) {
        return "--background needs --screen WIDTHxHEIGHT, the image's size in pixels";
    }
    return a->map == nullptr ? "no map file" : "";
}

// Reads the map; "-" is standard input.
bool load(const char* path, std::vector<map_line>* lines) {
    FILE* file = strcmp(path, "-") == 0 ? stdin : fopen(path, "r");
    if (file == nullptr) {
        std::cerr << "zentu-map: cannot read " << path << ": " << strerror(errno) << '\n';
        return false;
    }
    const bool ok = read_map_lines(file, lines);
    if (!ok) {
        std::cerr << "zentu-map: cannot read " << path << ": " << strerror(errno) << '\n';
    }
    if (file != stdin) {
        fclose(file);
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that has gone is an output failure like any other: say so.
    signal(SIGPIPE, SIG_IGN);
    if (const char* asked = asks_for(argc, argv)) {
        if (strcmp(asked, "--version") == 0) {
            std::cout << "zentu-map " ZENTU_VERSION "\n";
        } else {
            help();
        }
        return finish(0);
    }
    if (argc >= 2 && strcmp(argv[1], "grid") == 0) {
        if (grid_command(argc - 2, argv + 2, std::cout, std::cerr) < 0) {
            return usage();
        }
        return finish(0);
    }
    if (argc >= 2 && strcmp(argv[1], "calibrate") == 0) {
        const int status = calibrate_command(argc - 2, argv + 2, std::cout, std::cerr);
        return status < 0 ? usage() : finish(status);
    }
    arguments a;
    if (const std::string complaint = parse_arguments(argc, argv, &a);
        !complaint.empty() || a.map == nullptr) {
        return complain(complaint.empty() ? "no map file" : complaint);
    }
    // Memory grows with the map; a map too large for it is one that cannot
    // be read, not a crash.
    try {
        std::vector<map_line> lines;
        if (!load(a.map, &lines)) {
            return EXIT_TROUBLE;
        }
        const touch_area* screen = a.has_screen ? &a.screen : nullptr;
        if (a.command == "svg") {
            write_svg(std::cout, a.map, lines, screen, a.background);
            return finish(0);
        }
        return finish(write_check(std::cout, a.map, lines, screen) > 0 ? EXIT_WARNINGS : 0);
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        std::cerr << "zentu-map: not enough memory for " << a.map << '\n';
        return EXIT_TROUBLE;
    }
}
