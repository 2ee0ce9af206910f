// In-guest cases for events the kernel drops: zentu is stopped while it
// waits, more frames than its queue holds are written, and it is resumed.
// A reader of our own, stopped alike, must have seen SYN_DROPPED, so that
// no case passes without a drop.
#include "drop_cases.h"

#include <csignal>
#include <cstdio>
#include <cstring>

#include <sys/wait.h>

#include "devices.h"
#include "harness.h"

namespace {

const char* const xy[] = {"-x", "-y", nullptr};
const char* const end_last[] = {"--wait-for-end", "--read-last", "-x", "-y", nullptr};
const char* const end_first[] = {"--wait-for-end", "--read-first", "-x", "-y", nullptr};
const char lost_line[] = "touch events were lost: where the touch ended is unknown\n";

// A queue of a 10-slot screen holds 512 events; each of these frames
// carries two or three.
constexpr int OVERRUN_FRAMES = 400;

// Finger 0 moves from where it is to 777:444, every frame changing x.
void moves(device* d) {
    const finger from = d->fingers[0];
    for (int i = 1; i <= OVERRUN_FRAMES; ++i) {
        put_down(d, 0, from.x + (777 - from.x) * i / OVERRUN_FRAMES,
                 from.y + (444 - from.y) * i / OVERRUN_FRAMES);
        commit(d);
    }
}
void down_300_200(device* d) {
    put_down(d, 0, 300, 200);
    commit(d);
}
void down_and_moves(device* d) {
    down_300_200(d);
    moves(d);
}
void moves_and_lift(device* d) {
    moves(d);
    lift(d, 0);
    commit(d);
}
// The lift, then a second finger down in the same slot.
void lift_second_down_moves(device* d) {
    lift(d, 0);
    commit(d);
    down_and_moves(d);
}
void lift_later(device* d) {
    sleep_ms(300);
    lift(d, 0);
    commit(d);
}

// When the finger first comes down at 300:200, outside the stop.
enum class first_down { never, before_start, while_waiting };

struct drop_case {
    const char* name;
    const char* const* args;
    first_down first;
    void (*stopped)(device*);  // written while zentu is stopped
    void (*resumed)(device*);  // after it goes on, if anything
    const char* out;
    int status;
    const char* err;
};

const drop_case cases[] = {
    {"drop: finger-down and moves lost, wait for end, read-last", end_last, first_down::never,
     down_and_moves, lift_later, "777:444\n", 0, ""},
    {"drop: finger-down and moves lost, tap", xy, first_down::never, down_and_moves, nullptr,
     "777:444\n", 0, ""},
    {"drop: lift lost, a second finger in its slot, read-last", end_last, first_down::while_waiting,
     lift_second_down_moves, nullptr, "", 254, lost_line},
    {"drop: lift lost, a second finger in its slot, tap", xy, first_down::before_start,
     lift_second_down_moves, nullptr, "777:444\n", 0, ""},
    {"drop: moves lost, read-last", end_last, first_down::while_waiting, moves, lift_later,
     "777:444\n", 0, ""},
    {"drop: moves and lift lost, read-first", end_first, first_down::while_waiting, moves_and_lift,
     nullptr, "300:200\n", 0, ""},
};

void stop(pid_t pid) {
    kill(pid, SIGSTOP);
    int st = 0;
    waitpid(pid, &st, WUNTRACED);
}

int drops(const std::vector<frame>& frames) {
    int n = 0;
    for (const frame& f : frames) {
        n += count(f, EV_SYN, SYN_DROPPED);
    }
    return n;
}

void run_drop_case(const drop_case& c) {
    device dev;
    create(&dev, kind::slotted_mt, c.name);
    run r;
    verdict v;
    if (c.first == first_down::before_start && dev.fd >= 0) {
        down_300_200(&dev);
    }
    observer seen(dev);
    if (launch(&r, dev, c.args, &v)) {
        if (c.first == first_down::while_waiting) {
            down_300_200(&dev);
            sleep_ms(100);
        }
        // From here zentu's queue and ours fill alike.
        seen.collect();
        stop(r.pid);
        c.stopped(&dev);
        const int64_t resumed = now_ms();
        kill(r.pid, SIGCONT);
        if (c.resumed != nullptr) {
            c.resumed(&dev);
        }
        finish(&r, 5000);
        expect_output(&v, r, c.out, c.status);
        if (r.err_text != c.err) {
            v.add(" stderr \"%s\" (want \"%s\")", r.err_text.c_str(), c.err);
        }
        expect_within(&v, "resume to exit", r.ended - resumed, 0, 2000);
        seen.collect();
        if (drops(seen.frames) == 0) {
            v.add(" premise: our reader saw no SYN_DROPPED in %zu frames", seen.frames.size());
        }
    }
    report(c.name, v, r);
    destroy(&dev);
}

}  // namespace

void run_drop_cases() {
    for (const drop_case& c : cases) {
        run_drop_case(c);
    }
}
