// SPDX-License-Identifier: MIT
// The recording's line reader and parser, on plain C strings.
#include "recording.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

using sec_type = decltype(input_event{}.input_event_sec);

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// Reads digits in base 10 or 16 at *p, at most one past max. Returns false
// when there are none; *value then holds max + 1 for a number beyond max.
bool read_digits(const char** p, int base, unsigned long long max, unsigned long long* value) {
    const char* s = *p;
    unsigned long long v = 0;
    for (;; ++s) {
        int d = -1;
        if (*s >= '0' && *s <= '9') {
            d = *s - '0';
        } else if (base == 16 && *s >= 'a' && *s <= 'f') {
            d = *s - 'a' + 10;
        } else if (base == 16 && *s >= 'A' && *s <= 'F') {
            d = *s - 'A' + 10;
        }
        if (d < 0) {
            break;
        }
        // Once beyond max, stay just beyond it: no overflow however long.
        const auto digit = static_cast<unsigned long long>(d);
        const auto b = static_cast<unsigned long long>(base);
        v = v > max || v > (max - digit) / b ? max + 1 : v * b + digit;
    }
    const bool any = s != *p;
    *p = s;
    *value = v;
    return any;
}

// One or more blanks, then the next field.
bool skip_blanks(const char** p) {
    const char* s = *p;
    while (is_blank(*s)) {
        ++s;
    }
    const bool any = s != *p;
    *p = s;
    return any;
}

bool field_ends(char c) {
    return c == '\0' || c == '\n' || c == '\r' || is_blank(c);
}

// A field of digits that ends where a field ends.
bool read_field(const char** p, int base, unsigned long long max, unsigned long long* value) {
    return skip_blanks(p) && read_digits(p, base, max, value) && field_ends(**p);
}

}  // namespace

int parse_recording_line(const char* line, input_event* ev, const char** why) {
    if (strncmp(line, "E:", 2) != 0) {
        return LINE_OTHER;
    }
    const char* p = line + 2;
    *why = "not an event: E: <sec>.<usec> <type> <code> <value> expected";
    constexpr auto sec_max = static_cast<unsigned long long>(std::numeric_limits<sec_type>::max());
    unsigned long long sec = 0;
    unsigned long long usec = 0;
    unsigned long long type = 0;
    unsigned long long code = 0;
    unsigned long long magnitude = 0;
    if (!skip_blanks(&p) || !read_digits(&p, 10, sec_max, &sec) || *p++ != '.' ||
        !read_digits(&p, 10, 999999, &usec) || !field_ends(*p)) {
        return LINE_BAD;
    }
    if (!read_field(&p, 16, 0xffff, &type) || !read_field(&p, 16, 0xffff, &code)) {
        return LINE_BAD;
    }
    if (!skip_blanks(&p)) {
        return LINE_BAD;
    }
    const bool negative = *p == '-';
    p += (*p == '-' || *p == '+') ? 1 : 0;
    const unsigned long long value_max = negative ? 0x80000000ULL : 0x7fffffffULL;
    if (!read_digits(&p, 10, value_max, &magnitude) || !field_ends(*p)) {
        return LINE_BAD;
    }
    *why = sec > sec_max           ? "seconds beyond what an event record holds"
           : usec > 999999         ? "microseconds beyond 999999"
           : type > 0xffff         ? "type beyond ffff"
           : code > 0xffff         ? "code beyond ffff"
           : magnitude > value_max ? "value beyond the signed 32-bit range"
                                   : nullptr;
    if (*why != nullptr) {
        return LINE_BAD;
    }
    *ev = input_event{};
    ev->input_event_sec = static_cast<sec_type>(sec);
    ev->input_event_usec = static_cast<decltype(ev->input_event_usec)>(usec);
    ev->type = static_cast<__u16>(type);
    ev->code = static_cast<__u16>(code);
    ev->value = negative ? static_cast<int32_t>(0U - static_cast<uint32_t>(magnitude))
                         : static_cast<int32_t>(magnitude);
    return LINE_EVENT;
}

long long pause_us(const input_event& a, const input_event& b) {
    const auto as = static_cast<unsigned long long>(a.input_event_sec);
    const auto bs = static_cast<unsigned long long>(b.input_event_sec);
    const auto au = static_cast<long long>(a.input_event_usec);
    const auto bu = static_cast<long long>(b.input_event_usec);
    if (bs < as || (bs == as && bu <= au)) {
        return 0;
    }
    const unsigned long long seconds = bs - as;
    if (seconds > static_cast<unsigned long long>(LLONG_MAX / 1000000 - 1)) {
        return LLONG_MAX;
    }
    return static_cast<long long>(seconds) * 1000000 + (bu - au);
}

bool read_recording_line(FILE* in, char* line, bool* too_long) {
    // Byte by byte, not fgets: a NUL byte read from the input must not pass
    // for the end of what was read, or a long line's tail would be taken
    // for a line of its own.
    *too_long = false;
    size_t n = 0;
    bool any = false;
    for (int c = 0; (c = getc(in)) != EOF;) {
        any = true;
        const bool room = n + 1 < RECORDING_LINE_SIZE;
        if (room) {
            line[n++] = static_cast<char>(c);
        }
        if (c == '\n') {
            break;
        }
        *too_long = *too_long || !room;
    }
    line[n] = '\0';
    return any && !ferror(in);
}
