// SPDX-License-Identifier: MIT
// Workloads: every repetition runs zentu and its baselines back to back,
// so drift on a shared machine hits both alike.
#include "workloads.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

// The tap of examples/tap.events: finger down at (812, 455), then a lift.
constexpr int TAP_X = 812;
constexpr int TAP_Y = 455;
const char* const TAP_ANSWER = "812:455\n";

input_event record(int type, int code, int value) {
    input_event ev{};
    ev.type = static_cast<__u16>(type);
    ev.code = static_cast<__u16>(code);
    ev.value = value;
    return ev;
}

std::vector<input_event> finger_down() {
    return {record(EV_ABS, ABS_MT_TRACKING_ID, 17), record(EV_ABS, ABS_MT_POSITION_X, TAP_X),
            record(EV_ABS, ABS_MT_POSITION_Y, TAP_Y), record(EV_KEY, BTN_TOUCH, 1),
            record(EV_SYN, SYN_REPORT, 0)};
}

std::vector<input_event> tap() {
    std::vector<input_event> v = finger_down();
    v.push_back(record(EV_ABS, ABS_MT_TRACKING_ID, -1));
    v.push_back(record(EV_KEY, BTN_TOUCH, 0));
    v.push_back(record(EV_SYN, SYN_REPORT, 0));
    return v;
}

void write_all(int fd, const std::vector<input_event>& v, const char* what) {
    const auto size = static_cast<ssize_t>(v.size() * sizeof(input_event));
    if (write(fd, v.data(), static_cast<size_t>(size)) != size) {
        fail("cannot write", what);
    }
}

std::string tap_file(const bench_setup& b) {
    const std::string path = b.dir + "/tap.bin";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        fail("cannot create", path);
    }
    write_all(fd, tap(), path.c_str());
    close(fd);
    return path;
}

std::string make_fifo(const bench_setup& b) {
    const std::string path = b.dir + "/touch.fifo";
    unlink(path.c_str());
    if (mkfifo(path.c_str(), 0600) != 0) {
        fail("cannot create", path);
    }
    return path;
}

// Starts argv on the FIFO and returns once it sleeps in poll, with the
// FIFO's writer in *writer.
child start_on_fifo(const std::vector<std::string>& argv, const std::string& fifo, int* writer) {
    const child c = start_child(argv);
    *writer = open_fifo_writer(fifo.c_str(), c.pid);
    if (*writer < 0 || !wait_in_poll(c.pid)) {
        fail("did not reach its poll", argv[0]);
    }
    return c;
}

run_result tap_on_fifo(const std::vector<std::string>& argv, const std::string& fifo) {
    int writer = -1;
    const child c = start_on_fifo(argv, fifo, &writer);
    const double t0 = now_us();
    write_all(writer, finger_down(), fifo.c_str());
    run_result r = finish_child(c);
    r.wall_us = r.exited_us - t0;
    close(writer);
    return r;
}

double rss_kb(const run_result& r) {
    return static_cast<double>(r.usage.ru_maxrss);
}

double cpu_us(const run_result& r) {
    const auto us = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_usec);
    };
    return us(r.usage.ru_utime) + us(r.usage.ru_stime);
}

struct samples {
    std::vector<double> wall, cpu, faults, rss;
    void add(const run_result& r) {
        wall.push_back(r.wall_us);
        cpu.push_back(cpu_us(r));
        faults.push_back(static_cast<double>(r.usage.ru_minflt));
        rss.push_back(rss_kb(r));
    }
    tap_program figures() const {
        return {summarize(wall), summarize(cpu), summarize(faults), summarize(rss)};
    }
};

struct tap_samples {
    samples zentu, floor, duties, calibrated;
    tap_figures figures() const {
        return {zentu.figures(), floor.figures(), duties.figures(), calibrated.figures()};
    }
};

// The identity in a board's own form: the answer stays the same, the
// file is read and every tap goes through the whole formula.
std::string identity_calibration(const bench_setup& b) {
    const std::string path = b.dir + "/identity.cal";
    FILE* f = fopen(path.c_str(), "w");
    if (f == nullptr || fputs("65536 0 0 0 65536 0 65536 800 480\n", f) < 0 || fclose(f) != 0) {
        fail("cannot write", path);
    }
    return path;
}

}  // namespace

