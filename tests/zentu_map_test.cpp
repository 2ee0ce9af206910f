// zentu-map: what check reports for maps made to trip each warning, the
// exact coverage grid against a point-by-point count, and the built tool on
// the example maps, its SVG checked for well-formed XML.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "zentu_map.h"

namespace {

std::vector<map_line> read_text(const std::string& text) {
    std::vector<map_line> lines;
    FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    EXPECT_NE(f, nullptr);
    EXPECT_TRUE(read_map_lines(f, &lines));
    fclose(f);
    return lines;
}

struct report {
    std::string text;
    int warnings;
};

report check_text(const std::string& map, const touch_area* screen = nullptr) {
    std::ostringstream out;
    const int warnings = write_check(out, "m", read_text(map), screen);
    return {out.str(), warnings};
}

struct check_case {
    const char* name;
    std::string map;
    int warnings;
    std::vector<std::string> expected;  // report lines that must appear
};

void PrintTo(const check_case& c, std::ostream* os) {
    *os << c.name;
}

class CheckCase : public testing::TestWithParam<check_case> {};

TEST_P(CheckCase, ReportsWhatZentuReads) {
    const check_case& c = GetParam();
    const report r = check_text(c.map);
    EXPECT_EQ(r.warnings, c.warnings) << r.text;
    for (const std::string& line : c.expected) {
        EXPECT_NE(r.text.find(line + "\n"), std::string::npos) << "missing: " << line << "\n"
                                                               << r.text;
    }
}

const std::string kLong199 = "#" + std::string(198, 'x');  // one full piece

INSTANTIATE_TEST_SUITE_P(
    Maps, CheckCase,
    testing::Values(
        check_case{"Clean",
                   "# keys\n\n   \n\t\n-1 -1 10 10 1 a\n10 -1 20 10 2 b\r\n",
                   0,
                   {"m:1: skipped: comment", "m:2: skipped: blank", "m:3: skipped: blank",
                    "m:4: skipped: blank",
                    "m:5: entry -1 < x <= 10, -1 < y <= 10: character 'a', value 1, exit status 1",
                    "m:6: entry 10 < x <= 20, -1 < y <= 10: character 'b', value 2, exit status 2",
                    "m: 2 entries, 4 skipped, 0 warnings"}},
        check_case{"TabJoinsFields",
                   "0\t0 10 10 5 A\n",
                   1,
                   {"m:1: warning: skipped: fewer than six fields (5); a tab joins field 1 "
                    "\"0\\t0\" (only a space separates fields)"}},
        check_case{"CarriageReturnJoinsFields",
                   "0 0 10 10\r5 A\n",
                   1,
                   {"m:1: warning: skipped: fewer than six fields (5); a carriage return joins "
                    "field 4 \"10\\r5\" (only a space separates fields)"}},
        check_case{"TabShiftsTheFields",
                   "0\t0 10 10 5 A B\n",
                   3,
                   {"m:1: entry 0 < x <= 10, 10 < y <= 5: character 'B', value 0, exit status 0",
                    "m:1: warning: empty rectangle (y1 >= y2): no tap is ever inside it",
                    "m:1: warning: exit status 0 is also the one for success",
                    "m:1: warning: a tab joins field 1 \"0\\t0\" (only a space separates "
                    "fields), so the numbers after it are shifted"}},
        check_case{"TrailingSpace",
                   "0 0 10 10 5 \n",
                   1,
                   {"m:1: entry 0 < x <= 10, 0 < y <= 10: character code 10 (newline), value 5, "
                    "exit status 5",
                    "m:1: warning: the character is the newline at the line's end: a space "
                    "before it made it the sixth field"}},
        check_case{"Values",
                   "0 0 1 1 256 a\n1 0 2 1 254 b\n2 0 3 1 -1 c\n3 0 4 1 300 d\n4 0 5 1 255 e\n",
                   5,
                   {"m:1: warning: value 256 is outside 0 to 255: the caller sees exit status 0; "
                    "exit status 0 is also the one for success",
                    "m:2: warning: exit status 254 is also the one for an error",
                    "m:3: warning: value -1 is outside 0 to 255: the caller sees exit status 255; "
                    "exit status 255 is also the one for a timeout or a tap that no entry holds",
                    "m:4: warning: value 300 is outside 0 to 255: the caller sees exit status 44",
                    "m:5: warning: exit status 255 is also the one for a timeout or a tap that no "
                    "entry holds"}},
        check_case{"Overlaps",
                   "0 0 100 100 1 a\n10 10 50 50 2 b\n50 50 150 150 3 c\n0 0 200 200 4 d\n",
                   4,
                   {"m:2: warning: wholly hidden by earlier entries (line 1): no tap reaches it",
                    "m:3: warning: partly overlaps line 1 on 50 < x <= 100, 50 < y <= 100, where "
                    "line 1 comes first and takes 2500 of 10000 points",
                    "m:4: warning: partly overlaps line 1 on 0 < x <= 100, 0 < y <= 100, where "
                    "line 1 comes first and takes 10000 of 40000 points",
                    // line 2 takes nothing of it: line 1 has all of line 2's points
                    "m:4: warning: partly overlaps line 3 on 50 < x <= 150, 50 < y <= 150, where "
                    "line 3 comes first and takes 7500 of 40000 points"}},
        check_case{"HiddenByTwo",
                   "0 0 10 10 1 a\n10 0 20 10 2 b\n5 0 15 10 3 c\n",
                   1,
                   {"m:3: warning: wholly hidden by earlier entries (line 1, line 2): no tap "
                    "reaches it"}},
        check_case{"SharedEdgeIsNoOverlap", "0 0 10 10 1 a\n10 0 20 10 2 b\n", 0, {}},
        check_case{"EmptyRectangles",
                   "10 0 10 5 1 a\n0 5 10 5 2 b\n",
                   2,
                   {"m:1: warning: empty rectangle (x1 >= x2): no tap is ever inside it",
                    "m:2: warning: empty rectangle (y1 >= y2): no tap is ever inside it"}},
        check_case{"NulByte",
                   std::string("0 0 10 10 5 a\0xyz\n", 18) + std::string("\0 0 0 10 10 5 b\n", 16),
                   2,
                   {"m:1: entry 0 < x <= 10, 0 < y <= 10: character 'a', value 5, exit status 5",
                    "m:1: warning: a NUL byte ends the text: zentu ignores the 5 bytes from it to "
                    "the end of the piece",
                    "m:2: warning: skipped: blank; text after a NUL byte ignored (16 bytes from "
                    "the NUL on)"}},
        check_case{"LongLineSecondPieceIsAnEntry",
                   kLong199 + "0 0 10 10 5 z\n1 1 2 2 6 y\n",
                   2,
                   {"m:1, piece 1: skipped: comment",
                    "m:1, piece 1: warning: line longer than 199 characters: zentu reads it as 2 "
                    "pieces, each a line of its own",
                    "m:1, piece 2: entry 0 < x <= 10, 0 < y <= 10: character 'z', value 5, exit "
                    "status 5",
                    "m:2: entry 1 < x <= 2, 1 < y <= 2: character 'y', value 6, exit status 6",
                    "m:2: warning: wholly hidden by earlier entries (line 1, piece 2): no tap "
                    "reaches it"}},
        check_case{"NewlineAfter199IsASecondPiece",
                   kLong199 + "\n",
                   1,
                   {"m:1, piece 2: skipped: a piece of a line longer than 199 characters, read "
                    "as a line of its own (blank)"}},
        check_case{"Exactly199AtEndOfFileIsOnePiece", kLong199, 0, {"m:1: skipped: comment"}},
        check_case{"TooFewFieldsWithoutHint",
                   "0 0 10 10 5\n",
                   1,
                   {"m:1: warning: skipped: fewer than six fields (5)"}}),
    [](const testing::TestParamInfo<check_case>& info) { return info.param.name; });

TEST(CheckScreen, ReportsEveryUncoveredPart) {
    const touch_area screen = screen_area(100, 100);
    const report r = check_text("0 0 100 100 1 a\n", &screen);
    EXPECT_EQ(r.warnings, 2) << r.text;
    EXPECT_NE(r.text.find("m: screen 100x100: the points 0 <= x <= 99, 0 <= y <= 99 (as a map "
                          "rectangle, -1 < x <= 99, -1 < y <= 99)\n"),
              std::string::npos)
        << r.text;
    // The lower bounds are exclusive: row y = 0 and column x = 0 stay free.
    EXPECT_NE(r.text.find("m: warning: no entry holds -1 < x <= 99, -1 < y <= 0 (100 points)"),
              std::string::npos)
        << r.text;
    EXPECT_NE(r.text.find("m: warning: no entry holds -1 < x <= 0, 0 < y <= 99 (99 points)"),
              std::string::npos)
        << r.text;
    EXPECT_NE(r.text.find("m: note: the lower bounds are exclusive"), std::string::npos);
}

TEST(CheckScreen, FullCoverHasNoWarning) {
    const touch_area screen = screen_area(20, 10);
    const report r = check_text("-1 -1 9 9 1 a\n9 -1 19 9 2 b\n", &screen);
    EXPECT_EQ(r.warnings, 0) << r.text;
    EXPECT_NE(r.text.find("m: every point of the screen is in an entry\n"), std::string::npos);
}

// Small maps from a fixed pseudo-random sequence, empty rectangles included.
std::vector<map_entry> random_map(unsigned* seed) {
    auto next = [seed](int range) {
        *seed = *seed * 1103515245U + 12345U;
        return static_cast<int32_t>((*seed >> 16) % static_cast<unsigned>(range));
    };
    std::vector<map_entry> entries(static_cast<size_t>(1 + next(8)));
    for (map_entry& e : entries) {
        e.x1 = next(40) - 3;
        e.y1 = next(30) - 3;
        e.x2 = e.x1 + next(25) - 2;
        e.y2 = e.y1 + next(20) - 2;
    }
    return entries;
}

int first_holder(const std::vector<map_entry>& entries, int32_t x, int32_t y) {
    for (size_t e = 0; e < entries.size(); ++e) {
        if (entry_holds(entries[e], x, y)) {
            return static_cast<int>(e);
        }
    }
    return -1;
}

// The grid's counts must equal a count of every single point.
TEST(Coverage, MatchesPointByPointCount) {
    unsigned seed = 7;
    const touch_area screen = screen_area(40, 30);
    const map_entry box = area_box(screen);
    for (int round = 0; round < 200; ++round) {
        const std::vector<map_entry> entries = random_map(&seed);
        const coverage grid = compute_coverage(entries, &box);
        const std::vector<uint64_t> won = won_points(grid, entries.size());
        std::vector<uint64_t> counted(entries.size(), 0);
        uint64_t free_points = 0;
        for (int32_t x = -10; x < 70; ++x) {
            for (int32_t y = -10; y < 60; ++y) {
                const int w = first_holder(entries, x, y);
                counted[static_cast<size_t>(w < 0 ? 0 : w)] += w < 0 ? 0 : 1;
                free_points += (w < 0 && entry_holds(box, x, y)) ? 1 : 0;
            }
        }
        ASSERT_EQ(won, counted) << "round " << round;
        uint64_t reported = 0;
        for (const map_entry& gap : uncovered_boxes(grid, box)) {
            reported += box_points(gap);
            // A gap lies in the screen and no entry holds its corner points.
            ASSERT_TRUE(entry_holds(box, gap.x1 + 1, gap.y1 + 1) &&
                        entry_holds(box, gap.x2, gap.y2));
            ASSERT_EQ(first_holder(entries, gap.x1 + 1, gap.y1 + 1), -1);
            ASSERT_EQ(first_holder(entries, gap.x2, gap.y2), -1);
        }
        ASSERT_EQ(reported, free_points) << "round " << round;
    }
}

TEST(Coverage, ExtremeBoundsDoNotOverflow) {
    map_entry all{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1, 'a'};
    EXPECT_EQ(box_points(all), 0xFFFFFFFFULL * 0xFFFFFFFFULL);
    const coverage grid = compute_coverage({all, all}, nullptr);
    EXPECT_EQ(won_points(grid, 2), (std::vector<uint64_t>{box_points(all), 0}));
}

// --- The built tool. ---

struct run_result {
    std::string out;
    int status;
};

run_result run_tool(const std::string& args) {
    const std::string command = std::string(ZENTU_MAP_BIN) + " " + args;
    FILE* p = popen(command.c_str(), "r");
    EXPECT_NE(p, nullptr);
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) {
        out.append(buffer, n);
    }
    const int w = pclose(p);
    return {out, WIFEXITED(w) ? WEXITSTATUS(w) : -1};
}

