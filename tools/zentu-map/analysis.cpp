// SPDX-License-Identifier: MIT
// What the entries do to one another, found in one sweep from the lowest y
// to the highest. Across the sweep, a segment tree over the distinct x edges
// holds the entries whose y range the sweep is in; each of its nodes keeps
// the entries that cover the node's whole x range, so the first holder of a
// point is the smallest entry index on the path from the root to its leaf.
// The line at the sweep's y falls into runs of leaves that share their first
// holder and whether none, one or several entries hold them. A run is
// recomputed only where an entry begins or ends; a run that ends becomes a
// rectangle of the answer. Time and memory grow with the entries plus the
// rectangles of the answer, which the budget bounds.
#include <algorithm>
#include <map>

#include "zentu_map.h"

namespace {

constexpr uint32_t NOBODY = UINT32_MAX;  // no holder at all

// How many entries hold a point, as far as the answer cares.
uint8_t holder_class(int32_t holders) {
    return static_cast<uint8_t>(std::min(holders, 2));
}

struct node {
    std::vector<uint32_t> heap;  // entries covering the node, smallest on top; ends lazily dropped
    uint32_t top = NOBODY;       // smallest live one
    uint32_t below = NOBODY;     // smallest top among the node's descendants
    int32_t live = 0;            // live ones in heap
    int32_t holders = 0;         // live ones that are entries, not the screen
    int32_t min_below = 0;       // fewest holders a leaf gets from the descendants
    int32_t max_below = 0;       // most holders a leaf gets from the descendants
    int32_t live_in_tree = 0;    // live in the node and its descendants
};

// A run of leaves [start, end) on the sweep line.
struct run_shape {
    uint32_t start;
    uint32_t end;
    uint32_t winner;
    uint8_t holders;
    [[nodiscard]] bool same_as(const run_shape& o) const {
        return winner == o.winner && holders == o.holders;
    }
};

struct open_run {
    uint32_t end;
    uint32_t winner;
    uint8_t holders;
    int32_t y1;                   // the run holds y1 < y <= (where it ends)
    bool asked = false;           // the entries begun before it that lie under it looked up
    std::vector<uint32_t> under;  // later entries it takes points from
};

class sweep {
public:
    sweep(const std::vector<map_entry>& entries, size_t count, const map_entry* screen,
          const map_entry& frame, const analysis_limits& limits, map_analysis* out)
        : entries_(entries),
          count_(static_cast<uint32_t>(count)),
          screen_(screen),
          frame_(frame),
          budget_(limits.budget),
          want_overlaps_(limits.overlaps),
          out_(out) {
        for (uint32_t e = 0; e <= count_; ++e) {
            if (const map_entry* b = box(e); b != nullptr) {
                xs_.push_back(b->x1);
                xs_.push_back(b->x2);
            }
        }
        std::sort(xs_.begin(), xs_.end());
        xs_.erase(std::unique(xs_.begin(), xs_.end()), xs_.end());
        leaves_ = xs_.empty() ? 0 : static_cast<uint32_t>(xs_.size() - 1);
        const auto at = [this](int32_t x) {
            return static_cast<uint32_t>(std::lower_bound(xs_.begin(), xs_.end(), x) - xs_.begin());
        };
        ranges_.resize(count_ + 1);
        for (uint32_t e = 0; e <= count_; ++e) {
            if (const map_entry* b = box(e); b != nullptr) {
                ranges_[e] = {at(b->x1), at(b->x2)};
            }
        }
        tree_.resize(leaves_ == 0 ? 0 : 2 * leaves_ - 1);
        dead_.assign(count_ + 1, 0);
        stamp_.assign(count_ + 1, 0);
        out_->won.assign(entries.size(), 0);
        out_->label.assign(entries.size(), map_entry{});
        label_area_.assign(count_, 0);
        labelled_.assign(count_, 0);
    }

