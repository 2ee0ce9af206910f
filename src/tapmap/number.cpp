// Map numbers: strtoul's rules with automatic base, on 32 bits on every
// host (a 64-bit strtoul would give other results for large fields).
#include <cstdint>

#include "tapmap.h"

namespace {

bool is_c_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Digit value in any base up to 16, or 16 for a character that is none.
unsigned digit_value(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<unsigned>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<unsigned>(c - 'A' + 10);
    }
    return 16;
}

}  // namespace

int32_t parse_map_number(const char* p) {
    while (is_c_space(*p)) {
        ++p;
    }
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') {
        ++p;
    }
    unsigned base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digit_value(p[2]) < 16) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    uint64_t magnitude = 0;
    bool overflow = false;
    for (unsigned d = digit_value(*p); d < base; d = digit_value(*++p)) {
        magnitude = magnitude * base + d;
        if (magnitude > UINT32_MAX) {
            overflow = true;
            magnitude = UINT32_MAX;  // keeps the product in range; the rest only consumes
        }
    }
    uint32_t u = static_cast<uint32_t>(magnitude);
    if (!overflow && negative) {
        u = 0U - u;
    }
    return static_cast<int32_t>(u);
}
