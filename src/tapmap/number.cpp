// SPDX-License-Identifier: MIT
// Map numbers: strtoul's rules with automatic base, on 32 bits on every
// host (a 64-bit strtoul would give other results for large fields).
#include <cstdint>

#include "tapmap.h"

namespace {

// White space other than the space, which ends a field: tab, newline,
// vertical tab, form feed and carriage return are 9 to 13.
bool is_white_but_space(char c) {
    return static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

// A digit's value in any base up to 16; 16 for a byte that is no digit.
// Computed, not looked up: a 256-byte table would outweigh the code.
unsigned digit_value(char c) {
    const unsigned u = static_cast<unsigned char>(c);
    if (u - '0' < 10U) {
        return u - '0';
    }
    const unsigned lower = u | 0x20U;  // 'A'..'F' to 'a'..'f'
    return lower - 'a' < 6U ? lower - 'a' + 10 : 16;
}

}  // namespace

// The hot path of a map scan: one pass, no calls.
const char* read_map_field_number(const char* field, int32_t* number) {
    const char* p = field;
    // White space may lead the number, but a space already ends the field.
    while (is_white_but_space(*p)) {
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
    *number = static_cast<int32_t>(u);
    while (*p != ' ' && *p != '\0') {
        ++p;
    }
    return p;
}
