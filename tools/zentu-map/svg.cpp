// SPDX-License-Identifier: MIT
// zentu-map svg: the screen and every entry's rectangle, drawn so that the
// entry a tap reaches is the one on top.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "zentu_map.h"

namespace {

constexpr double DRAWING = 560;  // pixels along the longer side
constexpr double MARGIN = 20;
constexpr double LEGEND_LINE = 18;
constexpr double MIN_WIDTH = 480;  // room for the legend
const char* const COLOURS[] = {"#8ecae6", "#ffb703", "#90be6d", "#f4a6c6",
                               "#cdb4db", "#f9c74f", "#a8dadc", "#f8961e"};

std::string num(double v) {
    char s[32];
    snprintf(s, sizeof s, "%.1f", v);
    return s;
}

std::string xml_text(const std::string& text) {
    std::string s;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        s += ch == '&'                ? "&amp;"
             : ch == '<'              ? "&lt;"
             : ch == '>'              ? "&gt;"
             : ch == '"'              ? "&quot;"
             : (c < ' ' || c >= 0x7f) ? "?"
                                      : std::string(1, ch);
    }
    return s;
}

// Device units to pixels, for a frame in map terms.
struct canvas {
    map_entry frame{};
    double scale = 1;
    double left = MARGIN;  // more when the legend makes the picture wider
    [[nodiscard]] double px(int32_t x) const {
        return left + (std::clamp(x, frame.x1, frame.x2) - static_cast<double>(frame.x1)) * scale;
    }
    [[nodiscard]] double py(int32_t y) const {
        return MARGIN + (std::clamp(y, frame.y1, frame.y2) - static_cast<double>(frame.y1)) * scale;
    }
    [[nodiscard]] double width() const { return px(frame.x2) + left; }
    [[nodiscard]] double height() const { return py(frame.y2) + MARGIN; }
    // x, y, width and height attributes of a rectangle, clipped to the frame.
    [[nodiscard]] std::string rect(const map_entry& b) const {
        return "x=\"" + num(px(b.x1)) + "\" y=\"" + num(py(b.y1)) + "\" width=\"" +
               num(px(b.x2) - px(b.x1)) + "\" height=\"" + num(py(b.y2) - py(b.y1)) + "\"";
    }
};

canvas make_canvas(const map_entry& frame) {
    canvas c;
    c.frame = frame;
    const double longer = std::max(static_cast<double>(frame.x2) - frame.x1,
                                   static_cast<double>(frame.y2) - frame.y1);
    c.scale = DRAWING / longer;
    c.left =
        std::max(MARGIN, (MIN_WIDTH - (static_cast<double>(frame.x2) - frame.x1) * c.scale) / 2);
    return c;
}

// A file name as a relative URI reference: every byte but letters, digits,
// "-._~" and "/" percent-encoded, so that spaces, "#", "?", a ":" that would
// pass for a scheme, and UTF-8 all reach the viewer as the name's bytes.
std::string uri_reference(const char* name) {
    std::string s;
    for (const char* p = name; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (isalnum(c) != 0 || strchr("-._~/", c) != nullptr) {
            s += *p;
        } else {
            char hex[4];
            snprintf(hex, sizeof hex, "%%%02X", c);
            s += hex;
        }
    }
    return s;
}

struct picture {
    const std::vector<map_line>& lines;
    map_view v;
    canvas view;
    bool screen = false;
    const char* background = nullptr;  // the user's image under the keys
    [[nodiscard]] int line_of(size_t e) const { return lines[v.entry_line[e]].line; }
};

std::string label_character(unsigned char c) {
    return c > ' ' && c < 0x7f ? std::string(1, static_cast<char>(c)) : describe_character(c);
}

std::string label_value(int32_t value) {
    std::string s = "value " + std::to_string(value);
    return value >= 0 && value <= 255 ? s
                                      : s + " (status " + std::to_string(exit_status(value)) + ")";
}