std::string example(const char* name) {
    return std::string(ZENTU_MAP_EXAMPLES) + "/" + name;
}

std::string temp_map(const std::string& text) {
    char path[] = "/tmp/zentu-map-test-XXXXXX";
    const int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fd);
    return path;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) {
        ++n;
    }
    return n;
}

TEST(ZentuMapTool, ChecksThePhoneKeypad) {
    const run_result r = run_tool("check " + example("phone.map") + " --screen 240x320");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(count(r.out, ": entry "), 12U) << r.out;
    EXPECT_NE(r.out.find(":9: entry -1 < x <= 79, -1 < y <= 79: character '1', value 1, exit "
                         "status 1\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("every point of the screen is in an entry\n"), std::string::npos);
    EXPECT_NE(r.out.find(": 12 entries, 8 skipped, 0 warnings\n"), std::string::npos) << r.out;
}

TEST(ZentuMapTool, YesNoDialogLeavesTheRestOfTheScreenFree) {
    EXPECT_EQ(run_tool("check " + example("yesno.map")).status, 0);
    const run_result r = run_tool("check " + example("yesno.map") + " --screen 800x480");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("warning: no entry holds 380 < x <= 420, 300 < y <= 420 (4800 points)"),
              std::string::npos)
        << r.out;
}

TEST(ZentuMapTool, ExitStatuses) {
    EXPECT_EQ(run_tool("check /nonexistent/zentu.map 2>/dev/null").status, 2);
    EXPECT_EQ(run_tool("check /tmp 2>/dev/null").status, 2);
    EXPECT_EQ(run_tool("check " + example("phone.map") + " --screen 0x320 2>/dev/null").status, 2);
    EXPECT_EQ(run_tool("draw " + example("phone.map") + " 2>/dev/null").status, 2);
    EXPECT_EQ(run_tool("svg /nonexistent/zentu.map 2>/dev/null").status, 2);
    EXPECT_EQ(run_tool("check " + example("phone.map") + " --area 0..9 2>/dev/null").status, 2);
    EXPECT_EQ(run_tool("grid --area 0..9x0..9 --cols 1 --rows 1 --keys ab 2>/dev/null").status, 2);
    const run_result grid =
        run_tool("grid --area 200..3900x200..3900 --cols 3 --rows 4 --keys '123456789*0#' | " +
                 std::string(ZENTU_MAP_BIN) + " check - --area 200..3900x200..3900");
    EXPECT_EQ(grid.status, 0) << grid.out;
    EXPECT_NE(grid.out.find("-: 12 entries, 1 skipped, 0 warnings\n"), std::string::npos)
        << grid.out;
    const std::string faulty = temp_map("0\t0 10 10 5 A\n");
    EXPECT_EQ(run_tool("check " + faulty).status, 1);
    EXPECT_EQ(run_tool("check - < " + faulty).status, 1);
    unlink(faulty.c_str());
}

// A small well-formedness check: balanced tags, quoted attributes, known
// entities, one root element.
bool well_formed(const std::string& xml, std::string* why) {
    std::vector<std::string> open;
    int roots = 0;
    for (size_t p = 0; p < xml.size(); ++p) {
        if (xml[p] == '&') {
            const size_t end = xml.find(';', p);
            const std::string entity = end == std::string::npos ? "" : xml.substr(p, end - p + 1);
            if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;") {
                return *why = "bad entity at " + std::to_string(p), false;
            }
        }
        if (xml[p] != '<') {
            continue;
        }
        const bool pi = xml.compare(p, 2, "<?") == 0;
        const size_t end = xml.find(pi ? "?>" : ">", p);
        if (end == std::string::npos) {
            return *why = "unclosed tag", false;
        }
        const std::string tag = xml.substr(p + 1, end - p - 1);
        p = end;
        if (pi) {
            continue;
        }
        if (count(tag, "\"") % 2 != 0 || tag.find('<') != std::string::npos) {
            return *why = "bad tag <" + tag + ">", false;
        }
        const std::string name = tag.substr(0, tag.find_first_of(" />", tag[0] == '/' ? 1 : 0));
        if (tag[0] == '/') {
            if (open.empty() || "/" + open.back() != name) {
                return *why = "</" + name + "> does not close " + (open.empty() ? "" : open.back()),
                       false;
            }
            open.pop_back();
        } else if (tag.back() != '/') {
            roots += open.empty() ? 1 : 0;
            open.push_back(name);
        }
    }
    *why = open.empty() ? "" : "unclosed <" + open.back() + ">";
    return open.empty() && roots == 1;
}

