// In-guest cases for calibration: a resistive panel whose ranges do not
// start at 0, mounted a quarter turn on a 240x320 display. Its area comes
// from zentu-probe, its calibration from zentu-map calibrate and its keypad
// from zentu-map grid in pixels, all in the guest; then zentu -k answers
// taps at known device points with the right pixels and keys.
#include "calib_cases.h"

#include <cstdio>
#include <string>

#include "devices.h"
#include "harness.h"

namespace {

const char* const CALIBRATION = "/tmp/panel.cal";
const char* const KEYPAD = "/tmp/pixels.map";

// Runs a helper and collects what it says.
run helper(const char* const* argv) {
    run r;
    if (start(&r, argv)) {
        finish(&r, 10000);
    }
    return r;
}

bool save(const char* path, const std::string& text) {
    FILE* f = fopen(path, "w");
    const bool ok = f != nullptr && fputs(text.c_str(), f) >= 0;
    return f != nullptr && fclose(f) == 0 && ok;
}

// The area, the calibration and the keypad, made by the tools; false when
// one of them failed, with why in v.
bool prepare(const char* map_path, const char* probe_path, const device& panel, verdict* v) {
    const char* const probe[] = {probe_path, "--area", panel.node, nullptr};
    run area = helper(probe);
    expect_output(v, area, "200..3900x180..3950\n", 0);
    std::string range = area.out_text;
    range.resize(range.empty() ? 0 : range.size() - 1);
    const char* const calibrate[] = {map_path,  "calibrate", "--area", range.c_str(), "--screen",
                                     "240x320", "--rotate",  "90",     nullptr};
    const run cal = helper(calibrate);
    // The same numbers as on the build machine: no host arithmetic leaks in.
    expect_output(v, cal, "0 -4155 16443713 5650 0 -1097285 65536\n", 0);
    const char* const grid[] = {map_path, "grid", "--screen", "240x320",      "--cols", "3",
                                "--rows", "4",    "--keys",   "123456789*0#", nullptr};
    const run keys = helper(grid);
    if (keys.status != 0 || !save(CALIBRATION, cal.out_text) || !save(KEYPAD, keys.out_text)) {
        v->add(" grid status %d, or the files were not written", keys.status);
    }
    return v->used == 0;
}

struct calibrated_tap {
    int32_t x, y;       // where the panel is touched, in its own units
    const char* pixel;  // zentu -k ... -x -y
    const char* key;    // zentu -k ... -c with the keypad in pixels
    int status;
};

// The device's (X1, Y1) corner lands at the top right, (X1, Y2) at the top left.
const calibrated_tap taps[] = {
    {200, 180, "239:0\n", "3", 3},     {200, 3950, "0:0\n", "1", 1},
    {3900, 3950, "0:319\n", "*", 10},  {3900, 180, "239:319\n", "#", 12},
    {2000, 2000, "124:155\n", "5", 5},
};

void tap_case(device* panel, const calibrated_tap& t) {
    verdict v;
    run r;
    const char* const xy[] = {"-k", CALIBRATION, "-x", "-y", nullptr};
    const char* const chr[] = {"-k", CALIBRATION, "-m", KEYPAD, "-c", nullptr};
    for (const char* const* args : {xy, chr}) {
        run one;
        if (launch(&one, *panel, args, &v)) {
            tap(panel, t.x, t.y);
            finish(&one, 5000);
            expect_output(&v, one, args == xy ? t.pixel : t.key, args == xy ? 0 : t.status);
            expect_quiet_stderr(&v, one);
        }
        r = one;
    }
    char name[96];
    snprintf(name, sizeof name, "calibrated quarter turn: tap at %d:%d is pixel %.*s, key %s", t.x,
             t.y, static_cast<int>(std::string(t.pixel).size() - 1), t.pixel, t.key);
    report(name, v, r);
}

}  // namespace

void run_calibration_cases(const char* map_path, const char* probe_path) {
    device panel;
    create(&panel, kind::resistive, "zentu quarter-turned panel");
    verdict made;
    if (panel.fd < 0) {
        made.add(" %s", panel.error);
    }
    const bool ready = panel.fd >= 0 && prepare(map_path, probe_path, panel, &made);
    report("calibration: zentu-probe --area, zentu-map calibrate --rotate 90 and grid in pixels",
           made, run{});
    for (const calibrated_tap& t : taps) {
        if (ready) {
            tap_case(&panel, t);
        }
    }
    destroy(&panel);
}
