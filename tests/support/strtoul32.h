// SPDX-License-Identifier: MIT
// The number rules of map fields as the C library defines them: strtoul with
// automatic base on a 32-bit host, taken as signed 32-bit. The tests and the
// fuzz model compare the map reader with it; it needs nothing but libc.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdlib>

// Whether c is white space to strtoul: the space and tab to carriage return.
inline bool strtoul_space(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// strtoul(field, nullptr, 0) on 32 bits, from the host's strtoull: the sign
// is taken here so that a magnitude beyond 32 bits saturates whatever the sign.
inline int32_t strtoul32(const char* field) {
    const char* p = field;
    while (strtoul_space(*p)) {
        ++p;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    // strtoull would take a second sign or more white space; strtoul does not.
    if (*p == '-' || *p == '+' || strtoul_space(*p)) {
        return 0;
    }
    errno = 0;
    const unsigned long long m = strtoull(p, nullptr, 0);
    if (errno == ERANGE || m > UINT32_MAX) {
        return -1;
    }
    const uint32_t u = negative ? 0U - static_cast<uint32_t>(m) : static_cast<uint32_t>(m);
    return static_cast<int32_t>(u);
}
