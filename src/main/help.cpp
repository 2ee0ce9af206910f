// SPDX-License-Identifier: MIT
// The help text.
#include <cstdio>

#include "main.h"
#include "version.h"

namespace {

// One block rather than an array of line pointers: in a position-independent
// program every pointer costs a relocation, half a kilobyte in all.
constexpr char HELP[] =
    "Version: 2012-11-03-zib-fork\n\n"
    "Usage:\n"
    "   zentu -t <touch-device-path> [OTHER-OPTIONS]\n\n"
    "   This utility reads coordinates of a screen tap, with optional vibration\n"
    "   serving as a tactile feedback to the user.\n"
    "   If delay is specified and no input is given then utility exits printing\n"
    "   \"timeout\" to stdout.\n\n"
    "Options:\n"
    "   --help -h, optional\n"
    "     display this help info and exit.\n"
    "\n"
    "   --touch-dev=<device-path> -t <device-path> (mandatory)\n"
    "     touch input device.\n"
    "   --vibra-dev=<device-path> -v <device-path> (optional)\n"
    "     vibra output device. If option is not present there is no tactile feedback.\n"
    "\n"
    "   --map-file=<file-path> -m <file-path> (optional)\n"
    "     Mapping file name. Without mapping file <-c> cannot be used.\n"
    "     If used map file must contain a mapping table where each line contains\n"
    "     following characters (seprated by spaces):\n"
    "     <x1> <y1> <x2> <y2> <numeric-value> <character>\n"
    "\n"
    "   --wait-for-start (default)\n"
    "     wait until touch-start occures (or delay ends)\n"
    "   --wait-for-end (optional)\n"
    "     wait until touch-end occures (or delay ends)\n"
    "   --read-first (optional)\n"
    "     return first value\n"
    "   --read-last (default)\n"
    "     return last value \n"
    "   --wait-delay=<ms> -d <ms> (optional)\n"
    "     delay in milliseconds (if 0 then waiting until event occures).\n"
    "\n"
    "   --print-x -x\n"
    "     Printout x coordinate.\n"
    "   --print-y -y\n"
    "     Printout y coordinate. If both x and y are given then coordinates are \n"
    "     separated witha a colon ':'\n"
    "   --print-ascii-code -a\n"
    "     Same as --print-character except that ascii value of the character is\n"
    "     returned rather then the character.\n"
    "   --print-character -c\n"
    "     Printout the character found in the map file.\n"
    "     The exit code is the corespoding numeric-value.\n\n"
    "   --print-time-spent\n"
    "     Printout time spent waiting for input [ms].\n"
    "     Works with any of above and is separated with semicolon ';' from them.\n"
    "Exit codes:\n"
    "   On success:\n"
    "     In x or y output modes returns 0.\n"
    "     In character and ascii-code output modes returns a numeric value\n"
    "     from the map file.\n"
    "   On timeout the utility returns -1.\n"
    "   On error cases the utility returns -2.\n";

static_assert(sizeof HELP - 1 <= OUTPUT_BUFFER_SIZE,
              "the help text must fit standard output's buffer");

}  // namespace

void print_version() {
    puts("zentu " ZENTU_VERSION);
}

void print_help() {
    fputs(HELP, stdout);
}
