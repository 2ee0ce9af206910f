// In-guest test driver: makes touch screens and a vibration device with
// uinput, runs zentu against their evdev nodes, and checks what it prints,
// its status and how long it took. Runs as init's child in a throw-away
// virtual machine; prints one line per case and a closing count.
//
// usage: zentu-kernel-driver PATH-TO-ZENTU
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* zentu_path = nullptr;
int passed = 0;
int failed = 0;

int64_t now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void sleep_ms(int ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

// ---- devices ----------------------------------------------------------

enum class kind { plain_mt, slotted_mt, vibra };

struct device {
    int fd = -1;        // the uinput descriptor; closing it removes the device
    char node[300]{};   // its /dev/input/eventN
    char error[128]{};  // why creation failed, if it did
};

bool fail_dev(device* d, const char* what) {
    snprintf(d->error, sizeof d->error, "%s: %s", what, strerror(errno));
    if (d->fd >= 0) {
        close(d->fd);
        d->fd = -1;
    }
    return false;
}

bool abs_axis(int fd, uint16_t code, int32_t max) {
    uinput_abs_setup a{};
    a.code = code;
    a.absinfo.maximum = max;
    return ioctl(fd, UI_SET_ABSBIT, code) == 0 && ioctl(fd, UI_ABS_SETUP, &a) == 0;
}

bool set_bits(int fd, kind k) {
    if (k == kind::vibra) {
        return ioctl(fd, UI_SET_EVBIT, EV_FF) == 0 && ioctl(fd, UI_SET_FFBIT, FF_RUMBLE) == 0;
    }
    bool ok = ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_KEYBIT, BTN_TOUCH) == 0 &&
              ioctl(fd, UI_SET_EVBIT, EV_ABS) == 0 && abs_axis(fd, ABS_MT_POSITION_X, 4095) &&
              abs_axis(fd, ABS_MT_POSITION_Y, 4095);
    if (k == kind::slotted_mt) {
        ok = ok && abs_axis(fd, ABS_MT_SLOT, 9) && abs_axis(fd, ABS_MT_TRACKING_ID, 65535);
    }
    return ok && ioctl(fd, UI_SET_PROPBIT, INPUT_PROP_DIRECT) == 0;
}

// The node of the device just made: other input devices exist, so ask
// which one is ours instead of taking the first.
bool find_node(device* d) {
    char sysname[32] = {};
    if (ioctl(d->fd, UI_GET_SYSNAME(sizeof sysname), sysname) < 0) {
        return fail_dev(d, "UI_GET_SYSNAME");
    }
    char dir_path[96];
    snprintf(dir_path, sizeof dir_path, "/sys/class/input/%s", sysname);
    for (int tries = 0; tries < 200 && d->node[0] == '\0'; ++tries) {
        if (DIR* dir = opendir(dir_path)) {
            while (dirent* e = readdir(dir)) {
                if (strncmp(e->d_name, "event", 5) == 0) {
                    snprintf(d->node, sizeof d->node, "/dev/input/%s", e->d_name);
                }
            }
            closedir(dir);
        }
        if (d->node[0] == '\0' || access(d->node, F_OK) != 0) {
            d->node[0] = '\0';
            sleep_ms(10);
        }
    }
    errno = ENOENT;
    return d->node[0] != '\0' || fail_dev(d, "no event node");
}

