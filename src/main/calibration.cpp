// SPDX-License-Identifier: MIT
// Calibration files: reading the seven numbers, and the transform of a tap.
#include "calibration.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "main.h"

namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One field [from, to): an optional sign and decimal digits, within the
// signed 32-bit range.
calibration_problem read_number(const char* from, const char* to, int32_t* value) {
    const bool negative = *from == '-';
    from += (*from == '-' || *from == '+') ? 1 : 0;
    if (from == to) {
        return CALIBRATION_JUNK;
    }
    int64_t v = 0;
    for (; from < to; ++from) {
        if (*from < '0' || *from > '9') {
            return CALIBRATION_JUNK;
        }
        // Past the range already: the rest only has to be digits.
        v = v > INT32_MAX ? v : v * 10 + (*from - '0');
    }
    v = negative ? -v : v;
    if (v < INT32_MIN || v > INT32_MAX) {
        return CALIBRATION_RANGE;
    }
    *value = static_cast<int32_t>(v);
    return CALIBRATION_OK;
}

// Reads until the buffer is full or the file ends; returns the bytes read,
// or -1 on a read error. *complete tells whether the file ended.
ssize_t read_text(int fd, char* buffer, size_t size, bool* complete) {
    size_t used = 0;
    *complete = false;
    while (used < size) {
        const ssize_t got = read(fd, buffer + used, size - used);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            *complete = true;
            break;
        }
        used += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(used);
}

void complain(const char* path, calibration_problem problem, int field) {
    switch (problem) {
    case CALIBRATION_FEW:
        fprintf(stderr, "calibration %s: fewer than seven numbers (found %d)\n", path, field);
        break;
    case CALIBRATION_JUNK:
        fprintf(stderr, "calibration %s: a%d is not a whole decimal number\n", path, field);
        break;
    case CALIBRATION_RANGE:
        fprintf(stderr, "calibration %s: a%d is beyond the signed 32-bit range\n", path, field);
        break;
    case CALIBRATION_DIVISOR_0:
        fprintf(stderr, "calibration %s: the divisor a6 is 0\n", path);
        break;
    default:
        fprintf(stderr, "calibration %s: more than %zu bytes before its seventh number ends\n",
                path, CALIBRATION_TEXT_MAX);
        break;
    }
}

// a + b, held at the 64-bit limit in the direction it overflowed: the
// quotient is then beyond 32 bits for any divisor, and held there.
int64_t held_sum(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return a < 0 ? -INT64_MAX : INT64_MAX;
    }
    return sum;
}

uint64_t magnitude(int64_t v) {
    return v < 0 ? 0U - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
}

// n / d, by shift and subtract (d is not 0). 32-bit ARM has no 64-bit
// divide: the library's routine, with its division-by-zero signal, is
// several times this size.
uint64_t divide(uint64_t n, uint64_t d) {
    uint64_t q = 0;
    uint64_t r = 0;
    for (int bit = 63; bit >= 0; --bit) {
        r = (r << 1) | ((n >> bit) & 1U);  // r < 2d: fits, as d < 2^32
        if (r >= d) {
            r -= d;
            q |= uint64_t{1} << bit;
        }
    }
    return q;
}

// (k[2] + k[0]*x + k[1]*y) / divisor, truncated toward zero, held at the
// signed 32-bit limits. Each product fits 64 bits; only their sum can leave
// them, and then the quotient is far beyond 32 bits anyway.
int32_t transform(const int32_t* k, int32_t x, int32_t y, int32_t divisor) {
    const int64_t numerator = held_sum(held_sum(int64_t{k[0]} * x, int64_t{k[1]} * y), k[2]);
    const bool negative = (numerator < 0) != (divisor < 0);
    const uint64_t q = divide(magnitude(numerator), magnitude(divisor));
    const uint64_t limit = negative ? uint64_t{1} << 31 : uint64_t{INT32_MAX};
    const auto held = static_cast<uint32_t>(q < limit ? q : limit);
    return static_cast<int32_t>(negative ? 0U - held : held);
}

}  // namespace

calibration_problem parse_calibration(const char* text, size_t n, bool complete, calibration* c,
                                      int* field) {
    calibration read{};
    const char* p = text;
    const char* const end = text + n;
    for (int k = 0; k < CALIBRATION_NUMBERS; ++k) {
        *field = k;
        while (p < end && is_space(*p)) {
            ++p;
        }
        const char* from = p;
        while (p < end && !is_space(*p)) {
            ++p;
        }
        if (p == end && !complete) {
            return CALIBRATION_LONG;
        }
        if (from == p) {
            return CALIBRATION_FEW;
        }
        if (const calibration_problem why = read_number(from, p, &read.a[k]);
            why != CALIBRATION_OK) {
            return why;
        }
    }
    *field = CALIBRATION_NUMBERS - 1;
    if (read.a[CALIBRATION_NUMBERS - 1] == 0) {
        return CALIBRATION_DIVISOR_0;
    }
    read.given = true;
    *c = read;
    return CALIBRATION_OK;
}

bool load_calibration(const char* path, calibration* c) {
    char text[CALIBRATION_TEXT_MAX];
    const int fd = open_readable(path);
    if (fd < 0) {
        fprintf(stderr, "cannot open calibration %s: %s\n", path, strerror(errno));
        return false;
    }
    bool complete = false;
    const ssize_t n = read_text(fd, text, sizeof text, &complete);
    const int saved = errno;
    close(fd);
    if (n < 0) {
        fprintf(stderr, "cannot read calibration %s: %s\n", path, strerror(saved));
        return false;
    }
    int field = 0;
    const calibration_problem problem =
        parse_calibration(text, static_cast<size_t>(n), complete, c, &field);
    if (problem != CALIBRATION_OK) {
        complain(path, problem, field);
        return false;
    }
    return true;
}

void apply_calibration(const calibration& c, int32_t* x, int32_t* y) {
    if (!c.given) {
        return;
    }
    const int32_t raw_x = *x;
    const int32_t raw_y = *y;
    *x = transform(c.a, raw_x, raw_y, c.a[6]);
    *y = transform(c.a + 3, raw_x, raw_y, c.a[6]);
}
