// The help text, printed line by line with puts.
#include <array>
#include <cstdio>
#include <string_view>

#include "main.h"
#include "version.h"

namespace {

constexpr std::array help_lines = {
    "Version: 2012-11-03-zib-fork\n",
    "Usage:",
    "   zentu -t <touch-device-path> [OTHER-OPTIONS]\n",
    "   This utility reads coordinates of a screen tap, with optional vibration",
    "   serving as a tactile feedback to the user.",
    "   If delay is specified and no input is given then utility exits printing",
    "   \"timeout\" to stdout.\n",
    "Options:",
    "   --help -h, optional",
    "     display this help info and exit.",
    "",
    "   --touch-dev=<device-path> -t <device-path> (mandatory)",
    "     touch input device.",
    "   --vibra-dev=<device-path> -v <device-path> (optional)",
    "     vibra output device. If option is not present there is no tactile feedback.",
    "",
    "   --map-file=<file-path> -m <file-path> (optional)",
    "     Mapping file name. Without mapping file <-c> cannot be used.",
    "     If used map file must contain a mapping table where each line contains",
    "     following characters (seprated by spaces):",
    "     <x1> <y1> <x2> <y2> <numeric-value> <character>",
    "",
    "   --wait-for-start (default)",
    "     wait until touch-start occures (or delay ends)",
    "   --wait-for-end (optional)",
    "     wait until touch-end occures (or delay ends)",
    "   --read-first (optional)",
    "     return first value",
    "   --read-last (default)",
    "     return last value ",
    "   --wait-delay=<ms> -d <ms> (optional)",
    "     delay in milliseconds (if 0 then waiting until event occures).",
    "",
    "   --print-x -x",
    "     Printout x coordinate.",
    "   --print-y -y",
    "     Printout y coordinate. If both x and y are given then coordinates are ",
    "     separated witha a colon ':'",
    "   --print-ascii-code -a",
    "     Same as --print-character except that ascii value of the character is",
    "     returned rather then the character.",
    "   --print-character -c",
    "     Printout the character found in the map file.",
    "     The exit code is the corespoding numeric-value.\n",
    "   --print-time-spent",
    "     Printout time spent waiting for input [ms].",
    "     Works with any of above and is separated with semicolon ';' from them.",
    "Exit codes:",
    "   On success:",
    "     In x or y output modes returns 0.",
    "     In character and ascii-code output modes returns a numeric value",
    "     from the map file.",
    "   On timeout the utility returns -1.",
    "   On error cases the utility returns -2.",
};

// What puts writes: every line and its newline.
constexpr int help_size() {
    int size = 0;
    for (const char* line : help_lines) {
        size += static_cast<int>(std::string_view(line).size()) + 1;
    }
    return size;
}
static_assert(help_size() <= OUTPUT_BUFFER_SIZE, "the help text must fit standard output's buffer");

}  // namespace

void print_version() {
    puts("zentu " ZENTU_VERSION);
}

void print_help() {
    for (const char* line : help_lines) {
        puts(line);
    }
}
