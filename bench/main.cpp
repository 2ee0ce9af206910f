// SPDX-License-Identifier: MIT
// zentu-bench: prints a Markdown table of zentu's speed next to its
// baselines, measured in one run on this machine.
//   zentu-bench [--quick] [--zentu-map]
// --zentu-map measures zentu-map alone.
#include <gnu/libc-version.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "workloads.h"

namespace {

struct plan {
    bool quick = false;
    int tap_runs = 301;
    std::vector<long> sizes{10, 1000, 100000, 1000000};
    std::vector<int> size_runs{201, 201, 31, 11};
    int idle_runs = 3;
    int idle_ms = 3000;
    std::vector<long> map_sizes{1000, 10000, 100000, 1000000};
    bool map_only = false;
};

plan quick_plan() {
    plan p;
    p.quick = true;
    p.tap_runs = 31;
    p.sizes = {10, 1000, 100000};
    p.size_runs = {21, 21, 5};
    p.idle_runs = 1;
    p.map_sizes = {1000, 10000};
    return p;
}

std::string first_line_of(const char* path, const char* key) {
    FILE* f = fopen(path, "r");
    std::string found;
    char line[512];
    while (f != nullptr && fgets(line, sizeof line, f) != nullptr) {
        if (strncmp(line, key, strlen(key)) == 0) {
            const char* colon = strchr(line, ':');
            found = colon != nullptr ? colon + 2 : line;
            found.erase(found.find_last_not_of('\n') + 1);
            break;
        }
    }
    if (f != nullptr) {
        fclose(f);
    }
    return found;
}

std::string find_awk() {
    char resolved[PATH_MAX];
    for (const char* p : {"/usr/bin/awk", "/bin/awk"}) {
        if (access(p, X_OK) == 0 && realpath(p, resolved) != nullptr) {
            return resolved;
        }
    }
    return "";
}

long stripped_size(const bench_setup& b, const std::string& bin) {
    const std::string out = b.dir + "/stripped";
    const run_result r = run_timed({ZENTU_BENCH_STRIP, "-o", out, bin});
    struct stat st {};
    if (r.exit_status != 0 || stat(out.c_str(), &st) != 0) {
        fail("cannot strip", bin);
    }
    unlink(out.c_str());
    return static_cast<long>(st.st_size);
}

void print_machine(const plan& p, const bench_setup& b) {
    utsname u{};
    uname(&u);
    printf("Machine: %s, %ld cores, %s %s %s; %s, glibc %s; awk: %s.\n\n",
           first_line_of("/proc/cpuinfo", "model name").c_str(), sysconf(_SC_NPROCESSORS_ONLN),
           u.sysname, u.release, u.machine, ZENTU_BENCH_COMPILER, gnu_get_libc_version(),
           b.awk.empty() ? "none" : b.awk.c_str());
    printf(
        "Mode: %s.\n\n",
        p.quick ? "quick, small sizes and few runs (it shows that the benchmark works)" : "full");
    printf(
        "Wall times are medians of the runs, with (min–max). This is a shared\n"
        "machine: single runs stray with the other load, only the medians compare.\n\n");
}

void print_taps(const tap_figures& fifo, const tap_figures& file, int runs) {
    printf(
        "| Tap, %d runs each | zentu µs | floor µs | zentu ÷ floor | floor + duties µs "
        "| zentu ÷ floor + duties | CPU µs z / f / f+d | page faults z / f / f+d |\n",
        runs);
    printf("|---|---|---|---|---|---|---|---|\n");
    const auto row = [](const char* name, const tap_figures& t) {
        const auto wall = [](const tap_program& p) {
            printf(" %.0f (%.0f–%.0f) |", p.wall_us.median, p.wall_us.min, p.wall_us.max);
        };
        printf("| %s |", name);
        wall(t.zentu);
        wall(t.floor);
        printf(" %.3f |", t.zentu.wall_us.median / t.floor.wall_us.median);
        wall(t.duties);
        printf(" %.3f | %.0f / %.0f / %.0f | %.0f / %.0f / %.0f |\n",
               t.zentu.wall_us.median / t.duties.wall_us.median, t.zentu.cpu_us.median,
               t.floor.cpu_us.median, t.duties.cpu_us.median, t.zentu.faults.median,
               t.floor.faults.median, t.duties.faults.median);
    };
    row("1. tap to answer: burst written to a FIFO until exit", fifo);
    row("2. whole run on a tap file: start, read, answer, exit", file);
    printf(
        "\nfloor: open, poll, read the finger-down burst, exit. floor + duties: the\n"
        "same plus what zentu must do besides, a poll before every read and the\n"
        "answer through standard output's buffer. CPU is the child's own user and\n"
        "system time for the whole run, which other load disturbs less than wall time.\n\n");
}

// zentu with and without -k on the same taps.
void print_calibrated(const tap_figures& fifo, const tap_figures& file) {
    printf(
        "| Calibration, the same runs | zentu µs | zentu -k µs | -k ÷ zentu | CPU µs z / -k |\n");
    printf("|---|---|---|---|---|\n");
    const auto calibrated = [](const char* name, const tap_figures& t) {
        printf("| %s | %.0f | %.0f (%.0f–%.0f) | %.3f | %.0f / %.0f |\n", name,
               t.zentu.wall_us.median, t.calibrated.wall_us.median, t.calibrated.wall_us.min,
               t.calibrated.wall_us.max, t.calibrated.wall_us.median / t.zentu.wall_us.median,
               t.zentu.cpu_us.median, t.calibrated.cpu_us.median);
    };
    calibrated("1. tap to answer, FIFO", fifo);
    calibrated("2. whole run, tap file", file);
    printf(
        "\n-k reads an identity calibration file and sends every tap through the\n"
        "formula: what a calibration adds to the answer.\n\n");
}

// What each line beyond the previous size cost zentu: flat when linear.
double added_ns_per_line(const std::vector<scan_figures>& scans, size_t i) {
    if (i == 0) {
        return 0;
    }
    const scan_figures& a = scans[i - 1];
    const scan_figures& b = scans[i];
    return (b.zentu.median - a.zentu.median) * 1e3 / static_cast<double>(b.lines - a.lines);
}

void print_scans(const std::vector<scan_figures>& scans, const std::vector<int>& runs) {
    printf(
        "| 3. Map scan, match on the last line | runs | zentu ms (ns/line) "
        "| zentu ns per added line | fgets+strtok+strtoul ms (ns/line) | awk ms (ns/line) "
        "| strtok ÷ zentu | awk ÷ zentu |\n");
    printf("|---|---|---|---|---|---|---|---|\n");
    for (size_t i = 0; i < scans.size(); ++i) {
        const scan_figures& s = scans[i];
        const auto cell = [&](const stats& t) {
            printf(" %.3f (%.0f) [%.3f–%.3f] |", t.median / 1e3,
                   t.median * 1e3 / static_cast<double>(s.lines), t.min / 1e3, t.max / 1e3);
        };
        printf("| %ld lines | %d |", s.lines, runs[i]);
        cell(s.zentu);
        // Below some 50,000 added lines the growth drowns in start-up noise.
        if (i == 0 || s.lines - scans[i - 1].lines < 50000) {
            printf(" – |");
        } else {
            printf(" %.1f |", added_ns_per_line(scans, i));
        }
        cell(s.scan);
        cell(s.awk);
        printf(" %.2f | %.2f |\n", s.scan.median / s.zentu.median,
               s.awk.median > 0 ? s.awk.median / s.zentu.median : 0.0);
    }
    printf(
        "\nTimes are whole runs, start-up included, so the small maps show the\n"
        "start-up cost; ns per added line is the growth from the size above,\n"
        "the same at every size when the scan is linear.\n\n");
}

void print_rest(const idle_figures& idle, const tap_figures& file, const scan_figures& big,
                const bench_setup& b) {
    const double seconds = idle.wait_ms / 1000.0;
    const stats& z = idle.zentu_cpu_us;
    const stats& f = idle.floor_cpu_us;
    // The wait's own share: the run less a whole tap run's start and end.
    const double zw = (z.median - file.zentu.cpu_us.median) / seconds;
    const double fw = (f.median - file.floor.cpu_us.median) / seconds;
    printf("| Cost | zentu | baseline | zentu ÷ baseline |\n|---|---|---|---|\n");
    printf(
        "| 4. CPU, whole run with a %.0f ms wait and no input | %.0f µs (%.0f–%.0f), "
        "%.0f wake-ups | floor waiting in 100 ms polls: %.0f µs (%.0f–%.0f) | %.2f |\n",
        idle.wait_ms, z.median, z.min, z.max, idle.zentu_wakeups.median, f.median, f.min, f.max,
        z.median / f.median);
    printf("| 4. the wait's share: CPU per second waited | %.0f µs | floor %.0f µs | %.2f |\n", zw,
           fw, zw / fw);
    printf("| 5. peak resident memory, tap run | %.0f KiB | floor %.0f KiB | %.2f |\n",
           file.zentu.rss_kb.max, file.floor.rss_kb.max,
           file.zentu.rss_kb.max / file.floor.rss_kb.max);
    printf("| 5. peak resident memory, %ld-line map | %.0f KiB | | |\n", big.lines,
           big.zentu_rss_kb.max);
    const long zs = stripped_size(b, b.zentu);
    const long fs = stripped_size(b, b.floor);
    printf("| 5. stripped binary | %ld bytes | floor %ld bytes, strtok scan %ld bytes | %.2f |\n",
           zs, fs, stripped_size(b, b.scan), static_cast<double>(zs) / static_cast<double>(fs));
    printf(
        "\nThe wait's share is the run's CPU time less that of a whole tap run\n"
        "(row 2: starting, loading, exiting), spread over the seconds waited.\n");
}

}  // namespace