    // Returns false when the answer outgrows the budget.
    bool run() {
        if (leaves_ == 0) {
            return true;
        }
        struct event {
            int32_t y;
            uint32_t entry;
            bool begins;
        };
        std::vector<event> events;
        for (uint32_t e = 0; e <= count_; ++e) {
            if (const map_entry* b = box(e); b != nullptr) {
                events.push_back({b->y1, e, true});
                events.push_back({b->y2, e, false});
            }
        }
        std::sort(events.begin(), events.end(),
                  [](const event& a, const event& b) { return a.y < b.y; });
        runs_[0] = open_run{leaves_, NOBODY, 0, events.front().y, true, {}};
        for (size_t i = 0; i < events.size();) {
            const int32_t y = events[i].y;
            const size_t first = i;
            for (; i < events.size() && events[i].y == y; ++i) {
                const auto [a, b] = leaf_range(events[i].entry);
                dead_[events[i].entry] = events[i].begins ? 0 : 1;
                update(0, 0, leaves_, a, b, events[i].entry, events[i].begins);
            }
            created_.clear();
            for (size_t k = first; k < i; ++k) {
                const auto [a, b] = leaf_range(events[k].entry);
                if (!recompute(a, b, y)) {
                    return false;
                }
            }
            ask_created(y);
            for (size_t k = first; k < i; ++k) {
                if (events[k].begins && events[k].entry < count_) {
                    ask_open(events[k].entry);
                }
            }
            if (work_ > budget_) {
                return false;
            }
        }
        return true;
    }

private:
    [[nodiscard]] const map_entry* box(uint32_t e) const {
        const map_entry* b = e < count_ ? &entries_[e] : screen_;
        return b != nullptr && !box_empty(*b) ? b : nullptr;
    }

    [[nodiscard]] std::pair<uint32_t, uint32_t> leaf_range(uint32_t e) const { return ranges_[e]; }

    // Children of the node for [l, r) with middle m: l..m at v + 1, m..r after it.
    static size_t right_child(size_t v, uint32_t l, uint32_t m) { return v + size_t{2} * (m - l); }

    void drop_dead(node& n) {
        const auto later = std::greater<>();
        while (!n.heap.empty() && dead_[n.heap.front()] != 0) {
            std::pop_heap(n.heap.begin(), n.heap.end(), later);
            n.heap.pop_back();
        }
        if (n.heap.size() > 2 * static_cast<size_t>(n.live) + 8) {
            std::erase_if(n.heap, [this](uint32_t e) { return dead_[e] != 0; });
            std::make_heap(n.heap.begin(), n.heap.end(), later);
        }
        n.top = n.heap.empty() ? NOBODY : n.heap.front();
    }

    void pull(size_t v, uint32_t l, uint32_t r) {
        node& n = tree_[v];
        if (r - l == 1) {
            n.live_in_tree = n.live;
            return;
        }
        const uint32_t m = l + (r - l) / 2;
        const node& a = tree_[v + 1];
        const node& b = tree_[right_child(v, l, m)];
        n.below = std::min({a.top, a.below, b.top, b.below});
        n.min_below = std::min(a.holders + a.min_below, b.holders + b.min_below);
        n.max_below = std::max(a.holders + a.max_below, b.holders + b.max_below);
        n.live_in_tree = n.live + a.live_in_tree + b.live_in_tree;
    }

    // NOLINTNEXTLINE(misc-no-recursion): as deep as the tree, some 22 levels for 2^21 edges
    void update(size_t v, uint32_t l, uint32_t r, uint32_t a, uint32_t b, uint32_t e, bool add) {
        if (b <= l || r <= a) {
            return;
        }
        if (a <= l && r <= b) {
            node& n = tree_[v];
            const int32_t step = add ? 1 : -1;
            n.live += step;
            n.holders += e < count_ ? step : 0;
            if (add) {
                n.heap.push_back(e);
                std::push_heap(n.heap.begin(), n.heap.end(), std::greater<>());
            }
            drop_dead(n);
        } else {
            const uint32_t m = l + (r - l) / 2;
            update(v + 1, l, m, a, b, e, add);
            update(right_child(v, l, m), m, r, a, b, e, add);
        }
        pull(v, l, r);
    }

    // Appends the runs of [s, t) below node v; winner and holders come in
    // from the node's ancestors.
    // NOLINTNEXTLINE(misc-no-recursion): as deep as the tree, some 22 levels for 2^21 edges
    void collect(size_t v, uint32_t l, uint32_t r, uint32_t s, uint32_t t, uint32_t winner,
                 int32_t holders, std::vector<run_shape>* shapes) {
        if (t <= l || r <= s) {
            return;
        }
        const node& n = tree_[v];
        winner = std::min(winner, n.top);
        holders += n.holders;
        const uint8_t low = holder_class(holders + n.min_below);
        if (n.below >= winner && low == holder_class(holders + n.max_below)) {
            const run_shape shape{std::max(l, s), std::min(r, t), winner, low};
            if (!shapes->empty() && shapes->back().end == shape.start &&
                shapes->back().same_as(shape)) {
                shapes->back().end = shape.end;
            } else {
                shapes->push_back(shape);
                ++work_;
            }
            return;
        }
        const uint32_t m = l + (r - l) / 2;
        collect(v + 1, l, m, s, t, winner, holders, shapes);
        collect(right_child(v, l, m), m, r, s, t, winner, holders, shapes);
    }

