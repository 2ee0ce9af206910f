// SPDX-License-Identifier: MIT
// zentu-map calibrate --taps: the calibration fitted to measured taps by
// least squares, which takes rotation, mirroring, skew and a resistive
// panel's real range in one step.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "calibrate.h"

namespace {

// Below this ratio of the narrowest spread of the points to the widest
// (as variances), they count as lying on one line: a fit through them
// would guess the other direction.
constexpr double FLAT = 1e-6;

// Reads a signed 32-bit decimal at *p, moving *p past it.
bool read_int32(const char** p, int32_t* value) {
    char* end = nullptr;
    errno = 0;
    const long long v = strtoll(*p, &end, 10);
    if (end == *p || errno != 0 || v < INT32_MIN || v > INT32_MAX) {
        return false;
    }
    *value = static_cast<int32_t>(v);
    *p = end;
    return true;
}

// Parses one line without its comment. Returns false for junk; *blank
// tells whether the line holds nothing at all.
bool parse_target(const std::string& text, tap_target* t, bool* blank) {
    const char* p = text.c_str();
    p += strspn(p, " \t\r");
    *blank = *p == '\0';
    if (*blank) {
        return true;
    }
    for (int32_t* field : {&t->px, &t->py, &t->dx, &t->dy}) {
        if (!read_int32(&p, field) || (*p != '\0' && strchr(" \t\r", *p) == nullptr)) {
            return false;
        }
    }
    return p[strspn(p, " \t\r")] == '\0';
}

// Whether the points (x[i], y[i]) lie on one line, or nearly so.
template <class X, class Y>
bool on_one_line(const std::vector<tap_target>& t, X x, Y y) {
    const auto n = static_cast<double>(t.size());
    double mx = 0;
    double my = 0;
    for (const tap_target& p : t) {
        mx += x(p) / n;
        my += y(p) / n;
    }
    double sxx = 0;
    double syy = 0;
    double sxy = 0;
    for (const tap_target& p : t) {
        sxx += (x(p) - mx) * (x(p) - mx);
        syy += (y(p) - my) * (y(p) - my);
        sxy += (x(p) - mx) * (y(p) - my);
    }
    const double widest = (sxx + syy + std::hypot(sxx - syy, 2 * sxy)) / 2;
    return widest <= 0 || (sxx * syy - sxy * sxy) / widest <= FLAT * widest;
}

double device_x(const tap_target& t) {
    return t.dx;
}
double device_y(const tap_target& t) {
    return t.dy;
}
double pixel_x(const tap_target& t) {
    return t.px;
}
double pixel_y(const tap_target& t) {
    return t.py;
}

// The fitted pixel along one axis is k[0]*x + k[1]*y + k[2] (in pixels).
template <class P>
void fit_axis(const std::vector<tap_target>& t, P pixel, double k[3]) {
    const auto n = static_cast<double>(t.size());
    double mx = 0;
    double my = 0;
    double mp = 0;
    for (const tap_target& p : t) {
        mx += p.dx / n;
        my += p.dy / n;
        mp += pixel(p) / n;
    }
    // Centred sums keep the normal equations well conditioned.
    double sxx = 0;
    double syy = 0;
    double sxy = 0;
    double sxp = 0;
    double syp = 0;
    for (const tap_target& p : t) {
        const double u = p.dx - mx;
        const double v = p.dy - my;
        const double w = pixel(p) - mp;
        sxx += u * u;
        syy += v * v;
        sxy += u * v;
        sxp += u * w;
        syp += v * w;
    }
    const double det = sxx * syy - sxy * sxy;
    k[0] = (syy * sxp - sxy * syp) / det;
    k[1] = (sxx * syp - sxy * sxp) / det;
    k[2] = mp - k[0] * mx - k[1] * my;
}

// k in 65536ths, with half a pixel added to the constant so that zentu's
// truncation lands on the nearest pixel. False when beyond 32 bits.
bool to_coefficients(const double k[3], int32_t* a) {
    const double scaled[3] = {k[0] * CALIBRATION_SCALE, k[1] * CALIBRATION_SCALE,
                              (k[2] + 0.5) * CALIBRATION_SCALE};
    return round_row(scaled, a);
}

}  // namespace

bool round_row(const double row[3], int32_t* k) {
    for (int i = 0; i < 3; ++i) {
        const double r = std::round(row[i]);
        if (!(r >= INT32_MIN && r <= INT32_MAX)) {
            return false;
        }
        k[i] = static_cast<int32_t>(r);
    }
    return true;
}

std::string read_targets(FILE* file, const std::string& name, std::vector<tap_target>* targets) {
    std::string line;
    int number = 0;
    for (int c = 0; c != EOF;) {
        line.clear();
        while ((c = getc(file)) != EOF && c != '\n') {
            line += static_cast<char>(c);
        }
        if (c == EOF && line.empty()) {
            break;
        }
        ++number;
        tap_target t;
        t.line = number;
        bool blank = false;
        if (line.find('\0') != std::string::npos ||
            !parse_target(line.substr(0, line.find('#')), &t, &blank)) {
            return name + ":" + std::to_string(number) +
                   ": not PX PY DX DY (four whole numbers of 32 bits)";
        }
        if (!blank) {
            targets->push_back(t);
        }
    }
    if (ferror(file) != 0) {
        return "cannot read " + name + ": " + strerror(errno);
    }
    return "";
}

const char* fit_calibration(const std::vector<tap_target>& targets, calibration* c) {
    const std::vector<tap_target>& t = targets;
    if (t.size() < 3) {
        return "a fit needs at least three targets";
    }
    if (on_one_line(t, device_x, device_y)) {
        return "the device points lie on one line: tap at least three targets that do not";
    }
    if (on_one_line(t, pixel_x, pixel_y)) {
        return "the targets lie on one line: tap at least three pixels that do not";
    }
    double kx[3];
    double ky[3];
    fit_axis(t, pixel_x, kx);
    fit_axis(t, pixel_y, ky);
    calibration fitted;
    if (!to_coefficients(kx, fitted.a) || !to_coefficients(ky, fitted.a + 3)) {
        return "the fit needs numbers beyond 32 bits";
    }
    fitted.a[6] = CALIBRATION_SCALE;
    fitted.given = true;
    *c = fitted;
    return nullptr;
}

fit_quality measure_fit(const std::vector<tap_target>& targets, const calibration& c) {
    fit_quality q;
    for (size_t i = 0; i < targets.size(); ++i) {
        const tap_target& t = targets[i];
        int32_t x = t.dx;
        int32_t y = t.dy;
        apply_calibration(c, &x, &y);
        const double d = std::hypot(static_cast<double>(x) - t.px, static_cast<double>(y) - t.py);
        if (d > q.largest || i == 0) {
            q.largest = d;
            q.worst = i;
        }
        q.mean += d / static_cast<double>(targets.size());
    }
    return q;
}
