// SPDX-License-Identifier: MIT
// zentu-map calibrate --area: the calibration that maps the device's area
// onto the display's pixels for a panel mounted turned or mirrored; and the
// command line of both ways of making one.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "calibrate.h"

namespace {

// Where a device point lands as a fraction of the display along each axis:
// row r gives m[r][0]*u + m[r][1]*v + m[r][2], where u and v are the
// point's fractions of the area's width and height.
struct fractions {
    int m[2][3];
};

// A quarter turn clockwise takes the display point (p, q) to (1 - q, p),
// as the usual clockwise calibration matrices do; mirroring follows, in
// display terms.
fractions mounted(const mounting& how) {
    fractions f{{{1, 0, 0}, {0, 1, 0}}};
    for (int turn = 0; turn < how.quarter_turns; ++turn) {
        const fractions was = f;
        for (int k = 0; k < 3; ++k) {
            f.m[0][k] = -was.m[1][k] + (k == 2 ? 1 : 0);
            f.m[1][k] = was.m[0][k];
        }
    }
    for (int r = 0; r < 2; ++r) {
        if (r == 0 ? how.mirror_x : how.mirror_y) {
            for (int k = 0; k < 3; ++k) {
                f.m[r][k] = -f.m[r][k] + (k == 2 ? 1 : 0);
            }
        }
    }
    return f;
}

// One row of the calibration in 65536ths, half a pixel added to the
// constant so that zentu's truncation lands on the nearest pixel.
bool area_row(const touch_area& a, int32_t pixels, const int* m, int32_t* k) {
    const double span = pixels - 1.0;
    const double sx = static_cast<double>(a.x_max) - a.x_min;
    const double sy = static_cast<double>(a.y_max) - a.y_min;
    const double row[3] = {
        span * m[0] / sx * CALIBRATION_SCALE, span * m[1] / sy * CALIBRATION_SCALE,
        (span * (m[2] - m[0] * a.x_min / sx - m[1] * a.y_min / sy) + 0.5) * CALIBRATION_SCALE};
    return round_row(row, k);
}

// Whether every corner of the area lands within a pixel of its corner of
// the screen: whole numbers of 65536ths cannot follow every area.
bool corners_hold(const touch_area& a, int32_t width, int32_t height, const fractions& f,
                  const calibration& c) {
    for (const int u : {0, 1}) {
        for (const int v : {0, 1}) {
            int32_t x = u == 0 ? a.x_min : a.x_max;
            int32_t y = v == 0 ? a.y_min : a.y_max;
            apply_calibration(c, &x, &y);
            const double want_x = (width - 1.0) * (f.m[0][0] * u + f.m[0][1] * v + f.m[0][2]);
            const double want_y = (height - 1.0) * (f.m[1][0] * u + f.m[1][1] * v + f.m[1][2]);
            if (std::fabs(x - want_x) > 1 || std::fabs(y - want_y) > 1) {
                return false;
            }
        }
    }
    return true;
}

struct request {
    touch_area area;
    touch_area screen;
    bool has_area = false;
    bool has_screen = false;
    const char* taps = nullptr;
    bool rotate_given = false;
    mounting how;
};

// Acts on one argument. Returns an empty string, or what is wrong.
std::string take_argument(const arg& a, request* r) {
    const char* value = a.kind == ARG_OPTION ? a.value : nullptr;
    const int id = a.kind == ARG_OPTION || a.kind == ARG_MISSING ? a.id : 0;
    if (id == OPT_MIRROR_X || id == OPT_MIRROR_Y) {
        (id == OPT_MIRROR_X ? r->how.mirror_x : r->how.mirror_y) = true;
        r->rotate_given = true;
    } else if (id == OPT_AREA) {
        const char* why = value == nullptr ? "needs a value" : parse_area(value, &r->area);
        r->has_area = true;
        return why == nullptr ? ""
                              : "--area " + std::string(value == nullptr ? "" : value) + ": " + why;
    } else if (id == OPT_SCREEN) {
        r->has_screen = value != nullptr && parse_screen(value, &r->screen);
        return r->has_screen ? ""
                             : "--screen needs WIDTHxHEIGHT with two positive numbers (such as "
                               "240x320)";
    } else if (id == OPT_ROTATE) {
        const bool known =
            value != nullptr && (strcmp(value, "0") == 0 || strcmp(value, "90") == 0 ||
                                 strcmp(value, "180") == 0 || strcmp(value, "270") == 0);
        r->how.quarter_turns = known ? static_cast<int>(strtol(value, nullptr, 10)) / 90 : 0;
        r->rotate_given = true;
        return known ? "" : "--rotate takes 90, 180 or 270 (degrees clockwise)";
    } else if (id == OPT_TAPS) {
        r->taps = value;
        return value != nullptr ? "" : "--taps needs a file";
    } else {
        return "calibrate: unexpected argument " + std::string(a.text);
    }
    return "";
}

std::string parse_request(int argc, char** argv, request* r) {
    arg_reader reader = map_arguments(argc, argv, 0);
    for (arg a = next_arg(&reader); a.kind != ARG_END; a = next_arg(&reader)) {
        if (std::string why = take_argument(a, r); !why.empty()) {
            return why;
        }
    }
    if (!r->has_screen) {
        return "calibrate needs --screen WIDTHxHEIGHT, the display's pixels";
    }
    if (r->has_area == (r->taps != nullptr)) {
        return "calibrate needs either --area X1..X2xY1..Y2 or --taps FILE";
    }
    if (r->taps != nullptr && r->rotate_given) {
        return "--rotate and --mirror-x/-y go with --area: measured taps show the mounting "
               "themselves";
    }
    return "";
}

// "a0 a1 a2 a3 a4 a5 a6\n"
std::string calibration_line(const calibration& c) {
    std::string line;
    for (int k = 0; k < CALIBRATION_NUMBERS; ++k) {
        line += std::to_string(c.a[k]) + (k + 1 < CALIBRATION_NUMBERS ? " " : "\n");
    }
    return line;
}

// --taps: read, check against the screen, fit, and say how well it fits.
int fit_command(const request& r, std::ostream& out, std::ostream& err) {
    const std::string name = strcmp(r.taps, "-") == 0 ? "standard input" : r.taps;
    FILE* file = strcmp(r.taps, "-") == 0 ? stdin : fopen(r.taps, "r");
    if (file == nullptr) {
        err << "zentu-map: cannot read " << name << ": " << strerror(errno) << '\n';
        return EXIT_TROUBLE;
    }
    std::vector<tap_target> targets;
    std::string why = read_targets(file, name, &targets);
    if (file != stdin) {
        fclose(file);
    }
    for (size_t i = 0; why.empty() && i < targets.size(); ++i) {
        const tap_target& t = targets[i];
        if (t.px < 0 || t.py < 0 || t.px > r.screen.x_max || t.py > r.screen.y_max) {
            why = name + ":" + std::to_string(t.line) + ": the target " + std::to_string(t.px) +
                  " " + std::to_string(t.py) + " is off the " + describe_area(r.screen);
        }
    }
    calibration c;
    if (const char* fit = why.empty() ? fit_calibration(targets, &c) : nullptr) {
        why = name + ": " + fit;
    }
    if (!why.empty()) {
        err << "zentu-map: " << why << '\n';
        return EXIT_TROUBLE;
    }
    out << calibration_line(c);
    const fit_quality q = measure_fit(targets, c);
    char summary[160];
    snprintf(summary, sizeof summary,
             "%zu targets: largest distance %.2f pixels (line %d), mean %.2f pixels",
             targets.size(), q.largest, targets[q.worst].line, q.mean);
    err << "zentu-map: " << name << ": " << summary << '\n';
    return 0;
}

}  // namespace

