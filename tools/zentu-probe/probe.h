// SPDX-License-Identifier: MIT
// zentu-probe: finds the input event devices that zentu can read and
// write, so that a script need not know which eventN they are this boot.
#pragma once

#include <cstdint>

#include <linux/input.h>

#include "touch/touch.h"

// What a node is, as the listing's second field names it.
enum probe_kind : int {
    PROBE_ERROR = 0,  // could not be opened or asked (the reason in open_error)
    PROBE_TOUCH = 1,  // a touch screen zentu can wait on
    PROBE_VIBRA = 2,  // a force-feedback device and no touch screen
    PROBE_OTHER = 3,  // neither; the detail says why it is not a touch screen
};

inline constexpr int PROBE_NAME_SIZE = 256;
inline constexpr int PROBE_PATH_SIZE = 4096;

// Everything the probe says of one node. All zero at first, so that a
// static one costs no space in the program file.
struct probe_device {
    int number = 0;  // N of eventN
    char path[PROBE_PATH_SIZE] = {};
    int kind = PROBE_ERROR;
    int open_error = 0;                // errno of the open or of a query that found it gone
    int touch_kind = 0;                // get_touch_kind's answer
    int slots = 0;                     // with touch_kind TOUCH_KIND_MT_SLOTS
    int reason = TOUCH_LACKS_NOTHING;  // a touch_lack: why it is not a touch screen
    bool direct = false;               // INPUT_PROP_DIRECT: a screen, not a touchpad
    bool ff = false;                   // EV_FF: takes force-feedback effects
    bool has_area = false;             // x and y below hold the axes the wait reads
    bool has_id = false;               // id below is what EVIOCGID answered
    input_id id{};
    input_absinfo x{};
    input_absinfo y{};
    char name[PROBE_NAME_SIZE] = {};  // EVIOCGNAME, NUL-terminated
};

// Opens path read-only and fills *d, path and number included.
void probe_node(const char* path, int number, probe_device* d);

// The number N of a directory entry named "eventN", or -1. N may have
// leading zeros: "event06" is 6.
[[nodiscard]] int event_number(const char* entry);

// Calls visit for every eventN node in dir, in increasing order of N (and
// of name among equal N: "event06" before "event6"), probing each under its
// own name; a node that vanishes is reported as PROBE_ERROR. Returns
// the number of nodes, or -1 when dir cannot be read (errno set).
// visit returns false to stop early.
using probe_visitor = bool (*)(const probe_device& d, void* context);
[[nodiscard]] int visit_nodes(const char* dir, probe_visitor visit, void* context);

// Writes the listing's line for d on standard output.
void print_record(const probe_device& d);

// Writes "X1..X2xY1..Y2" (no newline): the form zentu-map --area takes.
void print_area(const probe_device& d);

// Writes the listing's id field: "vvvv:pppp", or "-" when not asked.
void print_id(const probe_device& d);

// Reads --id's VVVV:PPPP, one to four hexadecimal digits each, either case.
[[nodiscard]] bool parse_id(const char* text, input_id* id);

// Writes text as the listing shows it: bytes outside printable ASCII as
// \xHH, a backslash as \\. Into out (size bytes, NUL-terminated, cut
// short only where it does not fit) or, with out null, on standard output.
void escape_text(const char* text, char* out, int size);

// Whether name matches the shell glob pattern as the kernel gives it, or as
// the listing shows it (escaped; a backslash in the pattern stands for itself).
[[nodiscard]] bool name_matches(const char* pattern, const char* name);

// One word for an errno from an open: permission-denied, busy, gone.
[[nodiscard]] const char* error_word(int error);
