// SPDX-License-Identifier: MIT
// Arbitrary bytes as a map file, looked up at a few taps. The lookup is
// compared with a model written independently from the map format: which
// entry wins, what is printed, and where the stream stands afterwards.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../src/tapmap/tapmap.h"
#include "../tests/support/strtoul32.h"
#include "capture.h"

namespace {

constexpr size_t INPUT_LIMIT = 1 << 16;
constexpr size_t PIECE_MAX = MAP_LINE_SIZE - 1;  // what one fgets takes at most
constexpr size_t MAX_PIECES = INPUT_LIMIT;

struct model_line {
    size_t end;  // stream offset just after the piece
    bool entry;  // all six fields present
    map_entry e;
};

model_line lines[MAX_PIECES];
size_t line_count;

// One piece: its text ends at the first NUL; blanks lead, '#' comments,
// and only the space separates fields.
void model_parse(const uint8_t* piece, size_t len, model_line* out) {
    char text[MAP_LINE_SIZE];
    memcpy(text, piece, len);
    text[len] = '\0';
    out->entry = false;
    out->e = map_entry{};
    const char* p = text;
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    if (*p == '\0' || *p == '#') {
        return;
    }
    char fields[6][MAP_LINE_SIZE];
    int n = 0;
    while (n < 6) {
        while (*p == ' ') {
            ++p;
        }
        if (*p == '\0') {
            return;
        }
        size_t k = 0;
        while (p[k] != '\0' && p[k] != ' ') {
            fields[n][k] = p[k];
            ++k;
        }
        fields[n][k] = '\0';
        p += k;
        ++n;
    }
    int32_t* const numbers[] = {&out->e.x1, &out->e.y1, &out->e.x2, &out->e.y2, &out->e.value};
    for (int i = 0; i < 5; ++i) {
        *numbers[i] = strtoul32(fields[i]);
    }
    out->e.character = static_cast<unsigned char>(fields[5][0]);
    out->entry = true;
}

void model_build(const uint8_t* data, size_t size) {
    line_count = 0;
    size_t pos = 0;
    while (pos < size) {
        size_t len = 0;
        while (pos + len < size && len < PIECE_MAX) {
            ++len;
            if (data[pos + len - 1] == '\n') {
                break;
            }
        }
        model_line& l = lines[line_count++];
        model_parse(data + pos, len, &l);
        pos += len;
        l.end = pos;
    }
}

bool model_holds(const map_entry& e, int32_t x, int32_t y) {
    return x > e.x1 && x <= e.x2 && y > e.y1 && y <= e.y2;
}

// Index of the first line from `from` on whose entry holds the tap, or
// line_count.
size_t model_find(size_t from, int32_t x, int32_t y) {
    for (size_t i = from; i < line_count; ++i) {
        if (lines[i].entry && model_holds(lines[i].e, x, y)) {
            return i;
        }
    }
    return line_count;
}

// Looks up (x, y) from the stream's current position, which the model
// knows as line index `from`, and checks everything against the model.
// Returns the model line index where the stream now stands.
size_t check_lookup(FILE* f, size_t from, size_t size, int32_t x, int32_t y, int ascii) {
    const size_t hit = model_find(from, x, y);
    capture_reset();
    const int got = output_mapped_char(f, x, y, ascii);
    char out[64];
    const size_t out_len = capture_take(out, sizeof out - 1);
    out[out_len] = '\0';
    const long pos = ftell(f);
    if (hit == line_count) {
        if (got != -1 || out_len != 0) {
            property_failed("no entry holds the tap, yet something matched");
        }
        if (pos != static_cast<long>(size)) {
            property_failed("a lookup without a match stopped before the end");
        }
        return line_count;
    }
    const map_entry& e = lines[hit].e;
    if (got != e.value) {
        property_failed("value is not that of the first line holding the tap");
    }
    if (pos != static_cast<long>(lines[hit].end)) {
        property_failed("stream is not just after the matching line");
    }
    char want[16];
    size_t want_len = 1;
    if (ascii != 0) {
        want_len = static_cast<size_t>(snprintf(want, sizeof want, "%d", e.character));
    } else {
        want[0] = static_cast<char>(e.character);
    }
    if (out_len != want_len || memcmp(out, want, want_len) != 0) {
        property_failed("printed character differs from the matching line's");
    }
    return hit + 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    capture_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INPUT_LIMIT) {
        return -1;
    }
    model_build(data, size);
    // fmemopen wants at least one byte; the empty map is an empty file.
    FILE* f = size == 0 ? fopen("/dev/null", "r") : fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (f == nullptr) {
        property_failed("cannot open the input as a stream");
    }
    int32_t taps[16][2] = {{0, 0}, {1, 1}, {INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}};
    int n = 4;
    for (size_t i = 0; i < line_count && n + 3 <= 16; ++i) {
        if (!lines[i].entry) {
            continue;
        }
        const map_entry& e = lines[i].e;
        // The inclusive corner, the exclusive one, and just inside it.
        taps[n][0] = e.x2;
        taps[n++][1] = e.y2;
        taps[n][0] = e.x1;
        taps[n++][1] = e.y1;
        taps[n][0] = static_cast<int32_t>(static_cast<uint32_t>(e.x1) + 1U);
        taps[n++][1] = static_cast<int32_t>(static_cast<uint32_t>(e.y1) + 1U);
    }
    for (int t = 0; t < n; ++t) {
        rewind(f);
        const int ascii = t & 1;
        const size_t next = check_lookup(f, 0, size, taps[t][0], taps[t][1], ascii);
        // The run makes one lookup, but one from where a match left the
        // stream must go on with the line after it.
        if (next < line_count) {
            check_lookup(f, next, size, taps[t][0], taps[t][1], ascii ^ 1);
        }
    }
    fclose(f);
    return 0;
}