void write_head(std::ostream& out, const picture& p, const std::string& name, int legend) {
    const double h = p.view.height() + legend * LEGEND_LINE;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << num(p.view.width())
        << "\" height=\"" << num(h) << "\" viewBox=\"0 0 " << num(p.view.width()) << ' ' << num(h)
        << "\" font-family=\"sans-serif\">\n"
        << "<title>zentu map " << xml_text(name.substr(name.find_last_of('/') + 1)) << "</title>\n"
        << "<defs>\n"
        << "<pattern id=\"overlap\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\" "
           "patternTransform=\"rotate(45)\"><rect width=\"3\" height=\"8\" fill=\"#333\" "
           "fill-opacity=\"0.45\"/></pattern>\n"
        << "<pattern id=\"uncovered\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
           "<path d=\"M0 0L8 8M8 0L0 8\" stroke=\"#d00000\" stroke-width=\"1.5\"/></pattern>\n"
        << "</defs>\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    const char* kind = p.screen ? "screen" : "area";
    out << "<rect class=\"" << kind << "\" " << p.view.rect(p.view.frame)
        << " fill=\"#f4f4f4\" stroke=\"#222\" stroke-width=\"2\"/>\n";
    if (p.background != nullptr) {
        const std::string href = uri_reference(p.background);
        out << "<image class=\"background\" href=\"" << href
            << "\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" xlink:href=\"" << href << "\" "
            << p.view.rect(p.view.frame) << " preserveAspectRatio=\"none\"/>\n";
    }
}

// Last entry first, so that each entry lies under every earlier one: what
// shows is what a tap there reaches.
void write_entries(std::ostream& out, const picture& p) {
    for (size_t e = p.v.entries.size(); e-- > 0;) {
        const map_entry& b = p.v.entries[e];
        if (box_empty(b)) {
            continue;
        }
        out << "<rect class=\"entry\" data-line=\"" << p.line_of(e) << "\" data-x1=\"" << b.x1
            << "\" data-y1=\"" << b.y1 << "\" data-x2=\"" << b.x2 << "\" data-y2=\"" << b.y2
            << "\" " << p.view.rect(b) << " fill=\"" << COLOURS[e % std::size(COLOURS)]
            << (p.background != nullptr ? "\" fill-opacity=\"0.35" : "")
            << "\" stroke=\"#222\" stroke-width=\"1.5\"><title>line " << p.line_of(e) << ": "
            << xml_text(describe_box(b)) << ", character "
            << xml_text(describe_character(b.character)) << ", " << label_value(b.value)
            << "</title></rect>\n";
    }
}

void write_cells(std::ostream& out, const picture& p) {
    for (const map_entry& b : p.v.analysis.overlaps) {
        out << "<rect class=\"overlap\" " << p.view.rect(b) << " fill=\"url(#overlap)\"/>\n";
    }
    for (const map_entry& b : p.v.analysis.gaps) {
        out << "<rect class=\"uncovered\" data-x1=\"" << b.x1 << "\" data-y1=\"" << b.y1
            << "\" data-x2=\"" << b.x2 << "\" data-y2=\"" << b.y2 << "\" " << p.view.rect(b)
            << " fill=\"url(#uncovered)\" stroke=\"#d00000\" stroke-width=\"2\"><title>no entry: "
            << xml_text(describe_box(b)) << "</title></rect>\n";
    }
}

// Where an entry's label goes: its whole rectangle when it wins all of it,
// otherwise the largest rectangle it wins. Past the entries analysed, its
// whole rectangle too.
map_entry label_box(const picture& p, size_t e) {
    const map_entry& b = p.v.entries[e];
    const bool whole = e >= p.v.analysis.analysed || p.v.analysis.won[e] == box_points(b);
    return whole ? b : p.v.analysis.label[e];
}

void write_label(std::ostream& out, const picture& p, size_t e) {
    const map_entry b = label_box(p, e);
    const double w = p.view.px(b.x2) - p.view.px(b.x1);
    const double h = p.view.py(b.y2) - p.view.py(b.y1);
    const double big = std::clamp(std::min(w, h) * 0.45, 7.0, 40.0);
    const double small = std::clamp(big * 0.4, 7.0, 14.0);
    const double cx = p.view.px(b.x1) + w / 2;
    const double cy = p.view.py(b.y1) + h / 2;
    out << "<text class=\"label\" data-line=\"" << p.line_of(e) << "\" x=\"" << num(cx) << "\" y=\""
        << num(cy) << "\" text-anchor=\"middle\" font-size=\"" << num(big) << "\">"
        << xml_text(label_character(p.v.entries[e].character)) << "</text>\n"
        << "<text class=\"value\" x=\"" << num(cx) << "\" y=\"" << num(cy + small * 1.4)
        << "\" text-anchor=\"middle\" font-size=\"" << num(small) << "\">"
        << label_value(p.v.entries[e].value) << "</text>\n";
}