int main(int argc, char** argv) {
    plan p;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--quick") == 0) {
            p = quick_plan();
        }
    }
    for (int i = 1; i < argc; ++i) {
        p.map_only = p.map_only || strcmp(argv[i], "--zentu-map") == 0;
    }
    char dir[] = "/tmp/zentu-bench.XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        fail("cannot create", dir);
    }
    const bench_setup b{ZENTU_BENCH_ZENTU,
                        ZENTU_BENCH_FLOOR,
                        ZENTU_BENCH_DUTIES,
                        ZENTU_BENCH_SCAN,
                        find_awk(),
                        ZENTU_BENCH_MAP,
                        dir};
    print_machine(p, b);
    if (p.map_only) {
        measure_zentu_map(b, p.map_sizes);
        rmdir(dir);
        return 0;
    }
    const tap_figures fifo = measure_fifo_tap(b, p.tap_runs);
    const tap_figures file = measure_file_tap(b, p.tap_runs);
    print_taps(fifo, file, p.tap_runs);
    print_calibrated(fifo, file);
    std::vector<scan_figures> scans;
    for (size_t i = 0; i < p.sizes.size(); ++i) {
        scans.push_back(measure_scan(b, p.sizes[i], p.size_runs[i]));
    }
    print_scans(scans, p.size_runs);
    print_rest(measure_idle(b, p.idle_runs, p.idle_ms), file, scans.back(), b);
    printf("\n");
    measure_zentu_map(b, p.map_sizes);
    rmdir(dir);
    return 0;
}
