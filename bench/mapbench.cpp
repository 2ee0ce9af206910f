// SPDX-License-Identifier: MIT
// 6: zentu-map check and svg on generated maps of three shapes, timed as
// whole runs with their output thrown away, and their peak memory.
#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <string>

#include "workloads.h"

namespace {

struct map_shape {
    const char* name;
    const char* what;
};

const map_shape SHAPES[] = {
    {"keypad", "adjoining 10 x 10 keys in a square, no overlap"},
    {"scattered", "3 x 3 keys at distinct positions, every edge different"},
    {"overlapping", "rectangles that all hold the centre, most of them hidden"},
};

// Writes the map and returns its --screen.
std::string write_map(const std::string& path, const map_shape& shape, long n) {
    FILE* f = fopen(path.c_str(), "w");
    if (f == nullptr) {
        fail("cannot write", path);
    }
    std::string screen;
    const std::string name = shape.name;
    if (name == "keypad") {
        const auto k = static_cast<long>(std::ceil(std::sqrt(static_cast<double>(n))));
        for (long i = 0; i < n; ++i) {
            const long c = i % k * 10 - 1;
            const long r = i / k * 10 - 1;
            fprintf(f, "%ld %ld %ld %ld %ld k\n", c, r, c + 10, r + 10, i % 250 + 1);
        }
        screen = std::to_string(k * 10) + "x" + std::to_string((n + k - 1) / k * 10);
    } else if (name == "scattered") {
        // Multipliers prime to every size, so that both are permutations.
        for (long i = 0; i < n; ++i) {
            const long x = i * 48271 % n * 4;
            const long y = i * 69621 % n * 4;
            fprintf(f, "%ld %ld %ld %ld %ld s\n", x, y, x + 3, y + 3, i % 250 + 1);
        }
        screen = std::to_string(n * 4) + "x" + std::to_string(n * 4);
    } else {
        const long m = 1000000;
        unsigned long s = 12345;
        for (long i = 0; i < n; ++i) {
            long e[4];
            for (long& v : e) {
                s = (s * 1103515245 + 12345) % 2147483648UL;
                v = static_cast<long>(s % m) + 1;
            }
            fprintf(f, "%ld %ld %ld %ld %ld o\n", m - e[0], m - e[1], m + e[2], m + e[3],
                    i % 250 + 1);
        }
        screen = std::to_string(2 * m + 2) + "x" + std::to_string(2 * m + 2);
    }
    if (fclose(f) != 0) {
        fail("cannot write", path);
    }
    return screen;
}

struct map_run {
    double seconds;
    double peak_mib;
};

map_run run_map(const bench_setup& b, const char* command, const std::string& map,
                const std::string& screen) {
    const run_result r = run_timed_quiet({b.map, command, map, "--screen", screen});
    // check: 0 clean, 1 warnings; anything else makes the time void.
    if (r.exit_status != 0 && !(r.exit_status == 1 && command[0] == 'c')) {
        fail("zentu-map failed", std::string(command) + " " + map);
    }
    return {r.wall_us / 1e6, static_cast<double>(r.usage.ru_maxrss) / 1024};
}

}  // namespace

void measure_zentu_map(const bench_setup& b, const std::vector<long>& sizes) {
    printf(
        "| 6. zentu-map, --screen given | entries | check s | check peak MiB | svg s "
        "| svg peak MiB |\n|---|---|---|---|---|---|\n");
    const std::string map = b.dir + "/shape.map";
    for (const map_shape& shape : SHAPES) {
        for (const long n : sizes) {
            const std::string screen = write_map(map, shape, n);
            const map_run check = run_map(b, "check", map, screen);
            const map_run svg = run_map(b, "svg", map, screen);
            printf("| %s | %ld | %.3f | %.1f | %.3f | %.1f |\n", shape.name, n, check.seconds,
                   check.peak_mib, svg.seconds, svg.peak_mib);
            fflush(stdout);
        }
    }
    unlink(map.c_str());
    printf("\n");
    for (const map_shape& shape : SHAPES) {
        printf("%s: %s.\n", shape.name, shape.what);
    }
    printf(
        "One run each, output thrown away; peak memory is the process's peak\n"
        "resident size. The analysis is a sweep, so time and memory should grow\n"
        "about tenfold from one size to the next.\n\n");
}