void write_hidden(std::ostream& out, const picture& p, size_t e) {
    out << "<rect class=\"hidden\" data-line=\"" << p.line_of(e) << "\" "
        << p.view.rect(p.v.entries[e])
        << " fill=\"none\" stroke=\"#222\" stroke-width=\"1.5\" stroke-dasharray=\"6 4\"/>\n";
}

// Whether no tap reaches the entry, as far as the analysis went.
bool unreached(const picture& p, size_t e) {
    return e < p.v.analysis.analysed && p.v.analysis.won[e] == 0;
}

// Beyond this many, a legend line names no more entries but counts them.
constexpr size_t LISTED = 100;

std::string entry_list(const picture& p, bool hidden) {
    std::string s;
    size_t listed = 0;
    for (size_t e = 0; e < p.v.entries.size(); ++e) {
        const bool empty = box_empty(p.v.entries[e]);
        if (hidden ? empty || !unreached(p, e) : !empty) {
            continue;
        }
        if (listed++ < LISTED) {
            s += (s.empty() ? "" : ", ") + std::string("line ") + std::to_string(p.line_of(e)) +
                 " (" + label_character(p.v.entries[e].character) + ")";
        }
    }
    return listed > LISTED ? s + " and " + std::to_string(listed - LISTED) + " more" : s;
}

std::vector<std::string> legend(const picture& p) {
    const map_analysis& a = p.v.analysis;
    const size_t n = p.v.entries.size();
    std::vector<std::string> l;
    l.push_back(std::to_string(n) + (n == 1 ? " entry" : " entries"));
    if (!a.overlaps.empty()) {
        l.push_back("hatched: held by more than one entry; the first in the file wins there");
    }
    if (const std::string hidden = entry_list(p, true); !hidden.empty()) {
        l.push_back("dashed: hidden by earlier entries, no tap reaches them: " + hidden);
    }
    if (const std::string empty = entry_list(p, false); !empty.empty()) {
        l.push_back("empty rectangles, not drawn: " + empty);
    }
    if (a.analysed < n) {
        l.push_back(
            "the entries cross one another in too many places to follow: overlaps are "
            "shown for the first " +
            std::to_string(a.analysed) + " entries only");
    }
    if (p.screen && !a.coverage) {
        l.push_back("the parts of the screen that no entry holds are too many to find");
    } else if (p.screen && !a.gaps.empty()) {
        l.push_back("red: held by no entry; a tap there gives exit status 255");
    } else if (p.screen) {
        l.push_back("every point of the screen is in an entry");
    }
    return l;
}

// Breaks the legend into lines that fit the picture's width.
std::vector<std::string> wrap(const std::vector<std::string>& notes, double width) {
    const auto limit = static_cast<size_t>((width - 2 * MARGIN) / 6.8);
    std::vector<std::string> lines;
    for (const std::string& note : notes) {
        size_t from = 0;
        while (note.size() - from > limit) {
            size_t cut = note.rfind(' ', from + limit);
            cut = cut == std::string::npos || cut <= from ? from + limit : cut;
            lines.push_back(note.substr(from, cut - from));
            from = cut + (note[cut] == ' ' ? 1 : 0);
        }
        lines.push_back(note.substr(from));
    }
    return lines;
}

}  // namespace

void write_svg(std::ostream& out, const std::string& name, const std::vector<map_line>& lines,
               const touch_area* screen, const char* background) {
    const map_entry box = screen != nullptr ? area_box(*screen) : map_entry{};
    picture p{
        lines, make_view(lines, screen != nullptr ? &box : nullptr, true), {}, screen != nullptr};
    p.background = background;
    p.view = make_canvas(p.v.frame);
    const std::vector<std::string> notes = wrap(legend(p), p.view.width());
    write_head(out, p, name, static_cast<int>(notes.size()));
    write_entries(out, p);
    write_cells(out, p);
    for (size_t e = 0; e < p.v.entries.size(); ++e) {
        if (box_empty(p.v.entries[e])) {
            continue;
        }
        if (unreached(p, e)) {
            write_hidden(out, p, e);
        } else {
            write_label(out, p, e);
        }
    }
    for (size_t k = 0; k < notes.size(); ++k) {
        out << "<text class=\"legend\" x=\"" << num(MARGIN) << "\" y=\""
            << num(p.view.height() + static_cast<double>(k) * LEGEND_LINE + 4)
            << "\" font-size=\"12\">" << xml_text(notes[k]) << "</text>\n";
    }
    out << "</svg>\n";
}
