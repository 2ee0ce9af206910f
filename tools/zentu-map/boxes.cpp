// Rectangles, the screen, and the view of a map that both commands share.
#include <algorithm>
#include <cstdlib>

#include "zentu_map.h"

bool box_empty(const map_entry& b) {
    return b.x1 >= b.x2 || b.y1 >= b.y2;
}

map_entry box_intersection(const map_entry& a, const map_entry& b) {
    map_entry r{};
    r.x1 = std::max(a.x1, b.x1);
    r.y1 = std::max(a.y1, b.y1);
    r.x2 = std::min(a.x2, b.x2);
    r.y2 = std::min(a.y2, b.y2);
    return r;
}

uint64_t box_points(const map_entry& b) {
    if (box_empty(b)) {
        return 0;
    }
    const auto w = static_cast<uint64_t>(int64_t{b.x2} - b.x1);
    const auto h = static_cast<uint64_t>(int64_t{b.y2} - b.y1);
    return w * h;  // below 2^64: each side is below 2^32
}

std::string describe_box(const map_entry& b) {
    return std::to_string(b.x1) + " < x <= " + std::to_string(b.x2) + ", " + std::to_string(b.y1) +
           " < y <= " + std::to_string(b.y2);
}

uint32_t exit_status(int32_t value) {
    return static_cast<uint32_t>(value) & 255U;
}

analysis_limits default_limits(size_t entries, bool overlaps) {
    analysis_limits l;
    l.budget = 32 * entries + (size_t{1} << 22);
    l.overlaps = overlaps;
    return l;
}

namespace {

map_entry bounding_box(const std::vector<map_entry>& entries) {
    map_entry f{};
    bool first = true;
    for (const map_entry& e : entries) {
        if (box_empty(e)) {
            continue;
        }
        f = first ? e : map_entry{std::min(f.x1, e.x1),
                                  std::min(f.y1, e.y1),
                                  std::max(f.x2, e.x2),
                                  std::max(f.y2, e.y2),
                                  0,
                                  0};
        first = false;
    }
    return first ? map_entry{0, 0, 1, 1, 0, 0} : f;
}

}  // namespace

map_view make_view(const std::vector<map_line>& lines, const map_entry* screen, bool overlaps) {
    map_view v;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].result == MAPLINE_ENTRY) {
            v.entries.push_back(lines[i].entry);
            v.entry_line.push_back(i);
        }
    }
    v.frame = screen != nullptr ? *screen : bounding_box(v.entries);
    v.analysis =
        analyse_entries(v.entries, screen, v.frame, default_limits(v.entries.size(), overlaps));
    return v;
}
