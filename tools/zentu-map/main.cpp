// zentu-map: checks a zentu map file and draws it.
//
//   zentu-map check MAP [--screen WIDTHxHEIGHT]
//   zentu-map svg MAP [--screen WIDTHxHEIGHT] > keypad.svg
//
// check exits 0 when there is nothing to warn about, 1 when there are
// warnings, 2 when the map cannot be read; svg exits 0 or 2.
#include <cerrno>
#include <cstring>
#include <iostream>

#include "zentu_map.h"

namespace {

constexpr int EXIT_UNREADABLE = 2;

struct arguments {
    std::string command;
    const char* map = nullptr;
    bool has_screen = false;
    screen_size screen;
};

int usage(std::ostream& out = std::cerr) {
    out << "usage: zentu-map check MAP [--screen WIDTHxHEIGHT]\n"
           "       zentu-map svg MAP [--screen WIDTHxHEIGHT] > keypad.svg\n";
    return EXIT_UNREADABLE;
}

bool parse_arguments(int argc, char** argv, arguments* a) {
    if (argc < 2) {
        return false;
    }
    a->command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* size = nullptr;
        if (arg == "--screen" && i + 1 < argc) {
            size = argv[++i];
        } else if (arg.rfind("--screen=", 0) == 0) {
            size = argv[i] + strlen("--screen=");
        } else if (a->map == nullptr && (arg[0] != '-' || arg == "-")) {
            a->map = argv[i];
            continue;
        } else {
            return false;
        }
        a->has_screen = parse_screen(size, &a->screen);
        if (!a->has_screen) {
            return false;
        }
    }
    return a->map != nullptr && (a->command == "check" || a->command == "svg");
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
    arguments a;
    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        usage(std::cout);
        return 0;
    }
    if (!parse_arguments(argc, argv, &a)) {
        return usage();
    }
    std::vector<map_line> lines;
    if (!load(a.map, &lines)) {
        return EXIT_UNREADABLE;
    }
    const screen_size* screen = a.has_screen ? &a.screen : nullptr;
    int status = 0;
    if (a.command == "check") {
        status = write_check(std::cout, a.map, lines, screen) > 0 ? 1 : 0;
    } else {
        write_svg(std::cout, a.map, lines, screen);
    }
    std::cout.flush();
    return std::cout ? status : EXIT_UNREADABLE;
}
