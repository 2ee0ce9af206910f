// SPDX-License-Identifier: MIT
// Arbitrary bytes as a recording for zentu-play, read line by line as the
// player reads it. An event line that parses prints back to a line that
// parses to the same record; one that does not says why; no line is ever
// longer than the buffer, and pauses are never negative.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "recording.h"

namespace {

void check(bool ok) {
    if (!ok) {
        abort();
    }
}

void round_trip(const input_event& ev) {
    char text[RECORDING_LINE_SIZE];
    snprintf(text, sizeof text, "E: %llu.%06ld %04x %04x %d\n",
             static_cast<unsigned long long>(ev.input_event_sec),
             static_cast<long>(ev.input_event_usec), ev.type, ev.code, ev.value);
    input_event again{};
    const char* why = nullptr;
    check(parse_recording_line(text, &again, &why) == LINE_EVENT);
    check(memcmp(&again, &ev, sizeof ev) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* in = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (in == nullptr) {
        return 0;
    }
    char line[RECORDING_LINE_SIZE];
    bool too_long = false;
    input_event last{};
    while (read_recording_line(in, line, &too_long)) {
        check(strlen(line) < RECORDING_LINE_SIZE);
        input_event ev{};
        const char* why = nullptr;
        const int kind = parse_recording_line(line, &ev, &why);
        check(kind == LINE_EVENT || kind == LINE_OTHER || kind == LINE_BAD);
        check((kind == LINE_OTHER) == (strncmp(line, "E:", 2) != 0));
        check(kind != LINE_BAD || (why != nullptr && *why != '\0'));
        if (kind == LINE_EVENT) {
            round_trip(ev);
            check(pause_us(last, ev) >= 0 && pause_us(ev, last) >= 0);
            check(pause_us(ev, ev) == 0);
            last = ev;
        }
    }
    fclose(in);
    return 0;
}
