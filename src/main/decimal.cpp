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
        *--d = static_cast<char>('0' + m % 10);
        m /= 10;
    } while (m != 0);
    if (v < 0) {
        *out++ = '-';
    }
    while (d < digits + sizeof digits) {
        *out++ = *d++;
    }
    return out;
}
