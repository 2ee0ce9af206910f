// SPDX-License-Identifier: MIT
// In-guest cases for zentu-probe: the listing, --touch, --vibra and --area
// against uinput and uhid devices of every kind, a guest without a touch
// screen, nodes that cannot be opened or vanish, and zentu run on the path
// that --touch printed.
#include "probe_cases.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <poll.h>

#include "devices.h"
#include "harness.h"

namespace {

const char* probe_path = nullptr;

// Starts zentu-probe with args; with as_nobody, under an effective user
// that may open no input node.
bool start_probe(run* r, std::vector<const char*> args, bool as_nobody = false) {
    args.insert(args.begin(), probe_path);
    args.push_back(nullptr);
    constexpr uid_t NOBODY = 65534;
    // The saved user stays root, so the driver takes root back at once.
    if (as_nobody && seteuid(NOBODY) != 0) {
        return false;
    }
    const bool started = start(r, args.data());
    if (as_nobody && seteuid(0) != 0) {
        printf("# cannot take root back: %s\n", strerror(errno));
    }
    return started;
}

// Runs zentu-probe with args and collects what it says.
run probe(std::vector<const char*> args, bool as_nobody = false) {
    run r;
    if (start_probe(&r, std::move(args), as_nobody)) {
        finish(&r, 10000);
    }
    return r;
}

// Expects the status, all of standard output, and the start of standard error.
void expect_run(verdict* v, const run& r, int status, const std::string& out,
                const std::string& err) {
    expect_output(v, r, out.c_str(), status);
    if (r.err_text.rfind(err, 0) != 0) {
        v->add(" stderr \"%s\" (want it to start \"%s\")", r.err_text.c_str(), err.c_str());
    }
}

int node_number(const char* node) {
    const char* digits = strrchr(node, 't');  // .../eventN
    return digits != nullptr ? atoi(digits + 1) : -1;
}

// Every record has eight tab-separated fields and a known kind, and the
// records come in increasing order of N.
void expect_well_formed(verdict* v, const std::string& text) {
    int last = -1;
    size_t from = 0;
    for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
        const std::string line = text.substr(from, end - from);
        const size_t tab = line.find('\t');
        const std::string kind = line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
        const bool known = kind == "touch" || kind == "vibra" || kind == "other" || kind == "error";
        if (std::count(line.begin(), line.end(), '\t') != 7 || !known) {
            v->add(" bad record \"%s\"", line.c_str());
        }
        const int n = node_number(line.substr(0, tab).c_str());
        if (n <= last) {
            v->add(" out of order at \"%s\"", line.c_str());
        }
        last = n;
    }
    if (from != text.size()) {
        v->add(" unterminated listing");
    }
}

int count_nodes() {
    int n = 0;
    if (DIR* d = opendir("/dev/input")) {
        while (const dirent* e = readdir(d)) {
            n += strncmp(e->d_name, "event", 5) == 0 ? 1 : 0;
        }
        closedir(d);
    }
    return n;
}

// The devices the cases share, made in this order so that their numbers rise.
struct fleet {
    device one_axis;  // BTN_TOUCH, one multitouch axis, direct: no screen, never chosen
    device touchpad;  // touch but not direct: the lowest number, still not chosen
    device slotted;
    device plain;
    device single;
    device odd;  // a name with spaces, non-ASCII bytes, a control byte, a backslash
    device hid_mt;
    device hid_single;
    device keyboard;
    device mouse_like;
    device vibra;
};

constexpr int FLEET_TOUCH_SCREENS = 7;

bool make_fleet(fleet* f, verdict* v) {
    struct plan {
        device* d;
        kind k;
        const char* name;
    };
    const plan plans[] = {
        {&f->one_axis, kind::one_axis, "zentu-probe one axis"},
        {&f->touchpad, kind::touchpad, "zentu-probe touchpad"},
        {&f->slotted, kind::slotted_mt, "zentu-probe slotted"},
        {&f->plain, kind::plain_mt, "zentu-probe plain"},
        {&f->single, kind::single, "zentu-probe single"},
        {&f->odd, kind::slotted_mt, "odd name \xc3\xa9\x01 \\ end"},
        {&f->hid_mt, kind::hid_mt, "zentu-probe hid mt"},
        {&f->hid_single, kind::hid_single, "zentu-probe hid single"},
        {&f->keyboard, kind::keyboard, "zentu-probe keyboard"},
        {&f->mouse_like, kind::mouse_like, "zentu-probe mouse-like"},
        {&f->vibra, kind::vibra, "zentu-probe vibra"},
    };
    int last = -1;
    for (const plan& p : plans) {
        if (!create(p.d, p.k, p.name)) {
            v->add(" %s: %s", p.name, p.d->error);
            return false;
        }
        if (node_number(p.d->node) <= last) {
            v->add(" premise: %s is not numbered above the devices made before it", p.d->node);
        }
        last = node_number(p.d->node);
    }
    return true;
}