    [[nodiscard]] static run_shape shape_of(const std::map<uint32_t, open_run>::iterator& it) {
        return {it->first, it->second.end, it->second.winner, it->second.holders};
    }

    // Redraws the runs over leaves [a, b) after the entries changed there
    // at y: unchanged runs go on, the others end at y.
    bool recompute(uint32_t a, uint32_t b, int32_t y) {
        uint32_t s = std::prev(runs_.upper_bound(a))->first;
        uint32_t t = std::prev(runs_.upper_bound(b - 1))->second.end;
        std::vector<run_shape>& shapes = shapes_;
        for (;;) {
            shapes.clear();
            collect(0, 0, leaves_, s, t, NOBODY, 0, &shapes);
            if (s > 0) {
                const auto left = std::prev(runs_.find(s));
                if (shape_of(left).same_as(shapes.front())) {
                    s = left->first;
                    continue;
                }
            }
            if (t < leaves_) {
                const auto right = runs_.find(t);
                if (shape_of(right).same_as(shapes.back())) {
                    t = right->second.end;
                    continue;
                }
            }
            break;
        }
        size_t k = 0;
        kept_.assign(shapes.size(), 0);
        for (auto it = runs_.find(s); it != runs_.end() && it->first < t;) {
            while (k < shapes.size() && shapes[k].start < it->first) {
                ++k;
            }
            const run_shape old = shape_of(it);
            if (k < shapes.size() && shapes[k].start == old.start && shapes[k].end == old.end &&
                shapes[k].same_as(old)) {
                kept_[k] = 1;  // stays open
                ++it;
                continue;
            }
            if (!close(it->first, it->second, y)) {
                return false;
            }
            it = runs_.erase(it);
        }
        for (size_t j = 0; j < shapes.size(); ++j) {
            if (const run_shape& shape = shapes[j]; kept_[j] == 0) {
                runs_[shape.start] = open_run{shape.end, shape.winner, shape.holders, y, false, {}};
                created_.push_back(shape.start);
            }
        }
        return true;
    }

    [[nodiscard]] bool over_budget() const { return work_ > budget_; }

    // The run ends at y: what it held becomes part of the answer.
    bool close(uint32_t start, const open_run& run, int32_t y) {
        const map_entry piece{xs_[start], run.y1, xs_[run.end], y, 0, 0};
        const uint64_t points = box_points(piece);
        if (points == 0 || run.winner == NOBODY) {
            return true;
        }
        if (run.winner < count_) {
            out_->won[run.winner] += points;
            if (const uint64_t seen = box_points(box_intersection(piece, frame_));
                seen > label_area_[run.winner] || labelled_[run.winner] == 0) {
                label_area_[run.winner] = seen;
                labelled_[run.winner] = 1;
                out_->label[run.winner] = piece;
            }
        } else {
            out_->gaps.push_back(piece);
            ++work_;
        }
        if (want_overlaps_ && run.holders > 1) {
            out_->overlaps.push_back(piece);
            ++work_;
        }
        for (const uint32_t e : run.under) {
            const uint64_t taken = box_points(box_intersection(piece, entries_[e]));
            if (taken > 0) {
                out_->taken.push_back({e, run.winner, taken});
            }
        }
        return !over_budget();
    }

    void add_under(open_run* run, uint32_t e) {
        run->under.push_back(e);
        ++work_;
    }

    // Runs that began at y: the entries begun before y that they lie under.
    void ask_created(int32_t y) {
        for (const uint32_t start : created_) {
            const auto it = runs_.find(start);
            if (it == runs_.end() || it->second.y1 != y || it->second.asked ||
                it->second.winner >= count_) {
                continue;
            }
            it->second.asked = true;
            ++query_;
            find_holders(0, 0, leaves_, start, it->second.end, &it->second, y);
        }
    }