bool create(device* d, kind k, const char* name) {
    // Close-on-exec: a uinput descriptor inherited by zentu would keep the
    // device alive after the driver removes it.
    d->fd = open("/dev/uinput", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (d->fd < 0) {
        return fail_dev(d, "open /dev/uinput");
    }
    if (!set_bits(d->fd, k)) {
        return fail_dev(d, "uinput set bits");
    }
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.vendor = 0x1234;
    setup.id.product = static_cast<uint16_t>(k);
    snprintf(setup.name, sizeof setup.name, "%s", name);
    setup.ff_effects_max = (k == kind::vibra) ? 1 : 0;
    if (ioctl(d->fd, UI_DEV_SETUP, &setup) < 0 || ioctl(d->fd, UI_DEV_CREATE) < 0) {
        return fail_dev(d, "uinput create");
    }
    return find_node(d);
}

void destroy(device* d) {
    if (d->fd >= 0) {
        ioctl(d->fd, UI_DEV_DESTROY);
        close(d->fd);
        d->fd = -1;
    }
}

void emit(const device& d, uint16_t type, uint16_t code, int32_t value) {
    input_event ev{};
    ev.type = type;
    ev.code = code;
    ev.value = value;
    if (write(d.fd, &ev, sizeof ev) != static_cast<ssize_t>(sizeof ev)) {
        printf("# uinput write failed: %s\n", strerror(errno));
    }
}

void syn(const device& d) {
    emit(d, EV_SYN, SYN_REPORT, 0);
}

// Finger down or moved: what a driver for either protocol sends. The
// kernel drops whatever did not change on a slotted screen.
void touch_at(const device& d, bool slotted, int32_t tracking, bool down, int32_t x, int32_t y) {
    if (slotted) {
        emit(d, EV_ABS, ABS_MT_SLOT, 0);
        emit(d, EV_ABS, ABS_MT_TRACKING_ID, tracking);
    }
    emit(d, EV_ABS, ABS_MT_POSITION_X, x);
    emit(d, EV_ABS, ABS_MT_POSITION_Y, y);
    if (!slotted) {
        emit(d, EV_SYN, SYN_MT_REPORT, 0);
    }
    if (down) {
        emit(d, EV_KEY, BTN_TOUCH, 1);
    }
    syn(d);
}

void lift(const device& d, bool slotted) {
    if (slotted) {
        emit(d, EV_ABS, ABS_MT_SLOT, 0);
        emit(d, EV_ABS, ABS_MT_TRACKING_ID, -1);
    } else {
        emit(d, EV_SYN, SYN_MT_REPORT, 0);
    }
    emit(d, EV_KEY, BTN_TOUCH, 0);
    syn(d);
}

// ---- running zentu ------------------------------------------------------

struct run {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
    int64_t started = 0;
    int64_t ended = 0;
    int status = -1;  // exit status, or -1 when it did not exit by itself
    std::string out_text;
    std::string err_text;
    int ff_events = 0;          // EV_FF 20 1 records the vibration device got
    int ff_other = 0;           // anything else it got
    int ff_before_output = -1;  // ff_events when the first output byte came
};

// Runs zentu -t NODE [-v VIBRA] ARGS..., its output going to pipes.
bool start(run* r, const char* node, const char* vibra, const char* const* args) {
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        return false;
    }
    const char* argv[16] = {zentu_path, "-t", node};
    int n = 3;
    if (vibra != nullptr) {
        argv[n++] = "-v";
        argv[n++] = vibra;
    }
    for (int i = 0; args[i] != nullptr && n < 15; ++i) {
        argv[n++] = args[i];
    }
    r->started = now_ms();
    r->pid = fork();
    if (r->pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        execv(zentu_path, const_cast<char* const*>(argv));
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    r->out = out[0];
    r->err = err[0];
    return r->pid > 0;
}

// Waits until zentu holds the node open, so that nothing sent from now on
// can be missed; then gives it a moment to reach its wait.
bool wait_open(const run& r, const char* node) {
    char dir_path[64];
    snprintf(dir_path, sizeof dir_path, "/proc/%d/fd", static_cast<int>(r.pid));
    for (int tries = 0; tries < 500; ++tries) {
        if (DIR* dir = opendir(dir_path)) {
            bool found = false;
            while (dirent* e = readdir(dir)) {
                char link_path[384];
                char target[128] = {};
                snprintf(link_path, sizeof link_path, "%s/%s", dir_path, e->d_name);
                if (readlink(link_path, target, sizeof target - 1) > 0 &&
                    strcmp(target, node) == 0) {
                    found = true;
                }
            }
            closedir(dir);
            if (found) {
                sleep_ms(100);
                return true;
            }
        }
        sleep_ms(10);
    }
    return false;
}

void drain_ff(run* r, int ff_fd) {
    input_event ev{};
    while (ff_fd >= 0 && read(ff_fd, &ev, sizeof ev) == static_cast<ssize_t>(sizeof ev)) {
        if (ev.type == EV_FF && ev.code == 20 && ev.value == 1) {
            ++r->ff_events;
        } else if (ev.type != EV_SYN) {
            ++r->ff_other;
        }
    }
}

bool read_into(int fd, std::string* text) {
    char buf[256];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
        text->append(buf, static_cast<size_t>(n));
    }
    return n > 0;
}

// Collects output until zentu exits or limit_ms pass, reading the
// vibration device's uinput queue meanwhile (it holds only 16 events).
void finish(run* r, int limit_ms, int ff_fd = -1) {
    const int64_t deadline = now_ms() + limit_ms;
    bool out_open = true;
    bool err_open = true;
    while ((out_open || err_open) && now_ms() < deadline) {
        pollfd p[3] = {{r->out, POLLIN, 0}, {r->err, POLLIN, 0}, {ff_fd, POLLIN, 0}};
        poll(p, 3, 20);
        drain_ff(r, ff_fd);  // first: whatever reached the device came before
        if (out_open && p[0].revents != 0) {
            const size_t before = r->out_text.size();
            out_open = read_into(r->out, &r->out_text);
            if (before == 0 && !r->out_text.empty()) {
                r->ff_before_output = r->ff_events;
            }
        }
        if (err_open && p[1].revents != 0) {
            err_open = read_into(r->err, &r->err_text);
        }
    }
    int wstatus = 0;
    if (out_open || err_open) {
        kill(r->pid, SIGKILL);
        waitpid(r->pid, &wstatus, 0);
    } else {
        waitpid(r->pid, &wstatus, 0);
        r->status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    }
    r->ended = now_ms();
    drain_ff(r, ff_fd);
    close(r->out);
    close(r->err);
}

