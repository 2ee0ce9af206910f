// SPDX-License-Identifier: MIT
// Entry point and run sequence: parse, validate, wait for the tap,
// confirm it with a pulse, report it.
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include <unistd.h>

#include "../tapmap/tapmap.h"
#include "../touch/touch.h"
#include "../vibra/vibra.h"
#include "main.h"

namespace {

// The whole line goes to standard output in one piece.
void print_coordinates(const settings& s, int32_t x, int32_t y) {
    char line[3 * (DECIMAL_MAX + 1) + 1];
    char* p = line;
    if (s.printX) {
        p = append_decimal(p, x);
    }
    if (s.printX && s.printY) {
        *p++ = ':';
    }
    if (s.printY) {
        p = append_decimal(p, y);
    }
    if (s.printTimeSpent != 0) {
        *p++ = ';';
        p = append_decimal(p, s.delay);
    }
    *p++ = '\n';
    *p = '\0';
    fputs(line, stdout);
}

// Character mode: the first map entry holding the tap decides the output
// and the status.
int print_mapped(const settings& s, int32_t x, int32_t y) {
    const int result = output_mapped_char(s.mapFile, x, y, s.asciiCode ? 1 : 0);
    if (s.printTimeSpent != 0) {
        char text[DECIMAL_MAX + 2] = {';'};
        *append_decimal(text + 1, s.delay) = '\0';
        fputs(text, stdout);
    }
    return result;
}

// An input device on which no tap can end is still waited on (it may be
// right for reasons zentu cannot see), but the user hears why nothing
// comes. Pipes, FIFOs and files answer no input query: they stay silent.
void warn_if_not_touch_screen(const settings& s) {
    const int lack = get_touch_lack(s.touchFd);
    if (lack == TOUCH_LACKS_BTN_TOUCH || lack == TOUCH_LACKS_POSITION_AXES) {
        fprintf(stderr, "%s is not a touch screen (%s); waiting anyway\n", s.touchPath,
                touch_lack_word(lack));
    }
}

int run(settings* s) {
    warn_if_not_touch_screen(*s);
    int32_t x = 0;
    int32_t y = 0;
    const int tap = get_touchtap(s->touchFd, &s->delay, &x, &y, s->waitMode, s->readMode);
    if (tap == TAP_TIMEOUT) {
        puts("timeout");
        return ZENTU_TIMEOUT;
    }
    if (tap == TAP_GONE) {
        fputs("touch input device is gone\n", stderr);
        return ZENTU_ERROR;
    }
    if (tap == TAP_LOST) {
        fputs("touch events were lost: where the touch ended is unknown\n", stderr);
        return ZENTU_ERROR;
    }
    // From here on the tap is in display pixels when a calibration was given.
    apply_calibration(s->cal, &x, &y);
    if (send_vibra(s->vibraFd) != 0) {
        return ZENTU_ERROR;
    }
    if (s->charMode) {
        return print_mapped(*s, x, y);
    }
    print_coordinates(*s, x, y);
    return ZENTU_OK;
}

// Output that never reached its reader must not end with a success status,
// least of all with a button's value.
int check_output(int status) {
    errno = 0;
    if (fflush(stdout) == 0 && ferror(stdout) == 0) {
        return status;
    }
    if (errno != 0) {
        perror("cannot write standard output");
    } else {
        fputs("cannot write standard output\n", stderr);
    }
    return ZENTU_ERROR;
}

// Standard output's buffer. Left to the library it would be allocated at
// the first output, and that first allocation (heap set-up, its system
// calls and page faults) would sit between the tap and the caller's answer.
char outputBuffer[OUTPUT_BUFFER_SIZE];

}  // namespace

int main(int argc, char** argv) {
    guard_standard_descriptors();
    // Line-buffered on a terminal and fully buffered otherwise, as the
    // library would have chosen.
    setvbuf(stdout, outputBuffer, isatty(STDOUT_FILENO) ? _IOLBF : _IOFBF, sizeof outputBuffer);
    settings s;
    int status = ZENTU_OK;
    if (parse_command_line(argc, argv, &s, &status)) {
        status = validate_settings(s);
        if (status == ZENTU_OK) {
            status = run(&s);
        }
    }
    return check_output(status);
}