    // NOLINTNEXTLINE(misc-no-recursion): as deep as the tree, some 22 levels for 2^21 edges
    void find_holders(size_t v, uint32_t l, uint32_t r, uint32_t s, uint32_t t, open_run* run,
                      int32_t y) {
        const node& n = tree_[v];
        if (t <= l || r <= s || n.live_in_tree == 0) {
            return;
        }
        for (const uint32_t e : n.heap) {
            if (e < count_ && dead_[e] == 0 && e > run->winner && stamp_[e] != query_ &&
                entries_[e].y1 < y) {
                stamp_[e] = query_;
                add_under(run, e);
            }
        }
        if (r - l > 1) {
            const uint32_t m = l + (r - l) / 2;
            find_holders(v + 1, l, m, s, t, run, y);
            find_holders(right_child(v, l, m), m, r, s, t, run, y);
        }
    }

    // An entry that begins: the runs it lies under from its first row on.
    void ask_open(uint32_t e) {
        const auto [a, b] = leaf_range(e);
        for (auto it = std::prev(runs_.upper_bound(a)); it != runs_.end() && it->first < b; ++it) {
            if (it->second.winner < e) {
                add_under(&it->second, e);
            }
        }
    }

    const std::vector<map_entry>& entries_;
    uint32_t count_;  // entries taken part; the screen is entry count_
    const map_entry* screen_;
    map_entry frame_;
    size_t budget_;
    bool want_overlaps_;
    map_analysis* out_;
    std::vector<int32_t> xs_;
    std::vector<std::pair<uint32_t, uint32_t>> ranges_;  // leaves [first, second) of each entry
    uint32_t leaves_ = 0;
    std::vector<node> tree_;
    std::vector<char> dead_;
    std::vector<uint32_t> stamp_;
    uint32_t query_ = 0;
    std::vector<uint64_t> label_area_;
    std::map<uint32_t, open_run> runs_;  // by first leaf
    std::vector<uint32_t> created_;
    std::vector<run_shape> shapes_;
    std::vector<char> kept_;
    std::vector<char> labelled_;
    size_t work_ = 0;
};

bool try_analysis(const std::vector<map_entry>& entries, size_t count, const map_entry* screen,
                  const map_entry& frame, const analysis_limits& limits, map_analysis* a) {
    *a = map_analysis{};
    sweep s(entries, count, screen, frame, limits, a);
    if (!s.run()) {
        return false;
    }
    a->analysed = count;
    a->coverage = screen != nullptr;
    std::sort(a->gaps.begin(), a->gaps.end(), [](const map_entry& p, const map_entry& q) {
        return p.y1 != q.y1 ? p.y1 < q.y1 : p.x1 < q.x1;
    });
    std::sort(a->taken.begin(), a->taken.end(), [](const taking& p, const taking& q) {
        return p.entry != q.entry ? p.entry < q.entry : p.earlier < q.earlier;
    });
    std::vector<taking> merged;
    for (const taking& t : a->taken) {
        if (!merged.empty() && merged.back().entry == t.entry &&
            merged.back().earlier == t.earlier) {
            merged.back().points += t.points;
        } else {
            merged.push_back(t);
        }
    }
    a->taken = std::move(merged);
    a->taken_start.assign(entries.size() + 1, a->taken.size());
    for (size_t k = a->taken.size(); k-- > 0;) {
        a->taken_start[a->taken[k].entry] = k;
    }
    for (size_t e = entries.size(); e-- > 0;) {
        a->taken_start[e] = std::min(a->taken_start[e], a->taken_start[e + 1]);
    }
    return true;
}

}  // namespace

map_analysis analyse_entries(const std::vector<map_entry>& entries, const map_entry* screen,
                             const map_entry& frame, const analysis_limits& limits) {
    map_analysis a;
    if (try_analysis(entries, entries.size(), screen, frame, limits, &a) ||
        try_analysis(entries, entries.size(), nullptr, frame, limits, &a)) {
        return a;
    }
    // Entries that cross one another everywhere: the longest beginning of
    // the file that fits, halving.
    for (size_t count = entries.size() / 2; count > 0; count /= 2) {
        if (try_analysis(entries, count, nullptr, frame, limits, &a)) {
            return a;
        }
    }
    a = map_analysis{};
    a.won.assign(entries.size(), 0);
    a.label.assign(entries.size(), map_entry{});
    a.taken_start.assign(entries.size() + 1, 0);
    return a;
}

// --- The view of a map that check and svg share. ---

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