// ---- checking -------------------------------------------------------------

struct verdict {
    char why[512]{};
    size_t used = 0;
    void add(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
        va_list ap;
        va_start(ap, fmt);
        if (used < sizeof why) {
            const int n = vsnprintf(why + used, sizeof why - used, fmt, ap);
            used += n > 0 ? static_cast<size_t>(n) : 0;
        }
        va_end(ap);
    }
};

std::string shown(const std::string& s) {
    std::string o;
    for (char c : s) {
        if (c == '\n') {
            o += "\\n";
        } else {
            o += c;
        }
    }
    return o;
}

void expect_output(verdict* v, const run& r, const char* out, int status) {
    if (r.out_text != out) {
        v->add(" stdout \"%s\" (want \"%s\")", shown(r.out_text).c_str(), shown(out).c_str());
    }
    if (r.status != status) {
        v->add(" status %d (want %d)", r.status, status);
    }
}

void expect_gone(verdict* v, const run& r) {
    expect_output(v, r, "", 254);
    const size_t nl = r.err_text.find('\n');
    if (r.err_text.rfind("touch input device", 0) != 0 || nl + 1 != r.err_text.size()) {
        v->add(" stderr \"%s\" (want one line on the touch input device)",
               shown(r.err_text).c_str());
    }
}

void expect_quiet_stderr(verdict* v, const run& r) {
    if (!r.err_text.empty()) {
        v->add(" stderr \"%s\"", shown(r.err_text).c_str());
    }
}

void expect_within(verdict* v, const char* what, int64_t ms, int64_t low, int64_t high) {
    if (ms < low || ms > high) {
        v->add(" %s took %lld ms (want %lld..%lld)", what, static_cast<long long>(ms),
               static_cast<long long>(low), static_cast<long long>(high));
    }
}

void report(const char* name, const verdict& v, const run& r) {
    const long long ms = static_cast<long long>(r.ended - r.started);
    if (v.used == 0) {
        ++passed;
        printf("ok - %s (%lld ms)\n", name, ms);
    } else {
        ++failed;
        printf("not ok - %s (%lld ms):%s\n", name, ms, v.why);
    }
    fflush(stdout);
}

// Starts zentu on dev and waits until it has the node open.
bool launch(run* r, const device& dev, const char* const* args, verdict* v,
            const device* vibra = nullptr) {
    if (dev.fd < 0 || (vibra != nullptr && vibra->fd < 0)) {
        v->add(" no device: %s%s", dev.error, vibra != nullptr ? vibra->error : "");
        return false;
    }
    if (!start(r, dev.node, vibra != nullptr ? vibra->node : nullptr, args)) {
        v->add(" cannot start zentu");
        return false;
    }
    if (!wait_open(*r, dev.node)) {
        v->add(" zentu never opened %s", dev.node);
    }
    return true;
}

// A finger comes down at the first point, moves through the others and
// lifts; tracking ids count up per device.
struct stroke {
    const device& dev;
    bool slotted;
    int32_t tracking;
    void play(const int32_t (*points)[2], int count) const {
        for (int i = 0; i < count; ++i) {
            touch_at(dev, slotted, tracking, i == 0, points[i][0], points[i][1]);
            sleep_ms(30);
        }
        lift(dev, slotted);
    }
};

void case_stroke(const char* name, kind k, const char* const* args, const int32_t (*points)[2],
                 int count, const char* out, int status) {
    device dev;
    create(&dev, k, name);
    run r;
    verdict v;
    if (launch(&r, dev, args, &v)) {
        stroke{dev, k == kind::slotted_mt, 1}.play(points, count);
        finish(&r, 5000);
        expect_output(&v, r, out, status);
        expect_quiet_stderr(&v, r);
    }
    report(name, v, r);
    destroy(&dev);
}

const int32_t tap_812_455[][2] = {{812, 455}};
const int32_t tap_600_450[][2] = {{600, 450}};
const int32_t tap_900_100[][2] = {{900, 100}};
const int32_t move_both[][2] = {{100, 200}, {300, 400}, {310, 420}};
const int32_t move_x_only[][2] = {{100, 200}, {150, 200}};

