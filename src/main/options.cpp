// SPDX-License-Identifier: MIT
// Option table, option parsing and validation of the combination.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <getopt.h>

#include "main.h"

namespace {

constexpr const char* short_options = "t:v:m:d:M:k:xycha";

// The options that only set a flag; false for every other.
bool set_flag(int opt, settings* s) {
    switch (opt) {
    case 'x':
        s->printX = true;
        return true;
    case 'y':
        s->printY = true;
        return true;
    case 'a':
        s->asciiCode = true;
        [[fallthrough]];
    case 'c':
        s->charMode = true;
        return true;
    default:
        return opt == 0 || opt == 'M';  // a long option that set its flag; -M is ignored
    }
}

// Acts on one option the parser returned. Returns true to go on parsing;
// false when the run is over, with main's value in *status: an error,
// unless help or the version ended it.
bool apply_option(int opt, settings* s, int* status) {
    *status = ZENTU_ERROR;
    switch (opt) {
    case 't':
        s->touchPath = optarg;
        return open_touch_device(optarg, &s->touchFd);
    case 'v':
        return open_vibra_device(optarg, &s->vibraFd);
    case 'm':
        return open_map_file(optarg, &s->mapFile);
    case 'k':
        return load_calibration(optarg, &s->cal);
    case 'd':
        s->delay = parse_delay(optarg);
        return true;
    case 'V':
    case 'h':
        opt == 'h' ? print_help() : print_version();
        *status = ZENTU_OK;
        return false;
    default:
        if (set_flag(opt, s)) {
            return true;
        }
        // The parser has already complained on standard error. A misspelt
        // option must not pass for a successful run, so this is an error.
        print_help();
        return false;
    }
}

}  // namespace

int32_t parse_delay(const char* arg) {
    const long v = strtol(arg, nullptr, 10);
    if (v > INT32_MAX) {
        return INT32_MAX;
    }
    if (v < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(v);
}

bool parse_command_line(int argc, char** argv, settings* s, int* status) {
    const option long_options[] = {
        {"wait-for-start", no_argument, &s->waitMode, 1},
        {"wait-for-end", no_argument, &s->waitMode, 0},
        {"read-first", no_argument, &s->readMode, 0},
        {"read-last", no_argument, &s->readMode, 1},
        {"print-time-spent", no_argument, &s->printTimeSpent, 1},
        {"print-x", no_argument, nullptr, 'x'},
        {"print-y", no_argument, nullptr, 'y'},
        {"print-character", no_argument, nullptr, 'c'},
        {"print-ascii-code", no_argument, nullptr, 'a'},
        {"help", no_argument, nullptr, 'h'},
        // Long only: -V stays an unknown option, and the help text is unchanged.
        {"version", no_argument, nullptr, 'V'},
        {"touch-dev", required_argument, nullptr, 't'},
        {"vibra-dev", required_argument, nullptr, 'v'},
        {"map-file", required_argument, nullptr, 'm'},
        {"wait-delay", required_argument, nullptr, 'd'},
        {"calibration", required_argument, nullptr, 'k'},
        {nullptr, 0, nullptr, 0},
    };
    for (;;) {
        const int opt = getopt_long(argc, argv, short_options, long_options, nullptr);
        if (opt == -1) {
            return true;
        }
        if (!apply_option(opt, s, status)) {
            return false;
        }
    }
}

int validate_settings(const settings& s) {
    if (s.touchFd == NO_DEVICE) {
        puts("touch input device is mandatory parameter");
        return ZENTU_ERROR;
    }
    if (!s.printX && !s.printY && !s.charMode) {
        puts("output mode must be specified");
        return ZENTU_ERROR;
    }
    if (s.charMode && s.mapFile == nullptr) {
        puts("there is no mapping table");
        return ZENTU_ERROR;
    }
    return ZENTU_OK;
}
