// In-guest cases for events the kernel drops: zentu is stopped while it
// waits, more frames than its queue holds are written, and it is resumed.
// A reader of our own, stopped alike, must have seen SYN_DROPPED, so that
// no case passes without a drop.
#include "drop_cases.h"

#include <csignal>

#include <sys/wait.h>

#include "devices.h"
#include "harness.h"

namespace {

const char* const xy[] = {"-x", "-y", nullptr};
const char* const end_last[] = {"--wait-for-end", "--read-last", "-x", "-y", nullptr};
const char* const end_first[] = {"--wait-for-end", "--read-first", "-x", "-y", nullptr};

// Finger 0 comes down at 300:200 (or is there) and moves to 777:444 in more
// frames than the queue of a 10-slot screen holds (512 events, each frame
// two or three).
void down_and_moves(device* d) {
    constexpr int frames = 400;
    put_down(d, 0, 300, 200);
    commit(d);
    for (int i = 1; i <= frames; ++i) {
        put_down(d, 0, 300 + 477 * i / frames, 200 + 244 * i / frames);
        commit(d);
    }
}
void moves_and_lift(device* d) {
    down_and_moves(d);
    lift(d, 0);
    commit(d);
}
// The lift, then a second finger down in the same slot.
void lift_and_second_finger(device* d) {
    lift(d, 0);
    commit(d);
    down_and_moves(d);
}

enum class first_down { never, before_start, while_waiting };  // at 300:200

struct drop_case {
    const char* name;
    const char* const* args;
    first_down first;
    void (*stopped)(device*);  // written while zentu is stopped
    bool lift_after;           // the finger lifts 300 ms after the resume
    const char* out;
    int status;
    const char* err;
};

// clang-format off
const drop_case cases[] = {
    {"drop: finger-down and moves lost, read-last", end_last, first_down::never, down_and_moves, true, "777:444\n", 0, ""},
    {"drop: lift lost, a second finger in its slot, read-last", end_last, first_down::while_waiting, lift_and_second_finger, false, "", 254, "touch events were lost: where the touch ended is unknown\n"},
    {"drop: lift lost, a second finger in its slot, tap", xy, first_down::before_start, lift_and_second_finger, false, "777:444\n", 0, ""},
    {"drop: moves and lift lost, read-first", end_first, first_down::while_waiting, moves_and_lift, false, "300:200\n", 0, ""},
};
// clang-format on

void run_drop_case(const drop_case& c) {
    device dev;
    create(&dev, kind::slotted_mt, c.name);
    run r;
    verdict v;
    if (c.first == first_down::before_start && dev.fd >= 0) {
        put_down(&dev, 0, 300, 200);
        commit(&dev);
    }
    observer seen(dev);
    if (launch(&r, dev, c.args, &v)) {
        if (c.first == first_down::while_waiting) {
            put_down(&dev, 0, 300, 200);
            commit(&dev);
            sleep_ms(100);
        }
        seen.collect();  // from here zentu's queue and ours fill alike
        kill(r.pid, SIGSTOP);
        int st = 0;
        waitpid(r.pid, &st, WUNTRACED);
        c.stopped(&dev);
        const int64_t resumed = now_ms();
        kill(r.pid, SIGCONT);
        if (c.lift_after) {
            sleep_ms(300);
            lift(&dev, 0);
            commit(&dev);
        }
        finish(&r, 5000);
        expect_output(&v, r, c.out, c.status);
        expect_stderr(&v, r, c.err);
        expect_within(&v, "resume to exit", r.ended - resumed, 0, 2000);
        seen.collect();
        int drops = 0;
        for (const frame& f : seen.frames) {
            drops += count(f, EV_SYN, SYN_DROPPED);
        }
        if (drops == 0) {
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