void taps_and_strokes() {
    const char* const xy[] = {"-x", "-y", nullptr};
    const char* const end_last[] = {"--wait-for-end", "-x", "-y", nullptr};
    const char* const end_first[] = {"--wait-for-end", "--read-first", "-x", "-y", nullptr};
    case_stroke("tap, plain multitouch screen", kind::plain_mt, xy, tap_812_455, 1, "812:455\n", 0);
    case_stroke("tap, slotted multitouch screen", kind::slotted_mt, xy, tap_812_455, 1, "812:455\n",
                0);
    case_stroke("wait for end, read-last, movement", kind::plain_mt, end_last, move_both, 3,
                "310:420\n", 0);
    case_stroke("wait for end, read-first, movement", kind::plain_mt, end_first, move_both, 3,
                "100:200\n", 0);
    case_stroke("wait for end, slotted, movement along x only", kind::slotted_mt, end_last,
                move_x_only, 2, "150:200\n", 0);
}

void character_mode() {
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
    const char* const chr[] = {"-c", "-m", "/tmp/keys.map", nullptr};
    const char* const code[] = {"-a", "-m", "/tmp/keys.map", nullptr};
    case_stroke("character mode with a map", kind::slotted_mt, chr, tap_600_450, 1, "D", 66);
    case_stroke("ASCII code mode with a map", kind::plain_mt, code, tap_600_450, 1, "68", 66);
    case_stroke("character mode, tap outside every key", kind::plain_mt, chr, tap_900_100, 1, "",
                255);
}

void timeout() {
    device dev;
    create(&dev, kind::plain_mt, "timeout");
    run r;
    verdict v;
    const char* const args[] = {"-d", "500", "-x", "-y", nullptr};
    if (launch(&r, dev, args, &v)) {
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
    const char* const xy[] = {"-x", "-y", nullptr};
    if (launch(&r, touch, xy, &v, &vibra)) {
        const int64_t tapped = now_ms();
        touch_at(touch, false, 1, true, 40, 50);
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

// One slotted screen, one zentu run per tap: the kernel passes on only
// what changed since the previous tap.
void repeated_taps() {
    device dev;
    create(&dev, kind::slotted_mt, "repeated taps");
    const char* const xy[] = {"-d", "3000", "-x", "-y", nullptr};
    const struct {
        const char* name;
        int32_t x, y;
        const char* out;
    } taps[] = {
        {"repeated taps: first at 500:600", 500, 600, "500:600\n"},
        {"repeated taps: again at the same point", 500, 600, "500:600\n"},
        {"repeated taps: same x, new y", 500, 700, "500:700\n"},
        {"repeated taps: new x, same y", 520, 700, "520:700\n"},
    };
    int32_t tracking = 1;
    for (const auto& t : taps) {
        run r;
        verdict v;
        if (launch(&r, dev, xy, &v)) {
            touch_at(dev, true, tracking++, true, t.x, t.y);
            sleep_ms(30);
            lift(dev, true);
            finish(&r, 5000);
            expect_output(&v, r, t.out, 0);
            expect_quiet_stderr(&v, r);
        }
        report(t.name, v, r);
    }
    destroy(&dev);
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
    const bool slotted = (k == kind::slotted_mt);
    if (launch(&r, dev, args, &v)) {
        if (q == queued::finger_down) {
            // zentu reads the finger-down and holds its position; the
            // removal then queues the kernel's own lift, which it cannot read.
            touch_at(dev, slotted, 1, true, 70, 80);
            sleep_ms(100);
        }
        if (q != queued::nothing) {
            // Stopped, zentu cannot read what arrives before the removal.
            kill(r.pid, SIGSTOP);
            int st = 0;
            waitpid(r.pid, &st, WUNTRACED);
        }
        if (q == queued::tap) {
            touch_at(dev, slotted, 1, true, 70, 80);
            lift(dev, slotted);
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
    const char* const xy[] = {"-x", "-y", nullptr};
    const char* const end[] = {"--wait-for-end", "-x", "-y", nullptr};
    removal("device removed while zentu waits", kind::plain_mt, xy, queued::nothing);
    removal("device removed while zentu waits for the end", kind::slotted_mt, end, queued::nothing);
    removal("device removed with a whole tap queued", kind::slotted_mt, xy, queued::tap);
    removal("device removed with the finger down", kind::slotted_mt, end, queued::finger_down);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fputs("usage: zentu-kernel-driver PATH-TO-ZENTU\n", stderr);
        return 2;
    }
    zentu_path = argv[1];
    taps_and_strokes();
    character_mode();
    timeout();
    vibration();
    repeated_taps();
    removals();
    printf("zentu-kernel: %d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
