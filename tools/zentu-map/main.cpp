// SPDX-License-Identifier: MIT
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
#include "zentu_map.h"

namespace {

constexpr int EXIT_WARNINGS = EXIT_NO;

struct arguments {
    std::string command;
    const char* map = nullptr;
    bool has_screen = false;
    touch_area screen;
    const char* background = nullptr;  // svg --background IMAGE
};

constexpr tool_text TOOL{
    "zentu-map",
    "usage: zentu-map check MAP [--screen WIDTHxHEIGHT | --area X1..X2xY1..Y2]\n"
    "       zentu-map svg MAP [--screen WIDTHxHEIGHT [--background IMAGE] | --area "
    "X1..X2xY1..Y2] > keypad.svg\n"
    "       zentu-map grid --area X1..X2xY1..Y2 --cols C --rows R --keys KEYS > "
    "keypad.map\n"
    "       zentu-map calibrate --area X1..X2xY1..Y2 --screen WxH [--rotate 90|180|270] "
    "[--mirror-x] [--mirror-y] > panel.cal\n"
    "       zentu-map calibrate --screen WxH --taps TAPS > panel.cal\n"
    "       zentu-map -h | --help | --version\n",
    "\n"
    "check reports every line of a map as zentu reads it, with warnings;\n"
    "svg draws the map; grid writes a map of equal keys; calibrate writes a\n"
    "calibration for zentu -k. MAP - is standard input.\n"
    "Exit status: 0 fine, 1 warnings (check), 2 map unreadable, command line\n"
    "wrong or output not written. See zentu-map(1).\n"};

// The id of -h, --help or --version where an option may stand, or 0: the
// value of an option is never one of them ("--keys -h" is two keys).
int asks_for(int argc, char** argv) {
    arg_reader r = map_arguments(argc, argv, 1);
    for (arg a = next_arg(&r); a.kind != ARG_END; a = next_arg(&r)) {
        if (a.kind == ARG_OPTION && (a.id == 'h' || a.id == OPTION_VERSION)) {
            return a.id;
        }
    }
    return 0;
}

// The map, or what is wrong with an argument that is not --screen or --area.
std::string take_argument(const arg& o, arguments* a) {
    if (o.id == OPT_BACKGROUND && a->command == "svg") {
        if (o.kind == ARG_MISSING) {
            return "--background needs an image file";
        }
        a->background = o.value;
    } else if (o.kind == ARG_OPERAND && a->map == nullptr &&
               (o.text[0] != '-' || strcmp(o.text, "-") == 0)) {
        a->map = o.text;
    } else {
        return "unexpected argument " + std::string(o.text);
    }
    return "";
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
    arg_reader r = map_arguments(argc, argv, 2);
    for (arg o = next_arg(&r); o.kind != ARG_END; o = next_arg(&r)) {
        std::string complaint;
        const area_option taken = take_area_option(o, &a->screen, &complaint);
        if (taken == AREA_NONE) {
            complaint = take_argument(o, a);
        }
        if (!complaint.empty()) {
            return complaint;
        }
        a->has_screen = a->has_screen || taken == AREA_TAKEN;
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

// std::cout writes through standard output's stdio stream (synchronised,
// the default), so finish_output hears of its failures too.
int main(int argc, char** argv) {
    // A reader that has gone is an output failure like any other: say so.
    signal(SIGPIPE, SIG_IGN);
    if (const int asked = asks_for(argc, argv)) {
        print_answer(TOOL, asked);
        return finish_output(TOOL, 0);
    }
    if (argc >= 2 && strcmp(argv[1], "grid") == 0) {
        if (grid_command(argc - 2, argv + 2, std::cout, std::cerr) < 0) {
            return show_usage(TOOL);
        }
        return finish_output(TOOL, 0);
    }
    if (argc >= 2 && strcmp(argv[1], "calibrate") == 0) {
        const int status = calibrate_command(argc - 2, argv + 2, std::cout, std::cerr);
        return status < 0 ? show_usage(TOOL) : finish_output(TOOL, status);
    }
    arguments a;
    if (const std::string complaint = parse_arguments(argc, argv, &a);
        !complaint.empty() || a.map == nullptr) {
        return complain(TOOL, complaint.empty() ? "no map file" : complaint.c_str());
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
            return finish_output(TOOL, 0);
        }
        return finish_output(TOOL,
                             write_check(std::cout, a.map, lines, screen) > 0 ? EXIT_WARNINGS : 0);
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        std::cerr << "zentu-map: not enough memory for " << a.map << '\n';
        return EXIT_TROUBLE;
    }
}
