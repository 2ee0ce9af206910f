// SPDX-License-Identifier: MIT
// Decimal numbers for the result line, written by hand: printf's first
// call costs more than all the rest of the answer after a tap.
#include <cstdint>

#include "main.h"

char* append_decimal(char* out, int32_t v) {
    // The magnitude as unsigned, so the most negative value needs no care.
    uint32_t m = v < 0 ? 0U - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    char digits[DECIMAL_MAX];
    char* d = digits + sizeof digits;
    do {
        // m / 10 by its reciprocal, exact for every 32-bit m: ARM CPUs
        // without a divide instruction would otherwise call a library
        // routine larger than this whole file.
        const uint64_t scaled = uint64_t{m} * uint64_t{0xCCCCCCCDU};
        const auto q = static_cast<uint32_t>(scaled >> 35);
        *--d = static_cast<char>('0' + (m - q * 10));
        m = q;
    } while (m != 0);
    if (v < 0) {
        *out++ = '-';
    }
    while (d < digits + sizeof digits) {
        *out++ = *d++;
    }
    return out;
}
