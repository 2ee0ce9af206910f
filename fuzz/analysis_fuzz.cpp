// SPDX-License-Identifier: MIT
// zentu-map's analysis two ways. The bytes as a map file: check and svg
// run to the end on whatever the map holds. The bytes as a few small
// rectangles and a screen: the analysis must agree with a model that
// visits every point.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "map_model.h"
#include "zentu_map.h"

namespace {

constexpr size_t MAX_ENTRIES = 12;

// Small signed coordinates, so that the model can visit every point.
int32_t small(uint8_t byte) {
    return static_cast<int32_t>(byte % 48) - 8;
}

map_entry rectangle(const uint8_t* b) {
    const int32_t x1 = small(b[0]);
    const int32_t y1 = small(b[1]);
    return {
        x1, y1, x1 + static_cast<int32_t>(b[2] % 24) - 2, y1 + static_cast<int32_t>(b[3] % 24) - 2,
        0,  'k'};
}

void run_commands(const uint8_t* data, size_t size) {
    const std::vector<map_line> lines =
        map_lines_of(std::string(reinterpret_cast<const char*>(data), size));
    const touch_area screen = screen_area(320, 240);
    std::ostringstream out;
    static_cast<void>(write_check(out, "fuzz", lines, &screen));
    write_svg(out, "fuzz", lines, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    run_commands(data, size);
    if (size < 4) {
        return 0;
    }
    const map_entry screen = rectangle(data);
    const bool with_screen = (data[0] & 0x80) != 0;
    std::vector<map_entry> entries;
    for (size_t at = 4; at + 4 <= size && entries.size() < MAX_ENTRIES; at += 4) {
        entries.push_back(rectangle(data + at));
    }
    const map_entry* s = with_screen ? &screen : nullptr;
    const map_analysis a =
        analyse_entries(entries, s, screen, default_limits(entries.size(), true));
    if (const std::string why = compare_with_model(a, entries, s); !why.empty()) {
        fprintf(stderr, "analysis differs from the model: %s\n", why.c_str());
        abort();
    }
    return 0;
}