const char* calibration_for_area(const touch_area& area, int32_t width, int32_t height,
                                 const mounting& how, calibration* c) {
    const touch_area& a = area;
    if (a.x_min == a.x_max || a.y_min == a.y_max) {
        return "the area must span at least two points along each axis";
    }
    const fractions f = mounted(how);
    calibration made;
    made.a[6] = CALIBRATION_SCALE;
    made.given = true;
    if (!area_row(a, width, f.m[0], made.a) || !area_row(a, height, f.m[1], made.a + 3) ||
        !corners_hold(a, width, height, f, made)) {
        return "no calibration of 32-bit numbers over a6 = 65536 takes this area onto the screen "
               "within a pixel";
    }
    *c = made;
    return nullptr;
}

int calibrate_command(int argc, char** argv, std::ostream& out, std::ostream& err) {
    request r;
    if (const std::string why = parse_request(argc, argv, &r); !why.empty()) {
        err << "zentu-map: " << why << '\n';
        return -1;
    }
    if (r.taps != nullptr) {
        return fit_command(r, out, err);
    }
    calibration c;
    if (const char* why =
            calibration_for_area(r.area, r.screen.x_max + 1, r.screen.y_max + 1, r.how, &c)) {
        err << "zentu-map: " << describe_area(r.area) << ": " << why << '\n';
        return EXIT_TROUBLE;
    }
    out << calibration_line(c);
    return 0;
}