void listing_case(const fleet& f) {
    verdict v;
    const run r = probe({});
    expect_quiet_stderr(&v, r);
    if (r.status != 0) {
        v.add(" status %d", r.status);
    }
    expect_well_formed(&v, r.out_text);
    struct expected_record {
        const device* d;
        const char* rest;  // the record after its path
    };
    const expected_record want[] = {
        {&f.one_axis, "other\tno-position-axes\tdirect\t-\t-\tzentu-probe one axis\t1234:000b"},
        {&f.touchpad,
         "touch\tsingle\t-\t200..3900x180..3950\t40x30\tzentu-probe touchpad\t1234:0007"},
        {&f.slotted, "touch\tslots=10\tdirect\t0..4095x0..4095\t-\tzentu-probe slotted\t1234:0001"},
        {&f.plain, "touch\tmt\tdirect\t0..4095x0..4095\t-\tzentu-probe plain\t1234:0000"},
        {&f.single, "touch\tsingle\tdirect\t0..4095x0..4095\t-\tzentu-probe single\t1234:0003"},
        {&f.odd,
         "touch\tslots=10\tdirect\t0..4095x0..4095\t-\todd name \\xc3\\xa9\\x01 \\\\ "
         "end\t1234:0001"},
        {&f.hid_mt, "touch\tslots=2\tdirect\t0..4095x0..4095\t"},
        // hid-generic marks a single-touch Touch Screen application as no
        // direct-touch device: the listing says what the kernel says.
        {&f.hid_single, "touch\tsingle\t-\t0..4095x0..4095\t"},
        {&f.keyboard, "other\tno-btn-touch\t-\t-\t-\tzentu-probe keyboard\t1234:0006"},
        {&f.mouse_like, "other\tno-btn-touch\t-\t-\t-\tzentu-probe mouse-like\t1234:0004"},
        {&f.vibra, "vibra\tff\tff\t-\t-\tzentu-probe vibra\t1234:0005"},
    };
    for (const expected_record& w : want) {
        const std::string line = "\n" + std::string(w.d->node) + "\t" + w.rest;
        if (("\n" + r.out_text).find(line) == std::string::npos) {
            v.add(" no record \"%s\"", line.c_str() + 1);
        }
    }
    if (v.used != 0) {
        printf("# the listing:\n%s", r.out_text.c_str());
    }
    report("probe: the listing, every kind, sorted, names escaped", v, r);
}

// What standard error says when others fit as well as the chosen device.
std::string also(const device& chosen, std::initializer_list<const device*> others) {
    std::string text;
    for (const device* d : others) {
        text += std::string("zentu-probe: ") + d->node + " fits as well as " + chosen.node + "\n";
    }
    return text;
}

void choice_cases(const fleet& f) {
    const std::string n = std::to_string(count_nodes());
    const std::string direct_too = also(f.slotted, {&f.plain, &f.single, &f.odd, &f.hid_mt});
    struct choice {
        const char* name;
        std::vector<const char*> args;
        int status;
        std::string out;
        std::string err;  // all of it
    };
    // clang-format off
    const choice rows[] = {
        {"probe --touch: direct screens before a touchpad of lower number", {"--touch"}, 0, std::string(f.slotted.node) + "\n", direct_too},
        {"probe --touch --name: a glob on the name", {"--touch", "--name", "*probe s?ngle"}, 0, std::string(f.single.node) + "\n", ""},
        {"probe --touch --name: the name as the listing shows it", {"--touch", "--name", "odd name \\xc3\\xa9\\x01 \\\\ end"}, 0, std::string(f.odd.node) + "\n", ""},
        {"probe --touch --name: a touchpad when only it matches", {"--touch", "--name", "*pad"}, 0, std::string(f.touchpad.node) + "\n", ""},
        {"probe --touch --name: no match", {"--touch", "--name", "nothing*"}, 1, "", "zentu-probe: no touch screen named \"nothing*\" among " + n + " input devices (" + std::to_string(FLEET_TOUCH_SCREENS) + " touch screens)\n"},
        {"probe --vibra", {"--vibra"}, 0, std::string(f.vibra.node) + "\n", ""},
        {"probe --area: the chosen screen's", {"--area"}, 0, "0..4095x0..4095\n", direct_too},
        // slotted and odd are alike (1234:0001), plain is not (1234:0000)
        {"probe --touch --id: two alike, the other named", {"--touch", "--id", "1234:1"}, 0, std::string(f.slotted.node) + "\n", also(f.slotted, {&f.odd})},
        {"probe --touch --id --name: both choose", {"--touch", "--id", "1234:0001", "--name", "odd*"}, 0, std::string(f.odd.node) + "\n", ""},
        {"probe --touch --id --name: no match", {"--touch", "--name", "*slotted", "--id", "1234:0"}, 1, "", "zentu-probe: no touch screen named \"*slotted\" with id 1234:0000 among " + n + " input devices (" + std::to_string(FLEET_TOUCH_SCREENS) + " touch screens)\n"},
        {"probe --area PATH", {"--area", f.touchpad.node}, 0, "200..3900x180..3950\n", ""},
        {"probe --area PATH: a keyboard", {"--area", f.keyboard.node}, 1, "", std::string("zentu-probe: ") + f.keyboard.node + " is not a touch screen (no-btn-touch)\n"},
    };
    // clang-format on
    for (const choice& c : rows) {
        verdict v;
        const run r = probe(c.args);
        expect_output(&v, r, c.out.c_str(), c.status);
        expect_stderr(&v, r, c.err);
        report(c.name, v, r);
    }
}

