// zentu-map check: every piece of the file as zentu reads it, and warnings
// for what will surprise the map's author.
#include "zentu_map.h"

namespace {

struct map_view {
    const std::vector<map_line>& lines;
    std::vector<map_entry> entries;  // in file order
    std::vector<size_t> entry_line;  // index into lines for each entry
    coverage grid;
    std::vector<uint64_t> won;
};

std::string line_ref(const map_line& m) {
    std::string s = "line " + std::to_string(m.line);
    return m.pieces > 1 ? s + ", piece " + std::to_string(m.piece) : s;
}

std::string value_problem(int32_t value) {
    const int status = static_cast<int>(static_cast<uint32_t>(value) & 255U);
    std::string s;
    if (value < 0 || value > 255) {
        s = "value " + std::to_string(value) +
            " is outside 0 to 255: the caller sees exit status " + std::to_string(status);
    }
    const char* same = status == 0     ? "success"
                       : status == 254 ? "an error"
                       : status == 255 ? "a timeout or a tap that no entry holds"
                                       : nullptr;
    if (same != nullptr) {
        s += (s.empty() ? "" : "; ") + std::string("exit status ") + std::to_string(status) +
             " is also the one for " + same;
    }
    return s;
}

// How many of entry e's points each earlier entry takes: the points of e's
// cells that it wins.
std::vector<uint64_t> taken_from(const map_view& v, size_t e) {
    std::vector<uint64_t> taken(e, 0);
    const coverage& g = v.grid;
    for (size_t j = 0; j < g.rows(); ++j) {
        for (size_t i = 0; i < g.columns(); ++i) {
            const int w = g.winner[g.cell(i, j)];
            if (w >= 0 && static_cast<size_t>(w) < e &&
                entry_holds(v.entries[e], g.xs[i + 1], g.ys[j + 1])) {
                taken[static_cast<size_t>(w)] += box_points(g.cell_box(i, j));
            }
        }
    }
    return taken;
}

void add_overlaps(const map_view& v, size_t e, std::vector<std::string>* w) {
    const map_entry& me = v.entries[e];
    if (box_empty(me)) {
        w->push_back(std::string("empty rectangle (") + (me.x1 >= me.x2 ? "x1 >= x2" : "y1 >= y2") +
                     "): no tap is ever inside it");
        return;
    }
    const std::vector<uint64_t> taken = taken_from(v, e);
    std::string hiders;
    for (size_t i = 0; i < e; ++i) {
        if (taken[i] == 0) {
            continue;
        }
        const std::string other = line_ref(v.lines[v.entry_line[i]]);
        hiders += (hiders.empty() ? "" : ", ") + other;
        if (v.won[e] > 0) {
            w->push_back("partly overlaps " + other + " on " +
                         describe_box(box_intersection(v.entries[i], me)) + ", where " + other +
                         " comes first and takes " + std::to_string(taken[i]) + " of " +
                         std::to_string(box_points(me)) + " points");
        }
    }
    if (v.won[e] == 0) {
        w->push_back("wholly hidden by earlier entries (" + hiders + "): no tap reaches it");
    }
}

std::vector<std::string> entry_warnings(const map_view& v, size_t e) {
    std::vector<std::string> w;
    add_overlaps(v, e, &w);
    const map_entry& me = v.entries[e];
    if (std::string p = value_problem(me.value); !p.empty()) {
        w.push_back(p);
    }
    if (me.character == '\n' || me.character == '\r') {
        w.push_back(std::string("the character is the ") +
                    (me.character == '\n' ? "newline" : "carriage return") +
                    " at the line's end: a space before it made it the sixth field");
    }
    for (const std::string& hint : join_hints(piece_text(v.lines[v.entry_line[e]]), 5)) {
        w.push_back(hint + ", so the numbers after it are shifted");
    }
    return w;
}

// Warnings any piece can have; a skipped line tells of its NUL byte in
// its reason.
std::vector<std::string> piece_warnings(const map_line& m) {
    std::vector<std::string> w;
    if (m.pieces > 1 && m.piece == 1) {
        w.push_back("line longer than " + std::to_string(MAP_LINE_SIZE - 1) +
                    " characters: zentu reads it as " + std::to_string(m.pieces) +
                    " pieces, each a line of its own");
    }
    const size_t nul = m.raw.find('\0');
    if (nul != std::string::npos && m.result == MAPLINE_ENTRY) {
        w.push_back("a NUL byte ends the text: zentu ignores the " +
                    std::to_string(m.raw.size() - nul) + " bytes from it to the end of the piece");
    }
    return w;
}

std::string describe_entry(const map_entry& e) {
    return "entry " + describe_box(e) + ": character " + describe_character(e.character) +
           ", value " + std::to_string(e.value) + ", exit status " +
           std::to_string(static_cast<uint32_t>(e.value) & 255U);
}

map_view make_view(const std::vector<map_line>& lines, const map_entry* screen) {
    map_view v{lines, {}, {}, {}, {}};
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].result == MAPLINE_ENTRY) {
            v.entries.push_back(lines[i].entry);
            v.entry_line.push_back(i);
        }
    }
    v.grid = compute_coverage(v.entries, screen);
    v.won = won_points(v.grid, v.entries.size());
    return v;
}

