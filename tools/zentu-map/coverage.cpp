// Rectangles and coverage. The grid is made of every entry's edges, so each
// cell lies wholly inside or wholly outside every entry, and one point per
// cell tells for all of its points which entries hold them.
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

map_entry coverage::cell_box(size_t i, size_t j) const {
    map_entry b{};
    b.x1 = xs[i];
    b.x2 = xs[i + 1];
    b.y1 = ys[j];
    b.y2 = ys[j + 1];
    return b;
}

namespace {

void add_edges(const map_entry& b, coverage* c) {
    c->xs.push_back(b.x1);
    c->xs.push_back(b.x2);
    c->ys.push_back(b.y1);
    c->ys.push_back(b.y2);
}

void sort_unique(std::vector<int32_t>* v) {
    std::sort(v->begin(), v->end());
    v->erase(std::unique(v->begin(), v->end()), v->end());
    if (v->size() < 2) {
        v->assign({0, 0});  // no cells at all, but columns() stays sound
    }
}

}  // namespace

coverage compute_coverage(const std::vector<map_entry>& entries, const map_entry* screen) {
    coverage c;
    for (const map_entry& e : entries) {
        if (!box_empty(e)) {
            add_edges(e, &c);
        }
    }
    if (screen != nullptr) {
        add_edges(*screen, &c);
    }
    sort_unique(&c.xs);
    sort_unique(&c.ys);
    c.winner.assign(c.columns() * c.rows(), -1);
    c.holders.assign(c.columns() * c.rows(), 0);
    for (size_t j = 0; j < c.rows(); ++j) {
        for (size_t i = 0; i < c.columns(); ++i) {
            const size_t k = c.cell(i, j);
            for (size_t e = 0; e < entries.size(); ++e) {
                if (entry_holds(entries[e], c.xs[i + 1], c.ys[j + 1])) {
                    c.winner[k] = c.holders[k]++ == 0 ? static_cast<int>(e) : c.winner[k];
                }
            }
        }
    }
    return c;
}

std::vector<uint64_t> won_points(const coverage& c, size_t entry_count) {
    std::vector<uint64_t> won(entry_count, 0);
    for (size_t j = 0; j < c.rows(); ++j) {
        for (size_t i = 0; i < c.columns(); ++i) {
            const int w = c.winner[c.cell(i, j)];
            if (w >= 0) {
                won[static_cast<size_t>(w)] += box_points(c.cell_box(i, j));
            }
        }
    }
    return won;
}

namespace {

// Extends a rectangle of the row above when it spans the same columns.
void merge_run(std::vector<map_entry>* boxes, map_entry run) {
    for (map_entry& b : *boxes) {
        if (b.x1 == run.x1 && b.x2 == run.x2 && b.y2 == run.y1) {
            b.y2 = run.y2;
            return;
        }
    }
    boxes->push_back(run);
}

bool cell_uncovered(const coverage& c, const map_entry& screen, size_t i, size_t j) {
    return c.holders[c.cell(i, j)] == 0 && entry_holds(screen, c.xs[i + 1], c.ys[j + 1]);
}

}  // namespace

std::vector<map_entry> uncovered_boxes(const coverage& c, const map_entry& screen) {
    std::vector<map_entry> boxes;
    for (size_t j = 0; j < c.rows(); ++j) {
        for (size_t i = 0; i < c.columns(); ++i) {
            if (!cell_uncovered(c, screen, i, j)) {
                continue;
            }
            map_entry run = c.cell_box(i, j);
            while (i + 1 < c.columns() && cell_uncovered(c, screen, i + 1, j)) {
                run.x2 = c.xs[++i + 1];
            }
            merge_run(&boxes, run);
        }
    }
    return boxes;
}