// Without the right to open a node, each is listed with the reason; --touch
// names them also when it finds another device it can open (a touchpad).
void unopened_case(const fleet& f) {
    verdict v;
    const run list = probe({}, true);
    expect_well_formed(&v, list.out_text);
    const std::string line =
        std::string(f.slotted.node) + "\terror\tpermission-denied\t-\t-\t-\t\t-\n";
    if (list.status != 0 || list.out_text.find(line) == std::string::npos) {
        v.add(" listing (status %d) without \"%s\"", list.status, line.c_str());
    }
    if (chmod(f.touchpad.node, 0644) != 0) {
        v.add(" chmod %s: %s", f.touchpad.node, strerror(errno));
    }
    const run touch = probe({"--touch"}, true);
    chmod(f.touchpad.node, 0600);
    const std::string why =
        std::string("zentu-probe: ") + f.slotted.node + " could not be opened: Permission denied\n";
    expect_output(&v, touch, (std::string(f.touchpad.node) + "\n").c_str(), 0);
    if (touch.err_text.find(why) == std::string::npos) {
        v.add(" --touch said \"%s\"", touch.err_text.c_str());
    }
    report("probe: nodes that cannot be opened are listed, and named when another is found", v,
           touch);
}

// A node whose device is gone is listed as gone, and is not fatal.
void vanished_node_case() {
    verdict v;
    const char* dir = "/tmp/probe-nodes";
    mkdir(dir, 0755);
    // evdev's minors start at 64; the 31st is not in use in this guest.
    if (mknod("/tmp/probe-nodes/event31", S_IFCHR | 0600, makedev(13, 64 + 31)) != 0) {
        v.add(" mknod: %s", strerror(errno));
    }
    const run list = probe({"--dir", dir});
    expect_run(&v, list, 0, "/tmp/probe-nodes/event31\terror\tgone\t-\t-\t-\t\t-\n", "");
    const run touch = probe({"--touch", "--dir", dir});
    // No driver holds the minor: the open fails with ENXIO.
    expect_run(&v, touch, 1, "",
               "zentu-probe: no touch screen among 1 input devices\n"
               "zentu-probe: /tmp/probe-nodes/event31 could not be opened: " +
                   std::string(strerror(ENXIO)) + "\n");
    report("probe: a node whose device is gone", v, touch);
}

// Devices come and go while the probe lists them: every run ends well.
void removal_race_case() {
    verdict v;
    const pid_t churn = fork();
    if (churn == 0) {
        for (int i = 0; i < 100; ++i) {
            device d;
            if (create(&d, kind::slotted_mt, "zentu-probe churn")) {
                sleep_ms(5 + i % 7);
                destroy(&d);
            }
        }
        _exit(0);
    }
    int runs = 0;
    run r;
    while (waitpid(churn, nullptr, WNOHANG) == 0 && runs < 200 && v.used == 0) {
        r = probe({});
        ++runs;
        expect_well_formed(&v, r.out_text);
        if (r.status != 0) {
            v.add(" status %d: %s", r.status, r.err_text.c_str());
        }
    }
    kill(churn, SIGKILL);
    waitpid(churn, nullptr, 0);
    if (runs < 3) {
        v.add(" premise: only %d runs while devices came and went", runs);
    }
    printf("# %d listings while devices came and went\n", runs);
    report("probe: devices removed while it runs", v, r);
}

