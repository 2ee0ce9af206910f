// SPDX-License-Identifier: MIT
// A point-by-point model of zentu-map's analysis, for maps small enough to
// visit every point: which entries hold each point, and what that makes of
// each entry. The tests and the fuzz target compare the analysis with it,
// and read their maps from text with map_lines_of.
#pragma once

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "zentu_map.h"

// The pieces of a map held in text, as zentu-map reads them from a file.
inline std::vector<map_line> map_lines_of(const std::string& text) {
    std::vector<map_line> lines;
    std::string copy = text;
    FILE* f = fmemopen(copy.data(), copy.size(), "r");
    if (f != nullptr) {
        static_cast<void>(read_map_lines(f, &lines));  // memory does not fail to read
        fclose(f);
    }
    return lines;
}

struct map_model {
    std::vector<uint64_t> won;
    std::map<std::pair<uint32_t, uint32_t>, uint64_t> taken;  // (entry, earlier): points
    std::vector<map_entry> gaps;
    uint64_t overlap_points = 0;
    int32_t x_low = 0, x_high = 0, y_low = 0, y_high = 0;  // the points visited
};

// Index of the first entry that holds (x, y), or entries.size().
inline size_t model_winner(const std::vector<map_entry>& entries, int32_t x, int32_t y) {
    size_t e = 0;
    while (e < entries.size() && !entry_holds(entries[e], x, y)) {
        ++e;
    }
    return e;
}

// Gaps come as the old grid gave them: per row the widest runs, each merged
// with the run of the same columns in the row below.
inline map_model model_map(const std::vector<map_entry>& entries, const map_entry* screen) {
    map_model m;
    m.won.assign(entries.size(), 0);
    std::vector<map_entry> boxes(entries);
    if (screen != nullptr) {
        boxes.push_back(*screen);
    }
    m.x_low = m.y_low = INT32_MAX;
    m.x_high = m.y_high = INT32_MIN;
    for (const map_entry& b : boxes) {
        m.x_low = std::min(m.x_low, b.x1);
        m.x_high = std::max(m.x_high, b.x2);
        m.y_low = std::min(m.y_low, b.y1);
        m.y_high = std::max(m.y_high, b.y2);
    }
    for (int64_t y = int64_t{m.y_low} + 1; y <= m.y_high; ++y) {
        std::vector<map_entry> runs;
        for (int64_t x = int64_t{m.x_low} + 1; x <= m.x_high; ++x) {
            const auto px = static_cast<int32_t>(x);
            const auto py = static_cast<int32_t>(y);
            const size_t w = model_winner(entries, px, py);
            int holders = 0;
            for (size_t e = 0; e < entries.size(); ++e) {
                if (entry_holds(entries[e], px, py)) {
                    ++holders;
                    if (e != w) {
                        ++m.taken[{static_cast<uint32_t>(e), static_cast<uint32_t>(w)}];
                    }
                }
            }
            m.overlap_points += holders > 1 ? 1 : 0;
            if (w < entries.size()) {
                ++m.won[w];
            } else if (screen != nullptr && entry_holds(*screen, px, py)) {
                if (!runs.empty() && runs.back().x2 == px - 1) {
                    runs.back().x2 = px;
                } else {
                    runs.push_back({px - 1, py - 1, px, py, 0, 0});
                }
            }
        }
        for (const map_entry& r : runs) {
            const auto below = std::find_if(m.gaps.begin(), m.gaps.end(), [&](const map_entry& g) {
                return g.y2 == r.y1 && g.x1 == r.x1 && g.x2 == r.x2;
            });
            if (below != m.gaps.end()) {
                below->y2 = r.y2;
            } else {
                m.gaps.push_back(r);
            }
        }
    }
    return m;
}

inline std::string model_box(const map_entry& b) {
    return "(" + describe_box(b) + ")";
}

// "" when the analysis agrees with the model, else the first difference.
inline std::string compare_with_model(const map_analysis& a, const std::vector<map_entry>& entries,
                                      const map_entry* screen) {
    const map_model m = model_map(entries, screen);
    if (a.analysed != entries.size()) {
        return "analysed " + std::to_string(a.analysed) + " of " + std::to_string(entries.size());
    }
    for (size_t e = 0; e < entries.size(); ++e) {
        if (a.won[e] != m.won[e]) {
            return "entry " + std::to_string(e) + " wins " + std::to_string(a.won[e]) + ", model " +
                   std::to_string(m.won[e]);
        }
        const map_entry& l = a.label[e];
        if (m.won[e] > 0 &&
            (box_points(l) == 0 || box_points(box_intersection(l, entries[e])) != box_points(l) ||
             model_winner(entries, l.x2, l.y2) != e ||
             model_winner(entries, l.x1 + 1, l.y1 + 1) != e)) {
            return "entry " + std::to_string(e) + " label " + model_box(l) + " is not its own";
        }
    }
    std::map<std::pair<uint32_t, uint32_t>, uint64_t> taken;
    for (size_t e = 0; e < entries.size(); ++e) {
        for (size_t k = a.taken_start[e]; k < a.taken_start[e + 1]; ++k) {
            if (a.taken[k].entry != e) {
                return "takings out of order at " + std::to_string(k);
            }
            taken[{a.taken[k].entry, a.taken[k].earlier}] = a.taken[k].points;
        }
    }
    if (taken != m.taken) {
        return "takings differ";
    }
    if (screen != nullptr && a.gaps.size() != m.gaps.size()) {
        return std::to_string(a.gaps.size()) + " gaps, model " + std::to_string(m.gaps.size());
    }
    for (size_t k = 0; screen != nullptr && k < m.gaps.size(); ++k) {
        if (describe_box(a.gaps[k]) != describe_box(m.gaps[k])) {
            return "gap " + std::to_string(k) + " " + model_box(a.gaps[k]) + ", model " +
                   model_box(m.gaps[k]);
        }
    }
    uint64_t overlap = 0;
    for (const map_entry& o : a.overlaps) {
        for (int64_t y = int64_t{o.y1} + 1; y <= o.y2; ++y) {
            for (int64_t x = int64_t{o.x1} + 1; x <= o.x2; ++x) {
                const auto held =
                    std::count_if(entries.begin(), entries.end(), [&](const map_entry& e) {
                        return entry_holds(e, static_cast<int32_t>(x), static_cast<int32_t>(y));
                    });
                if (held < 2) {
                    return "overlap " + model_box(o) + " has a point held by " +
                           std::to_string(held);
                }
                ++overlap;
            }
        }
    }
    return overlap == m.overlap_points ? ""
                                       : "overlaps hold " + std::to_string(overlap) +
                                             " points, model " + std::to_string(m.overlap_points);
}