TEST(ZentuMapSvg, WellFormedCheckCatchesFaults) {
    std::string why;
    EXPECT_TRUE(well_formed("<?xml version=\"1.0\"?><a><b x=\"1\"/><c>&amp;</c></a>", &why)) << why;
    EXPECT_FALSE(well_formed("<a><b></a>", &why));
    EXPECT_FALSE(well_formed("<a x=\"1></a>", &why));
    EXPECT_FALSE(well_formed("<a>&</a>", &why));
    EXPECT_FALSE(well_formed("<a></a><b></b>", &why));
}

void expect_valid_svg(const std::string& svg) {
    std::string why;
    EXPECT_TRUE(well_formed(svg, &why)) << why;
    if (std::string(ZENTU_XMLLINT).empty()) {
        return;  // .ci/run installs xmllint; the check above still ran
    }
    const std::string file = temp_map(svg);
    EXPECT_EQ(system((std::string(ZENTU_XMLLINT) + " --noout " + file).c_str()), 0);
    unlink(file.c_str());
}

bool has_rect(const std::string& svg, const std::string& cls, int line, const map_entry& b) {
    std::string attrs = "<rect class=\"" + cls + "\"";
    if (line > 0) {
        attrs += " data-line=\"" + std::to_string(line) + "\"";
    }
    attrs += " data-x1=\"" + std::to_string(b.x1) + "\" data-y1=\"" + std::to_string(b.y1) +
             "\" data-x2=\"" + std::to_string(b.x2) + "\" data-y2=\"" + std::to_string(b.y2) + "\"";
    return svg.find(attrs) != std::string::npos;
}

