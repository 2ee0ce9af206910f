// SPDX-License-Identifier: MIT
// In-guest test driver: makes touch screens with uinput and uhid and a
// vibration device with uinput, runs zentu against their evdev nodes, and
// checks what it prints, its status and how long it took, and with a
// reader of its own what the kernel really sent. Runs as init's child in a
// throw-away virtual machine; prints one line per case and a closing count.
//
// usage: zentu-kernel-driver PATH-TO-ZENTU PATH-TO-ZENTU-PROBE
// (zentu-probe's cases are in probe_cases.cpp)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "devices.h"
#include "harness.h"
#include "probe_cases.h"

namespace {

const char* const xy[] = {"-x", "-y", nullptr};
const char* const end_last[] = {"--wait-for-end", "-x", "-y", nullptr};
const char* const end_first[] = {"--wait-for-end", "--read-first", "-x", "-y", nullptr};
const char* const chr[] = {"-c", "-m", "/tmp/keys.map", nullptr};
const char* const code[] = {"-a", "-m", "/tmp/keys.map", nullptr};
const char* const limit_500[] = {"-d", "500", "-x", "-y", nullptr};
const char* const calibrated[] = {"-k", "/tmp/panel.cal", "-x", "-y", nullptr};

// Plays finger input written as a string (see below) on a device.
void play(device* d, const char* script);
// Checks what the kernel sent, as a reader of its own saw it.
using premise_fn = void (*)(const std::vector<frame>&, kind, verdict*);

// One zentu run on a fresh device: `before` plays while zentu is not yet
// running (what the device remembers), `play` while it waits; with
// `stopped`, that plays while zentu is stopped and `resumed` after.
struct tap_case {
    const char* name;
    kind k;
    const char* const* args;
    const char* before;  // finger input, as play() reads it
    const char* play;
    const char* out;
    int status;
    premise_fn premise;
    const char* err = nullptr;  // all of stderr, "@" standing for the node; else quiet
    const char* stopped = nullptr;
    const char* resumed = nullptr;
};

void stop(const run& r) {
    kill(r.pid, SIGSTOP);
    int st = 0;
    waitpid(r.pid, &st, WUNTRACED);
}

// Plays c.stopped while zentu cannot read, then c.resumed once it can;
// returns when it was resumed.
int64_t play_stopped(const run& r, device* dev, const tap_case& c) {
    stop(r);
    play(dev, c.stopped);
    const int64_t resumed = now_ms();
    kill(r.pid, SIGCONT);
    play(dev, c.resumed);
    return resumed;
}

void run_case(const tap_case& c) {
    device dev;
    create(&dev, c.k, c.name);
    run r;
    verdict v;
    if (c.before != nullptr && dev.fd >= 0) {
        play(&dev, c.before);
    }
    observer seen(dev);
    if (launch(&r, dev, c.args, &v)) {
        play(&dev, c.play);
        int64_t resumed = 0;
        if (c.stopped != nullptr) {
            seen.collect();  // from here zentu's queue and ours fill alike
            resumed = play_stopped(r, &dev, c);
        }
        finish(&r, 5000);
        expect_output(&v, r, c.out, c.status);
        std::string err = c.err != nullptr ? c.err : "";
        if (const size_t at = err.find('@'); at != std::string::npos) {
            err.replace(at, 1, dev.node);
        }
        expect_stderr(&v, r, err);
        if (c.stopped != nullptr) {
            expect_within(&v, "resume to exit", r.ended - resumed, 0, 2000);
        }
        seen.collect();
        if (c.premise != nullptr) {
            const size_t before_premise = v.used;
            c.premise(seen.frames, c.k, &v);
            if (v.used != before_premise) {
                print_frames(seen.frames);
            }
        }
    }
    report(c.name, v, r);
    destroy(&dev);
}

// ---- what the devices do ---------------------------------------------

// Finger input written as one string, steps separated by ", ":
//   tap X Y       finger 0 down at X, Y, then lifted (devices.h's tap)
//   at F X Y      one frame with finger F down at X, Y
//   up F          one frame with finger F lifted
//   put F X Y     finger F down at X, Y in the frame being built
//   lift F        finger F lifted in the frame being built
//   swapped       that frame sent with finger 1 reported first
//   drag F X Y    finger F moves on to X, Y in 400 frames at once: more
//                 than the queue of a 10-slot screen holds (512 events)
//   pause MS      a pause
// Each frame is followed by a pause shorter than the HID driver's release
// timer.
void play(device* d, const char* script) {
    for (const char* p = script; p != nullptr && *p != '\0';) {
        const size_t len = strcspn(p, " ,");
        const std::string word(p, len);
        int32_t n[3] = {};
        char* q = const_cast<char*>(p + len);
        for (int32_t& v : n) {
            v = static_cast<int32_t>(strtol(q, &q, 10));
        }
        if (word == "tap") {
            tap(d, n[0], n[1]);
        } else if (word == "at" || word == "put") {
            put_down(d, n[0], n[1], n[2]);
        } else if (word == "up" || word == "lift") {
            lift(d, n[0]);
        } else if (word == "drag") {
            const finger from = d->fingers[n[0]];
            for (int i = 1; i <= 400; ++i) {
                put_down(d, n[0], from.x + (n[1] - from.x) * i / 400,
                         from.y + (n[2] - from.y) * i / 400);
                commit(d);
            }
        } else if (word == "pause") {
            sleep_ms(n[0]);
        } else if (word == "swapped") {
            const int second_first[FINGERS] = {1, 0};
            commit(d, second_first);
            sleep_ms(30);
        }
        if (word == "at" || word == "up") {
            commit(d);
            sleep_ms(30);
        }
        const char* next = strstr(p, ", ");
        p = next != nullptr ? next + 2 : nullptr;
    }
}

const char* const drag_both = "at 0 100 200, at 0 300 400, at 0 310 420, up 0";

// ---- premises: what the kernel's frames must have carried ---------------

bool reads_single_axes(kind k) {
    return k == kind::single || k == kind::hid_single;
}

// The position events zentu reads on this kind: multitouch screens report
// ABS_X/ABS_Y too (pointer emulation), and those it ignores.
int positions(const frame& f, kind k) {
    return reads_single_axes(k)
               ? count(f, EV_ABS, ABS_X) + count(f, EV_ABS, ABS_Y)
               : count(f, EV_ABS, ABS_MT_POSITION_X) + count(f, EV_ABS, ABS_MT_POSITION_Y);
}

int y_positions(const frame& f, kind k) {
    return count(f, EV_ABS, reads_single_axes(k) ? ABS_Y : ABS_MT_POSITION_Y);
}

// The frame in which the finger came down.
const frame* down_frame(const std::vector<frame>& frames, verdict* v) {
    for (const frame& f : frames) {
        if (last_value(f, EV_KEY, BTN_TOUCH, -1) == 1) {
            return &f;
        }
    }
    v->add(" premise: no finger-down frame among %zu", frames.size());
    return nullptr;
}

void down_carries_no_position(const std::vector<frame>& frames, kind k, verdict* v) {
    const frame* f = down_frame(frames, v);
    if (f != nullptr && positions(*f, k) != 0) {
        v->add(" premise: the repeat's finger-down frame carries %d position events",
               positions(*f, k));
    }
}

void down_carries_only_y(const std::vector<frame>& frames, kind k, verdict* v) {
    const frame* f = down_frame(frames, v);
    if (f != nullptr && (positions(*f, k) != 1 || y_positions(*f, k) != 1)) {
        v->add(" premise: the finger-down frame carries %d position events, %d of y",
               positions(*f, k), y_positions(*f, k));
    }
}

void down_switches_slot_with_one_axis(const std::vector<frame>& frames, kind k, verdict* v) {
    const frame* f = down_frame(frames, v);
    if (f != nullptr && (last_value(*f, EV_ABS, ABS_MT_SLOT, -1) != 1 || positions(*f, k) != 1 ||
                         y_positions(*f, k) != 1)) {
        v->add(" premise: the finger-down frame selects slot %d with %d position events",
               last_value(*f, EV_ABS, ABS_MT_SLOT, -1), positions(*f, k));
    }
}

void down_ends_on_slot_1(const std::vector<frame>& frames, kind /*k*/, verdict* v) {
    const frame* f = down_frame(frames, v);
    if (f != nullptr && (last_value(*f, EV_ABS, ABS_MT_SLOT, -1) != 1 ||
                         count(*f, EV_ABS, ABS_MT_TRACKING_ID) != 2)) {
        v->add(" premise: the landing frame ends on slot %d with %d new contacts",
               last_value(*f, EV_ABS, ABS_MT_SLOT, -1), count(*f, EV_ABS, ABS_MT_TRACKING_ID));
    }
}

// The pointer axes point at the first finger, the answer is the second's.
void pointer_follows_the_first(const std::vector<frame>& frames, kind /*k*/, verdict* v) {
    const frame* f = down_frame(frames, v);
    if (f != nullptr &&
        (last_value(*f, EV_ABS, ABS_X, -1) != 100 || last_value(*f, EV_ABS, ABS_Y, -1) != 200)) {
        v->add(" premise: the landing frame's ABS_X/ABS_Y are %d:%d, not the first finger's",
               last_value(*f, EV_ABS, ABS_X, -1), last_value(*f, EV_ABS, ABS_Y, -1));
    }
}

// Some frame lifts a contact while another stays down and moves nothing.
void a_lift_of_its_own(const std::vector<frame>& frames, kind /*k*/, verdict* v) {
    for (const frame& f : frames) {
        if (last_value(f, EV_ABS, ABS_MT_TRACKING_ID, 0) == -1 &&
            last_value(f, EV_KEY, BTN_TOUCH, 1) == 1 && count(f, EV_ABS, ABS_MT_POSITION_X) == 0 &&
            count(f, EV_ABS, ABS_MT_POSITION_Y) == 0) {
            return;
        }
    }
    v->add(" premise: no frame lifts one contact alone while another stays");
}

// Some frame writes a position and then lifts another slot's contact.
void a_move_then_a_lift(const std::vector<frame>& frames, kind /*k*/, verdict* v) {
    for (const frame& f : frames) {
        bool moved = false;
        for (const input_event& ev : f) {
            moved = moved || (ev.type == EV_ABS && ev.code == ABS_MT_POSITION_X);
            if (moved && ev.type == EV_ABS && ev.code == ABS_MT_TRACKING_ID && ev.value == -1 &&
                last_value(f, EV_KEY, BTN_TOUCH, 1) == 1) {
                return;
            }
        }
    }
    v->add(" premise: no frame moves a contact and then lifts another");
}

// Our reader, stopped with zentu, was told of the drop: no drop case
// passes without one.
void a_drop(const std::vector<frame>& frames, kind /*k*/, verdict* v) {
    int drops = 0;
    for (const frame& f : frames) {
        drops += count(f, EV_SYN, SYN_DROPPED);
    }
    if (drops == 0) {
        v->add(" premise: no SYN_DROPPED in %zu frames", frames.size());
    }
}

// The taps came as BTN_LEFT, never as BTN_TOUCH.
void clicks_without_touch(const std::vector<frame>& frames, kind /*k*/, verdict* v) {
    int clicks = 0;
    for (const frame& f : frames) {
        clicks += last_value(f, EV_KEY, BTN_LEFT, 0);
        if (count(f, EV_KEY, BTN_TOUCH) != 0) {
            v->add(" premise: a frame carries BTN_TOUCH");
            return;
        }
    }
    if (clicks == 0) {
        v->add(" premise: no frame presses BTN_LEFT");
    }
}

// ---- the cases ----------------------------------------------------------

const tap_case cases[] = {
    // uinput screens of every kind
    {"tap, plain multitouch screen", kind::plain_mt, xy, nullptr, "tap 812 455", "812:455\n", 0,
     nullptr},
    {"tap, slotted multitouch screen", kind::slotted_mt, xy, nullptr, "tap 812 455", "812:455\n", 0,
     nullptr},
    {"wait for end, read-last, movement", kind::plain_mt, end_last, nullptr, drag_both, "310:420\n",
     0, nullptr},
    {"wait for end, read-first, movement", kind::plain_mt, end_first, nullptr, drag_both,
     "100:200\n", 0, nullptr},
    {"wait for end, slotted, movement along x only", kind::slotted_mt, end_last, nullptr,
     "at 0 100 200, at 0 150 200, up 0", "150:200\n", 0, nullptr},
    {"character mode with a map", kind::slotted_mt, chr, nullptr, "tap 600 450", "D", 66, nullptr},
    {"ASCII code mode with a map", kind::plain_mt, code, nullptr, "tap 600 450", "68", 66, nullptr},
    {"character mode, tap outside every key", kind::plain_mt, chr, nullptr, "tap 900 100", "", 255,
     nullptr},
    {"slotted: tap again at the same point", kind::slotted_mt, xy, "tap 500 600", "tap 500 600",
     "500:600\n", 0, down_carries_no_position},
    {"slotted: same x, new y", kind::slotted_mt, xy, "tap 500 600", "tap 500 700", "500:700\n", 0,
     down_carries_only_y},
    {"slotted: new x, same y", kind::slotted_mt, xy, "tap 500 700", "tap 520 700", "520:700\n", 0,
     nullptr},
    {"slotted: finger down in slot 1 with only y, slot 0 current", kind::slotted_mt, xy,
     "at 1 300 400, up 1, tap 100 200", "at 1 300 450, up 1", "300:450\n", 0,
     down_switches_slot_with_one_axis},
    {"slotted: first finger lifts in its own frame, read-last", kind::slotted_mt, end_last, nullptr,
     "at 0 100 200, at 1 600 700, at 1 610 710, at 0 120 220, up 0, up 1", "610:710\n", 0,
     a_lift_of_its_own},
    {"slotted: one frame moves the second and releases the first", kind::slotted_mt, end_last,
     nullptr, "at 0 100 200, at 1 600 700, at 0 120 220, put 1 620 720, lift 0, swapped, up 1",
     "620:720\n", 0, a_move_then_a_lift},
    {"slotted with ABS_X/ABS_Y: the multitouch position wins", kind::slotted_xy, xy, nullptr,
     "put 0 100 200, at 1 600 700, lift 0, up 1", "600:700\n", 0, pointer_follows_the_first},
    {"single touch: tap", kind::single, xy, nullptr, "tap 812 455", "812:455\n", 0, nullptr},
    // A panel of 200..3900x180..3950 a quarter turn on a 240x320 display
    {"resistive panel through a calibration: display pixels", kind::resistive, calibrated, nullptr,
     "tap 2000 2000", "124:155\n", 0, nullptr},
    {"single touch: tap again at the same point", kind::single, xy, "tap 500 600", "tap 500 600",
     "500:600\n", 0, down_carries_no_position},
    {"single touch: same x, new y", kind::single, xy, "tap 500 600", "tap 500 700", "500:700\n", 0,
     down_carries_only_y},
    {"single touch: wait for end, read-last, movement", kind::single, end_last, nullptr, drag_both,
     "310:420\n", 0, nullptr},
    {"mouse-like screen without BTN_TOUCH: a tap never ends the wait", kind::mouse_like, limit_500,
     nullptr, "tap 812 455", "timeout\n", 255, clicks_without_touch,
     "@ is not a touch screen (no-btn-touch); waiting anyway\n"},
    {"one multitouch axis: zentu says so and waits", kind::one_axis, limit_500, nullptr,
     "tap 812 455", "timeout\n", 255, nullptr,
     "@ is not a touch screen (no-position-axes); waiting anyway\n"},
    // More slots than zentu once followed (uinput makes at most 100)
    {"65 slots: tap again at the same point", kind::slotted_65, xy, "tap 500 600", "tap 500 600",
     "500:600\n", 0, down_carries_no_position},
    {"100 slots: same x, new y", kind::slotted_100, xy, "tap 500 600", "tap 500 700", "500:700\n",
     0, down_carries_only_y},
    // HID screens through the kernel's own drivers
    {"HID multitouch: tap", kind::hid_mt, xy, nullptr, "tap 812 455", "812:455\n", 0, nullptr},
    {"HID multitouch: tap again at the same point", kind::hid_mt, xy, "tap 500 600", "tap 500 600",
     "500:600\n", 0, down_carries_no_position},
    {"HID multitouch: same x, new y", kind::hid_mt, xy, "tap 500 600", "tap 500 700", "500:700\n",
     0, down_carries_only_y},
    {"HID multitouch: two fingers land in one frame", kind::hid_mt, xy, nullptr,
     "put 0 100 200, at 1 600 700, lift 0, up 1", "600:700\n", 0, down_ends_on_slot_1},
    {"HID multitouch: first finger lifts first, read-last", kind::hid_mt, end_last, nullptr,
     "at 0 100 200, at 1 600 700, at 1 610 710, at 0 120 220, up 0, up 1", "610:710\n", 0,
     a_lift_of_its_own},
    {"HID multitouch: wait for end, read-last, movement", kind::hid_mt, end_last, nullptr,
     drag_both, "310:420\n", 0, nullptr},
    {"HID multitouch: wait for end, read-first, movement", kind::hid_mt, end_first, nullptr,
     drag_both, "100:200\n", 0, nullptr},
    {"HID single touch: tap", kind::hid_single, xy, nullptr, "tap 812 455", "812:455\n", 0,
     nullptr},
    {"HID single touch: tap again at the same point", kind::hid_single, xy, "tap 500 600",
     "tap 500 600", "500:600\n", 0, down_carries_no_position},
    {"HID single touch: same x, new y", kind::hid_single, xy, "tap 500 600", "tap 500 700",
     "500:700\n", 0, down_carries_only_y},
    {"HID single touch: wait for end, read-last, movement", kind::hid_single, end_last, nullptr,
     drag_both, "310:420\n", 0, nullptr},
    {"HID single touch: wait for end, read-first, movement", kind::hid_single, end_first, nullptr,
     drag_both, "100:200\n", 0, nullptr},
    // Events the kernel drops while zentu is stopped; finger 0 lands at 300:200
    {"drop: finger-down and moves lost, read-last", kind::slotted_mt, end_last, nullptr, "",
     "777:444\n", 0, a_drop, nullptr, "at 0 300 200, drag 0 777 444", "pause 300, up 0"},
    {"drop: lift lost, a second finger in its slot, read-last", kind::slotted_mt, end_last, nullptr,
     "at 0 300 200, pause 100", "", 254, a_drop,
     "touch events were lost: where the touch ended is unknown\n",
     "up 0, at 0 300 200, drag 0 777 444"},
    {"drop: lift lost, a second finger in its slot, tap", kind::slotted_mt, xy, "at 0 300 200", "",
     "777:444\n", 0, a_drop, nullptr, "up 0, at 0 300 200, drag 0 777 444"},
    {"drop: moves and lift lost, read-first", kind::slotted_mt, end_first, nullptr,
     "at 0 300 200, pause 100", "300:200\n", 0, a_drop, nullptr, "drag 0 777 444, up 0"},
};

void write_files() {
    FILE* cal = fopen("/tmp/panel.cal", "w");
    if (cal != nullptr) {
        fputs("0 -4155 16443713 5650 0 -1097285 65536\n", cal);
        fclose(cal);
    }
    FILE* map = fopen("/tmp/keys.map", "w");
    if (map != nullptr) {
        fputs(
            "# a keypad of four keys\n"
            "0 0 400 300 1 a\n"
            "400 0 800 300 2 b\n"
            "0 300 400 600 3 c\n"
            "400 300 800 600 66 D\n",
            map);
        fclose(map);
    }
}

// The drivers that bind the HID screens are the point of those cases.
void hid_drivers() {
    const struct {
        kind k;
        const char* driver;
    } want[] = {{kind::hid_mt, "hid-multitouch"}, {kind::hid_single, "hid-generic"}};
    for (const auto& w : want) {
        device dev;
        run r;
        verdict v;
        r.started = now_ms();
        if (!create(&dev, w.k, w.driver)) {
            v.add(" %s", dev.error);
        } else if (strcmp(dev.driver, w.driver) != 0) {
            v.add(" bound by %s", dev.driver);
        }
        r.ended = now_ms();
        char name[64];
        snprintf(name, sizeof name, "HID screen bound by %s", w.driver);
        report(name, v, r);
        destroy(&dev);
    }
}

void timeout() {
    device dev;
    create(&dev, kind::plain_mt, "timeout");
    run r;
    verdict v;
    if (launch(&r, dev, limit_500, &v)) {
        finish(&r, 5000);
        expect_output(&v, r, "timeout\n", 255);
        expect_quiet_stderr(&v, r);
        expect_within(&v, "the wait", r.ended - r.started, 500, 2000);
    }
    report("timeout after 500 ms", v, r);
    destroy(&dev);
}

void vibration() {
    device touch;
    device vibra;
    create(&touch, kind::plain_mt, "touch for vibration");
    create(&vibra, kind::vibra, "vibration");
    run r;
    verdict v;
    if (launch(&r, touch, xy, &v, &vibra)) {
        const int64_t tapped = now_ms();
        put_down(&touch, 0, 40, 50);
        commit(&touch);
        finish(&r, 5000, vibra.fd);
        expect_output(&v, r, "40:50\n", 0);
        expect_quiet_stderr(&v, r);
        if (r.ff_events != 20 || r.ff_other != 0 || r.ff_before_output != 20) {
            v.add(
                " vibration got %d pulse events and %d others, %d before the output (want 20, "
                "0, 20)",
                r.ff_events, r.ff_other, r.ff_before_output);
        }
        expect_within(&v, "tap to exit", r.ended - tapped, 20, 3000);
    }
    report("vibration pulse on a force-feedback device", v, r);
    destroy(&touch);
    destroy(&vibra);
}

// What zentu has not read yet when its device goes.
enum class queued { nothing, tap, finger_down };

// The device goes while zentu waits: it must end at once with an error,
// not spin and not report a tap.
void removal(const char* name, kind k, const char* const* args, queued q) {
    device dev;
    create(&dev, k, name);
    run r;
    verdict v;
    if (launch(&r, dev, args, &v)) {
        if (q == queued::finger_down) {
            // zentu reads the finger-down and holds its position; the
            // removal then queues the kernel's own lift, which it cannot read.
            put_down(&dev, 0, 70, 80);
            commit(&dev);
            sleep_ms(100);
        }
        if (q != queued::nothing) {
            // Stopped, zentu cannot read what arrives before the removal.
            stop(r);
        }
        if (q == queued::tap) {
            tap(&dev, 70, 80);
        }
        const int64_t removed = now_ms();
        destroy(&dev);
        kill(r.pid, SIGCONT);
        finish(&r, 5000);
        expect_gone(&v, r);
        expect_within(&v, "removal to exit", r.ended - removed, 0, 1000);
    }
    report(name, v, r);
    destroy(&dev);
}

void removals() {
    removal("device removed while zentu waits", kind::plain_mt, xy, queued::nothing);
    removal("device removed while zentu waits for the end", kind::slotted_mt, end_last,
            queued::nothing);
    removal("device removed with a whole tap queued", kind::slotted_mt, xy, queued::tap);
    removal("device removed with the finger down", kind::slotted_mt, end_last, queued::finger_down);
    removal("HID multitouch removed while zentu waits", kind::hid_mt, xy, queued::nothing);
    removal("HID single touch removed while zentu waits", kind::hid_single, end_last,
            queued::nothing);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fputs("usage: zentu-kernel-driver PATH-TO-ZENTU PATH-TO-ZENTU-PROBE\n", stderr);
        return 2;
    }
    zentu_path = argv[1];
    write_files();
    hid_drivers();
    for (const tap_case& c : cases) {
        run_case(c);
    }
    timeout();
    vibration();
    removals();
    run_probe_cases(argv[2]);
    return summary();
}