void zentu_on_the_probed_path(fleet* f) {
    verdict v;
    const run touch = probe({"--touch"});
    std::string path = touch.out_text;
    if (touch.status != 0 || path.empty() || path.back() != '\n') {
        v.add(" --touch: status %d, \"%s\"", touch.status, path.c_str());
    } else {
        path.pop_back();
    }
    const char* argv[] = {zentu_path, "-t", path.c_str(), "-x", "-y", "-d", "5000", nullptr};
    run r;
    if (v.used == 0 && start(&r, argv)) {
        if (!wait_open(r, path.c_str())) {
            v.add(" zentu never opened %s", path.c_str());
        }
        tap(&f->slotted, 1234, 2345);
        finish(&r, 6000);
        expect_output(&v, r, "1234:2345\n", 0);
        expect_quiet_stderr(&v, r);
    }
    report("probe: zentu -t \"$(zentu-probe --touch)\" reads the tap", v, r);
}

// Starts the probe with --wait, acts a second later, and expects the
// answer out soon after the act: woken by it, not at the limit.
template <typename act>
void late_case(const char* name, const std::vector<const char*>& args, bool as_nobody, act then) {
    verdict v;
    run r;
    if (!start_probe(&r, args, as_nobody)) {
        v.add(" cannot start the probe");
    }
    sleep_ms(1000);
    pollfd said{r.out, POLLIN, 0};
    if (poll(&said, 1, 0) != 0) {
        v.add(" premise: the probe answered or ended before the act");
    }
    const int64_t acted = now_ms();
    const std::string out = then(&v);
    finish(&r, 12000);
    expect_output(&v, r, out.c_str(), 0);
    expect_quiet_stderr(&v, r);
    // Woken by the act, far before the 10 s limit; the room is for a
    // guest on an emulated CPU that shares the machine.
    expect_within(&v, "the answer after the act", r.ended - acted, 0, 2000);
    report(name, v, r);
}

void wait_cases(const fleet& f) {
    device late;
    late_case("probe --wait: a screen made a second later",
              {"--touch", "--wait", "10", "--id", "1234:2"}, false, [&late](verdict* v) {
                  if (!create(&late, kind::slotted_xy, "zentu-probe late")) {
                      v->add(" %s", late.error);
                  }
                  return std::string(late.node) + "\n";
              });
    destroy(&late);
    // Made as udev or mdev would: the node first, its permissions a moment later.
    const char* dir = "/tmp/probe-wait";
    const char* node = "/tmp/probe-wait/event0";
    struct stat screen {};
    mkdir(dir, 0755);
    const bool made =
        stat(f.slotted.node, &screen) == 0 && mknod(node, S_IFCHR | 0600, screen.st_rdev) == 0;
    late_case("probe --wait: a node that becomes readable later",
              {"--touch", "--wait", "10", "--dir", dir}, true, [made, node](verdict* v) {
                  if (!made || chmod(node, 0644) != 0) {
                      v->add(" mknod or chmod: %s", strerror(errno));
                  }
                  return std::string(node) + "\n";
              });
    unlink(node);
    verdict v;
    const run r = probe({"--touch", "--wait", "2", "--id", "0eef:0001"});
    expect_run(&v, r, 1, "", "zentu-probe: no touch screen with id 0eef:0001 among ");
    expect_within(&v, "the wait", r.ended - r.started, 2000, 3000);
    report("probe --wait: nothing comes, the limit ends it", v, r);
}

void no_touch_screen_case(fleet* f) {
    device* const screens[] = {&f->one_axis, &f->touchpad, &f->slotted, &f->plain,
                               &f->single,   &f->odd,      &f->hid_mt,  &f->hid_single};
    for (device* d : screens) {
        destroy(d);
    }
    // The nodes go a moment after their devices; the count below must not
    // change under the probe.
    for (const device* d : screens) {
        for (int tries = 0; tries < 200 && access(d->node, F_OK) == 0; ++tries) {
            sleep_ms(10);
        }
    }
    verdict v;
    const run touch = probe({"--touch"});
    expect_run(
        &v, touch, 1, "",
        "zentu-probe: no touch screen among " + std::to_string(count_nodes()) + " input devices\n");
    expect_run(&v, probe({"--area"}), 1, "", "zentu-probe: no touch screen among ");
    expect_run(&v, probe({"--vibra"}), 0, std::string(f->vibra.node) + "\n", "");
    report("probe: no touch screen at all", v, touch);
}

}  // namespace

void run_probe_cases(const char* probe) {
    probe_path = probe;
    static fleet f;
    verdict made;
    if (!make_fleet(&f, &made)) {
        report("probe: its devices", made, run{});
        return;
    }
    listing_case(f);
    choice_cases(f);
    wait_cases(f);
    unopened_case(f);
    vanished_node_case();
    removal_race_case();
    zentu_on_the_probed_path(&f);
    no_touch_screen_case(&f);
    destroy(&f.keyboard);
    destroy(&f.mouse_like);
    destroy(&f.vibra);
}
