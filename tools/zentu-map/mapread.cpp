// Reading a map file piece by piece through zentu's reader, and the plain
// words for what each piece is.
#include <cstring>
#include <iterator>

#include "zentu_map.h"

namespace {

// fgets stores the bytes it read and one NUL after them; NUL bytes read from
// the file look the same. Filling the buffer with newlines first tells them
// apart: fgets stops after a newline, so only the last byte read can be one,
// and the stored NUL is the last byte that is not a fill newline.
size_t stored_length(const char* buffer) {
    size_t i = MAP_LINE_SIZE - 1;
    while (i > 0 && buffer[i] == '\n') {
        --i;
    }
    return i;
}

bool ends_line(const std::string& raw) {
    return !raw.empty() && raw.back() == '\n';
}

// Marks the pieces of each line with how many there were.
void count_pieces(std::vector<map_line>* lines) {
    for (size_t i = lines->size(); i-- > 0;) {
        map_line& m = (*lines)[i];
        const bool last = i + 1 == lines->size() || (*lines)[i + 1].line != m.line;
        m.pieces = last ? m.piece : (*lines)[i + 1].pieces;
    }
}

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

}  // namespace

bool read_map_lines(FILE* file, std::vector<map_line>* lines) {
    int line = 1;
    int piece = 1;
    for (;;) {
        char buffer[MAP_LINE_SIZE];
        memset(buffer, '\n', sizeof buffer);
        if (!read_map_piece(file, buffer)) {
            break;
        }
        map_line m;
        m.line = line;
        m.piece = piece;
        m.raw.assign(buffer, stored_length(buffer));
        m.result = parse_mapline(buffer, &m.entry);
        if (ends_line(m.raw)) {
            ++line;
            piece = 1;
        } else {
            ++piece;
        }
        lines->push_back(m);
    }
    count_pieces(lines);
    return ferror(file) == 0;
}

std::string piece_text(const map_line& m) {
    return m.raw.substr(0, m.raw.find('\0'));
}

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

namespace {

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

}  // namespace

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

std::string describe_character(unsigned char c) {
    if (c > ' ' && c < 0x7f) {
        return std::string("'") + static_cast<char>(c) + "'";
    }
    std::string s = "code " + std::to_string(c);
    if (c == '\t') {
        s += " (tab)";
    } else if (c == '\n') {
        s += " (newline)";
    } else if (c == '\r') {
        s += " (carriage return)";
    }
    return s;
}

std::string quote_bytes(const std::string& bytes) {
    static const char hex[] = "0123456789abcdef";
    std::string q = "\"";
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\t') {
            q += "\\t";
        } else if (c == '\r') {
            q += "\\r";
        } else if (c == '\n') {
            q += "\\n";
        } else if (c == '"' || c == '\\') {
            q += std::string("\\") + ch;
        } else if (c < ' ' || c >= 0x7f) {
            q += std::string("\\x") + hex[c >> 4] + hex[c & 15];
        } else {
            q += ch;
        }
    }
    return q + "\"";
}
