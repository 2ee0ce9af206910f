// zentu-map: checks a zentu map file and draws it.
//
//   zentu-map check MAP [--screen WIDTHxHEIGHT | --area X1..X2xY1..Y2]
//   zentu-map svg MAP [--screen WIDTHxHEIGHT | --area X1..X2xY1..Y2] > keypad.svg
//   zentu-map grid --area X1..X2xY1..Y2 --cols C --rows R --keys KEYS > keypad.map
//
// check exits 0 when there is nothing to warn about, 1 when there are
// warnings, 2 when the map cannot be read; svg and grid exit 0 or 2.
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
    touch_area screen;
};

int usage(std::ostream& out = std::cerr) {
    out << "usage: zentu-map check MAP [--screen WIDTHxHEIGHT | --area X1..X2xY1..Y2]\n"
           "       zentu-map svg MAP [--screen WIDTHxHEIGHT | --area X1..X2xY1..Y2] > keypad.svg\n"
           "       zentu-map grid --area X1..X2xY1..Y2 --cols C --rows R --keys KEYS > "
           "keypad.map\n";
    return EXIT_UNREADABLE;
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
        if (taken == AREA_NONE && a->map == nullptr && (arg[0] != '-' || arg == "-")) {
            a->map = argv[i];
        } else if (taken == AREA_NONE) {
            return "unexpected argument " + arg;
        }
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
    arguments a;
    if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
        usage(std::cout);
        return 0;
    }
    if (argc >= 2 && strcmp(argv[1], "grid") == 0) {
        if (grid_command(argc - 2, argv + 2, std::cout, std::cerr) < 0) {
            return usage();
        }
        std::cout.flush();
        return std::cout ? 0 : EXIT_UNREADABLE;
    }
    if (const std::string complaint = parse_arguments(argc, argv, &a); !complaint.empty()) {
        return complain(complaint);
    }
    std::vector<map_line> lines;
    if (!load(a.map, &lines)) {
        return EXIT_UNREADABLE;
    }
    const touch_area* screen = a.has_screen ? &a.screen : nullptr;
    int status = 0;
    if (a.command == "check") {
        status = write_check(std::cout, a.map, lines, screen) > 0 ? 1 : 0;
    } else {
        write_svg(std::cout, a.map, lines, screen);
    }
    std::cout.flush();
    return std::cout ? status : EXIT_UNREADABLE;
}