TEST(ZentuMapSvg, DrawsEveryKeyOfThePhoneKeypad) {
    const run_result r = run_tool("svg " + example("phone.map") + " --screen 240x320");
    ASSERT_EQ(r.status, 0);
    expect_valid_svg(r.out);
    EXPECT_EQ(count(r.out, "<rect class=\"entry\""), 12U);
    const int32_t cols[] = {-1, 79, 159, 239};
    const int32_t rows[] = {-1, 79, 159, 239, 319};
    for (int k = 0; k < 12; ++k) {
        const map_entry key{cols[k % 3], rows[k / 3], cols[k % 3 + 1], rows[k / 3 + 1], 0, 0};
        EXPECT_TRUE(has_rect(r.out, "entry", 9 + k, key)) << "key on line " << 9 + k;
    }
    EXPECT_EQ(count(r.out, "class=\"overlap\""), 0U);
    EXPECT_EQ(count(r.out, "class=\"uncovered\""), 0U);
    EXPECT_NE(r.out.find(">#</text>"), std::string::npos);
}

TEST(ZentuMapSvg, MarksOverlapsHiddenEntriesAndGaps) {
    const std::string map = temp_map("0 0 100 100 1 <\n10 10 50 50 2 &\n50 50 150 150 3 \"\n");
    const run_result r = run_tool("svg " + map + " --screen 200x200");
    unlink(map.c_str());
    ASSERT_EQ(r.status, 0);
    expect_valid_svg(r.out);
    EXPECT_TRUE(has_rect(r.out, "entry", 1, {0, 0, 100, 100, 0, 0}));
    EXPECT_TRUE(has_rect(r.out, "entry", 3, {50, 50, 150, 150, 0, 0}));
    EXPECT_NE(r.out.find("<rect class=\"hidden\" data-line=\"2\""), std::string::npos);
    EXPECT_GT(count(r.out, "class=\"overlap\""), 0U);
    EXPECT_TRUE(has_rect(r.out, "uncovered", 0, {-1, -1, 199, 0, 0, 0}));
    // Drawn last first, so that the entry a tap reaches lies on top.
    EXPECT_LT(r.out.find("data-line=\"3\""), r.out.find("data-line=\"1\""));
    EXPECT_NE(r.out.find(">&lt;</text>"), std::string::npos);
}

// The picture in the README is what the tool draws today.
TEST(ZentuMapSvg, DocsPictureIsCurrent) {
    std::ifstream in(std::string(ZENTU_MAP_DOCS) + "/phone.svg");
    ASSERT_TRUE(in) << "docs/phone.svg is missing";
    std::stringstream committed;
    committed << in.rdbuf();
    EXPECT_EQ(committed.str(), run_tool("svg " + example("phone.map") + " --screen 240x320").out)
        << "regenerate docs/phone.svg with zentu-map svg examples/phone.map --screen 240x320";
}

}  // namespace