int write_warnings(std::ostream& out, const std::string& prefix,
                   const std::vector<std::string>& warnings) {
    for (const std::string& w : warnings) {
        out << prefix << "warning: " << w << '\n';
    }
    return static_cast<int>(warnings.size());
}

bool touches_low_edge(const map_entry& b, const touch_area& a) {
    return (b.x1 == a.x_min - 1 && b.x2 == a.x_min) || (b.y1 == a.y_min - 1 && b.y2 == a.y_min);
}

int write_screen(std::ostream& out, const std::string& name, const map_view& v,
                 const touch_area& s) {
    const map_entry box = area_box(s);
    const std::string prefix = name + ": ";
    const char* what = s.is_screen ? "screen" : "area";
    out << prefix << describe_area(s) << ": the points " << s.x_min << " <= x <= " << s.x_max
        << ", " << s.y_min << " <= y <= " << s.y_max << " (as a map rectangle, "
        << describe_box(box) << ")\n";
    const std::vector<map_entry> gaps = uncovered_boxes(v.grid, box);
    if (gaps.empty()) {
        out << prefix << "every point of the " << what << " is in an entry\n";
    }
    bool edge = false;
    for (const map_entry& g : gaps) {
        out << prefix << "warning: no entry holds " << describe_box(g) << " (" << box_points(g)
            << (box_points(g) == 1 ? " point" : " points")
            << "): a tap there gives exit status 255\n";
        edge = edge || touches_low_edge(g, s);
    }
    if (edge) {
        out << prefix
            << "note: the lower bounds are exclusive, so an entry that is to reach x = " << s.x_min
            << " or y = " << s.y_min << " needs "
            << (box.x1 == box.y1
                    ? "x1 or y1 of " + std::to_string(box.x1)
                    : "x1 of " + std::to_string(box.x1) + " or y1 of " + std::to_string(box.y1))
            << "\n";
    }
    return static_cast<int>(gaps.size());
}

}  // namespace

int write_check(std::ostream& out, const std::string& name, const std::vector<map_line>& lines,
                const touch_area* screen) {
    const map_entry box = screen != nullptr ? area_box(*screen) : map_entry{};
    const map_view v = make_view(lines, screen != nullptr ? &box : nullptr);
    int warnings = 0;
    size_t e = 0;
    for (const map_line& m : lines) {
        std::string prefix = name + ":" + std::to_string(m.line);
        prefix += (m.pieces > 1 ? ", piece " + std::to_string(m.piece) : std::string()) + ": ";
        if (m.result == MAPLINE_ENTRY) {
            out << prefix << describe_entry(m.entry) << '\n';
            warnings += write_warnings(out, prefix, entry_warnings(v, e++));
        } else if (skip_is_intended(m) || m.piece > 1) {
            out << prefix << "skipped: " << skip_reason(m) << '\n';
        } else {
            warnings += write_warnings(out, prefix, {"skipped: " + skip_reason(m)});
        }
        warnings += write_warnings(out, prefix, piece_warnings(m));
    }
    if (screen != nullptr) {
        warnings += write_screen(out, name, v, *screen);
    }
    out << name << ": " << v.entries.size() << (v.entries.size() == 1 ? " entry, " : " entries, ")
        << lines.size() - v.entries.size() << " skipped, " << warnings
        << (warnings == 1 ? " warning\n" : " warnings\n");
    return warnings;
}