namespace {

// Runs zentu, the floor and the floor with duties in turn on the tap at
// path, runs times each; run starts one program. Removes path at the end.
template <class Run>
tap_figures measure_taps(const bench_setup& b, int runs, const std::string& path,
                         const std::string& where, Run run) {
    tap_samples s;
    const std::string cal = identity_calibration(b);
    for (int i = 0; i < runs; ++i) {
        const run_result z = run({b.zentu, "-t", path, "-x", "-y"});
        expect(z, 0, TAP_ANSWER, ("zentu on " + where).c_str());
        const run_result k = run({b.zentu, "-t", path, "-x", "-y", "-k", cal});
        expect(k, 0, TAP_ANSWER, ("zentu -k on " + where).c_str());
        s.calibrated.add(k);
        const run_result f = run({b.floor, path});
        expect(f, 0, "", ("floor on " + where).c_str());
        const run_result d = run({b.duties, "-t", path, "-x", "-y"});
        expect(d, 0, TAP_ANSWER, ("floor with duties on " + where).c_str());
        s.zentu.add(z);
        s.floor.add(f);
        s.duties.add(d);
    }
    unlink(path.c_str());
    unlink(cal.c_str());
    return s.figures();
}

}  // namespace

tap_figures measure_fifo_tap(const bench_setup& b, int runs) {
    const std::string fifo = make_fifo(b);
    return measure_taps(b, runs, fifo, "a FIFO", [&fifo](const std::vector<std::string>& argv) {
        return tap_on_fifo(argv, fifo);
    });
}

tap_figures measure_file_tap(const bench_setup& b, int runs) {
    return measure_taps(b, runs, tap_file(b), "a tap file", run_timed);
}

namespace {

// Keypad rows above the tap, a comment now and then, and the one
// rectangle that holds the tap as the last line.
std::string write_map(const bench_setup& b, long lines) {
    const std::string path = b.dir + "/map" + std::to_string(lines) + ".txt";
    FILE* f = fopen(path.c_str(), "w");
    if (f == nullptr) {
        fail("cannot create", path);
    }
    for (long i = 0; i + 1 < lines; ++i) {
        if (i % 100 == 99) {
            fprintf(f, "# row %ld\n", i / 100);
            continue;
        }
        const long x1 = (i * 37) % 1200;
        const long y1 = (i * 53) % 300;
        fprintf(f, "%ld %ld %ld %ld %ld %c\n", x1, y1, x1 + 80, y1 + 60, i % 200 + 1,
                static_cast<char>('a' + i % 26));
    }
    fprintf(f, "800 440 880 480 42 K\n");
    if (fclose(f) != 0) {
        fail("cannot write", path);
    }
    return path;
}

const char* const AWK_SCAN =
    "/^[ \\t]*#/ { next } "
    "NF >= 6 && $1 < x && x <= $3 && $2 < y && y <= $4 { printf \"%s\", substr($6, 1, 1); exit $5 "
    "}";

}  // namespace

scan_figures measure_scan(const bench_setup& b, long lines, int runs) {
    const std::string tapf = tap_file(b);
    const std::string map = write_map(b, lines);
    const std::string xs = std::to_string(TAP_X);
    const std::string ys = std::to_string(TAP_Y);
    std::vector<double> z, s, a, zr;
    for (int i = 0; i < runs; ++i) {
        const run_result rz = run_timed({b.zentu, "-t", tapf, "-c", "-m", map});
        expect(rz, 42, "K", "zentu map scan");
        const run_result rs = run_timed({b.scan, map, xs, ys});
        expect(rs, 42, "K", "strtok map scan");
        z.push_back(rz.wall_us);
        zr.push_back(rss_kb(rz));
        s.push_back(rs.wall_us);
        if (!b.awk.empty()) {
            const run_result ra =
                run_timed({b.awk, "-v", "x=" + xs, "-v", "y=" + ys, AWK_SCAN, map});
            expect(ra, 42, "K", "awk map scan");
            a.push_back(ra.wall_us);
        }
    }
    unlink(map.c_str());
    unlink(tapf.c_str());
    return {lines, summarize(z), summarize(s), summarize(a), summarize(zr)};
}

idle_figures measure_idle(const bench_setup& b, int runs, int wait_ms) {
    const std::string fifo = make_fifo(b);
    const std::string delay = std::to_string(wait_ms);
    std::vector<double> zc, fc, zw;
    for (int i = 0; i < runs; ++i) {
        int writer = -1;
        const child z = start_on_fifo({b.zentu, "-t", fifo, "-x", "-d", delay}, fifo, &writer);
        const run_result rz = finish_child(z);
        expect(rz, 255, "timeout\n", "zentu waiting");
        close(writer);
        zc.push_back(cpu_us(rz));
        zw.push_back(static_cast<double>(rz.usage.ru_nvcsw));

        const child f = start_on_fifo({b.floor, fifo, delay}, fifo, &writer);
        const run_result rf = finish_child(f);
        expect(rf, 255, "", "floor waiting");
        close(writer);
        fc.push_back(cpu_us(rf));
    }
    unlink(fifo.c_str());
    return {summarize(zc), summarize(fc), summarize(zw), static_cast<double>(wait_ms)};
}
