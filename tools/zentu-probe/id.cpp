// SPDX-License-Identifier: MIT
// The vendor and product an input device gives through EVIOCGID: read
// from --id, written as the listing's last field.
#include <cstdio>

#include "probe.h"

namespace {

// One to four hexadecimal digits, either case, up to stop; returns where
// the digits ended, or nullptr when they were not that.
const char* parse_hex16(const char* p, char stop, uint16_t* out) {
    unsigned value = 0;
    int digits = 0;
    for (; *p != stop; ++p, ++digits) {
        const char c = *p;
        const int d = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (d < 0 || digits == 4) {
            return nullptr;
        }
        value = value * 16 + static_cast<unsigned>(d);
    }
    *out = static_cast<uint16_t>(value);
    return digits > 0 ? p : nullptr;
}

}  // namespace

bool parse_id(const char* text, input_id* id) {
    const char* colon = parse_hex16(text, ':', &id->vendor);
    return colon != nullptr && parse_hex16(colon + 1, '\0', &id->product) != nullptr;
}

void print_id(const probe_device& d) {
    if (d.has_id) {
        printf("%04x:%04x", d.id.vendor, d.id.product);
    } else {
        putchar('-');
    }
}
