// SPDX-License-Identifier: MIT
// zentu-map check: every piece of the file as zentu reads it, in plain
// words, and warnings for what will surprise the map's author.
#include <algorithm>
#include <iterator>

#include "zentu_map.h"

namespace {

std::vector<std::string> split_fields(const std::string& text) {
    std::vector<std::string> fields;
    size_t p = 0;
    while ((p = text.find_first_not_of(' ', p)) != std::string::npos) {
        const size_t end = text.find(' ', p);
        fields.push_back(text.substr(p, end == std::string::npos ? end : end - p));
        p = end;
    }
    return fields;
}

// A tab or carriage return between two other characters of one field: the
// author most likely meant it to separate two fields.
std::string join_hint(const std::string& field, size_t number) {
    std::string f = field;
    while (!f.empty() && (f.back() == '\n' || f.back() == '\r' || f.back() == '\t')) {
        f.pop_back();
    }
    const size_t start = f.find_first_not_of("\t\r");
    const size_t join = f.find_first_of("\t\r", start == std::string::npos ? f.size() : start);
    if (join == std::string::npos) {
        return {};
    }
    const char* what = f[join] == '\t' ? "a tab" : "a carriage return";
    return std::string(what) + " joins field " + std::to_string(number) + " " + quote_bytes(f) +
           " (only a space separates fields)";
}

// Digits after an optional sign, in the base the prefix chooses, all of
// them read: what zentu reads from the field is what it says.
bool is_whole_number(const std::string& f) {
    size_t p = f[0] == '+' || f[0] == '-' ? 1 : 0;
    const bool hex = f.compare(p, 2, "0x") == 0 || f.compare(p, 2, "0X") == 0;
    const char* digits = hex ? "0123456789abcdefABCDEF" : f[p] == '0' ? "01234567" : "0123456789";
    p += hex ? 2 : 0;
    return p < f.size() && f.find_first_not_of(digits, p) == std::string::npos;
}

// Text of the piece as zentu sees it: up to the first NUL byte.
std::string piece_text(const map_line& m) {
    return m.raw.substr(0, m.raw.find('\0'));
}

// Hints for tabs or carriage returns that join two fields into one, for
// the first max_fields fields of the piece's text.
std::vector<std::string> join_hints(const std::string& text, size_t max_fields) {
    std::vector<std::string> hints;
    const std::vector<std::string> fields = split_fields(text);
    for (size_t i = 0; i < fields.size() && i < max_fields; ++i) {
        std::string hint = join_hint(fields[i], i + 1);
        if (!hint.empty()) {
            hints.push_back(hint);
        }
    }
    return hints;
}

// Warnings for the number fields of an entry's text that are not digits
// after an optional sign ("1O0", a byte-order mark before "-1"), saying
// what zentu reads from them.
std::vector<std::string> number_hints(const std::string& text, const map_entry& e) {
    const int32_t read[] = {e.x1, e.y1, e.x2, e.y2, e.value};
    std::vector<std::string> hints;
    const std::vector<std::string> fields = split_fields(text);
    for (size_t i = 0; i < fields.size() && i < std::size(read); ++i) {
        // A tab or carriage return has a hint of its own.
        if (fields[i].find_first_of("\t\r") == std::string::npos && !is_whole_number(fields[i])) {
            hints.push_back("field " + std::to_string(i + 1) + " " + quote_bytes(fields[i]) +
                            " is not a whole number: zentu reads it as " + std::to_string(read[i]));
        }
    }
    return hints;
}

// Whether the skipped line is one zentu skips by design: a comment or a
// blank line, without a NUL byte.
bool skip_is_intended(const map_line& m) {
    const std::string text = piece_text(m);
    if (text.size() < m.raw.size()) {
        return false;  // a NUL byte: whatever follows it was meant to be read
    }
    const size_t p = text.find_first_not_of(" \t");
    if (p == std::string::npos || text[p] == '#') {
        return true;
    }
    const std::string rest = text.substr(p);
    return rest == "\n" || rest == "\r\n";
}

std::string text_skip_reason(const std::string& text) {
    const size_t p = text.find_first_not_of(" \t");
    if (p != std::string::npos && text[p] == '#') {
        return "comment";
    }
    const std::string rest = p == std::string::npos ? std::string() : text.substr(p);
    if (rest.empty() || rest == "\n" || rest == "\r\n") {
        return "blank";
    }
    std::string reason =
        "fewer than six fields (" + std::to_string(split_fields(rest).size()) + ")";
    for (const std::string& hint : join_hints(rest, SIZE_MAX)) {
        reason += "; " + hint;
    }
    return reason;
}

// Plain-words reason why zentu skips the line (result MAPLINE_SKIPPED).
std::string skip_reason(const map_line& m) {
    const std::string text = piece_text(m);
    std::string reason = text_skip_reason(text);
    if (text.size() < m.raw.size()) {
        reason += "; text after a NUL byte ignored (" + std::to_string(m.raw.size() - text.size()) +
                  " bytes from the NUL on)";
    }
    if (m.piece == 1) {
        return reason;
    }
    return "a piece of a line longer than " + std::to_string(MAP_LINE_SIZE - 1) +
           " characters, read as a line of its own (" + reason + ")";
}

// Beyond these, a report would be too long to read: the rest is counted.
constexpr size_t SHOWN_HIDERS = 100;
constexpr size_t SHOWN_GAPS = 100;

std::string line_ref(const map_line& m) {
    std::string s = "line " + std::to_string(m.line);
    return m.pieces > 1 ? s + ", piece " + std::to_string(m.piece) : s;
}

std::string value_problem(int32_t value) {
    const uint32_t status = exit_status(value);
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

void add_overlaps(const std::vector<map_line>& lines, const map_view& v, size_t e,
                  std::vector<std::string>* w) {
    const map_entry& me = v.entries[e];
    if (box_empty(me)) {
        w->push_back(std::string("empty rectangle (") + (me.x1 >= me.x2 ? "x1 >= x2" : "y1 >= y2") +
                     "): no tap is ever inside it");
        return;
    }
    const map_analysis& a = v.analysis;
    if (e >= a.analysed) {
        return;
    }
    const bool hidden = a.won[e] == 0;
    std::string hiders;
    size_t more = 0;
    uint64_t more_points = 0;
    for (size_t k = a.taken_start[e]; k < a.taken_start[e + 1]; ++k) {
        const taking& t = a.taken[k];
        if (k - a.taken_start[e] >= SHOWN_HIDERS) {
            ++more;
            more_points += t.points;
            continue;
        }
        const std::string other = line_ref(lines[v.entry_line[t.earlier]]);
        hiders += (hiders.empty() ? "" : ", ") + other;
        if (!hidden) {
            w->push_back("partly overlaps " + other + " on " +
                         describe_box(box_intersection(v.entries[t.earlier], me)) + ", where " +
                         other + " comes first and takes " + std::to_string(t.points) + " of " +
                         std::to_string(box_points(me)) + " points");
        }
    }
    if (hidden) {
        const std::string rest = more == 0 ? "" : " and " + std::to_string(more) + " more";
        w->push_back("wholly hidden by earlier entries (" + hiders + rest + "): no tap reaches it");
    } else if (more > 0) {
        w->push_back("partly overlaps " + std::to_string(more) +
                     " more earlier entries, which take " + std::to_string(more_points) + " of " +
                     std::to_string(box_points(me)) + " points");
    }
}

std::vector<std::string> entry_warnings(const std::vector<map_line>& lines, const map_view& v,
                                        size_t e) {
    std::vector<std::string> w;
    add_overlaps(lines, v, e, &w);
    const map_entry& me = v.entries[e];
    if (std::string p = value_problem(me.value); !p.empty()) {
        w.push_back(p);
    }
    if (me.character == '\n' || me.character == '\r') {
        w.push_back(std::string("the character is the ") +
                    (me.character == '\n' ? "newline" : "carriage return") +
                    " at the line's end: a space before it made it the sixth field");
    }
    const std::string text = piece_text(lines[v.entry_line[e]]);
    const std::vector<std::string> joins = join_hints(text, 5);
    for (const std::string& hint : joins) {
        w.push_back(hint + ", so the numbers after it are shifted");
    }
    // Fields shifted by a join are explained by it.
    if (joins.empty()) {
        const std::vector<std::string> numbers = number_hints(text, me);
        w.insert(w.end(), numbers.begin(), numbers.end());
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
           std::to_string(exit_status(e.value));
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
    const map_entry& box = v.frame;
    const std::string prefix = name + ": ";
    const char* what = s.is_screen ? "screen" : "area";
    out << prefix << describe_area(s) << ": the points " << s.x_min << " <= x <= " << s.x_max
        << ", " << s.y_min << " <= y <= " << s.y_max << " (as a map rectangle, "
        << describe_box(box) << ")\n";
    const map_analysis& a = v.analysis;
    if (!a.coverage) {
        out << prefix << "warning: the entries cross one another in too many places to list the "
            << "parts of the " << what << " that no entry holds\n";
        return 1;
    }
    if (a.gaps.empty()) {
        out << prefix << "every point of the " << what << " is in an entry\n";
    }
    bool edge = false;
    uint64_t more_points = 0;
    for (size_t k = 0; k < a.gaps.size(); ++k) {
        const map_entry& g = a.gaps[k];
        const uint64_t points = box_points(g);
        edge = edge || touches_low_edge(g, s);
        if (k >= SHOWN_GAPS) {
            more_points += points;
            continue;
        }
        out << prefix << "warning: no entry holds " << describe_box(g) << " (" << points
            << (points == 1 ? " point" : " points") << "): a tap there gives exit status 255\n";
    }
    int warnings = static_cast<int>(std::min(a.gaps.size(), SHOWN_GAPS));
    if (a.gaps.size() > SHOWN_GAPS) {
        out << prefix << "warning: no entry holds " << a.gaps.size() - SHOWN_GAPS
            << " more parts of the " << what << " (" << more_points
            << " points), not listed above: a tap there gives exit status 255\n";
        ++warnings;
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
    return warnings;
}

}  // namespace

int write_check(std::ostream& out, const std::string& name, const std::vector<map_line>& lines,
                const touch_area* screen) {
    const map_entry box = screen != nullptr ? area_box(*screen) : map_entry{};
    const map_view v = make_view(lines, screen != nullptr ? &box : nullptr, false);
    int warnings = 0;
    size_t e = 0;
    for (const map_line& m : lines) {
        std::string prefix = name + ":" + std::to_string(m.line);
        prefix += (m.pieces > 1 ? ", piece " + std::to_string(m.piece) : std::string()) + ": ";
        if (m.result == MAPLINE_ENTRY) {
            out << prefix << describe_entry(m.entry) << '\n';
            warnings += write_warnings(out, prefix, entry_warnings(lines, v, e++));
        } else if (skip_is_intended(m) || m.piece > 1) {
            out << prefix << "skipped: " << skip_reason(m) << '\n';
        } else {
            warnings += write_warnings(out, prefix, {"skipped: " + skip_reason(m)});
        }
        warnings += write_warnings(out, prefix, piece_warnings(m));
    }
    const size_t analysed = v.analysis.analysed;
    if (analysed < v.entries.size()) {
        warnings += write_warnings(
            out, name + ": ",
            {"the entries cross one another in too many places to follow: overlaps are reported " +
             (analysed == 0 ? std::string("for no entry")
                            : "up to " + line_ref(lines[v.entry_line[analysed - 1]]) + " only")});
    }
    if (v.entries.empty()) {
        warnings +=
            write_warnings(out, name + ": ", {"no entries: zentu answers every tap with 255"});
    }
    if (screen != nullptr) {
        warnings += write_screen(out, name, v, *screen);
    }
    out << name << ": " << v.entries.size() << (v.entries.size() == 1 ? " entry, " : " entries, ")
        << lines.size() - v.entries.size() << " skipped, " << warnings
        << (warnings == 1 ? " warning\n" : " warnings\n");
    return warnings;
}
