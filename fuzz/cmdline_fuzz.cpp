// SPDX-License-Identifier: MIT
// Arbitrary argument vectors (the input split at NUL bytes) through option
// parsing and validation. The run happens in a scratch directory whose
// names the seeds use: t (a touch recording), m (a map), v (a plain file
// as vibration device), d (a directory) and f (a FIFO that no one writes).
// A '/' in a word becomes '_', so no path leaves that directory.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <getopt.h>
#include <sanitizer/common_interface_defs.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../src/main/main.h"
#include "capture.h"

// The linker names these for --wrap=fdopen.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" FILE* __real_fdopen(int fd, const char* mode);

namespace {

constexpr size_t MAX_WORDS = 32;
constexpr size_t INPUT_LIMIT = 1024;
constexpr size_t MAX_STREAMS = 64;

// Every stream the code under test opened in this run. An earlier map file
// stays open by design; the harness closes them all after the run.
FILE* streams[MAX_STREAMS];
size_t stream_count;
int first_free_fd;
int quiet_stderr;
int real_stderr;

// The delay rules, written out: base 10, leading blanks and a sign, held
// at the signed 32-bit limits.
int32_t model_delay(const char* p) {
    while (isspace(static_cast<unsigned char>(*p)) != 0) {
        ++p;
    }
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') {
        ++p;
    }
    int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > int64_t{INT32_MAX} + 1) {
            v = int64_t{INT32_MAX} + 1;
        }
    }
    v = negative ? -v : v;
    if (v > INT32_MAX) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v);
}

void make_scratch_dir() {
    char dir[] = "/tmp/zentu-cmdline-fuzz-XXXXXX";
    if (mkdtemp(dir) == nullptr || chdir(dir) != 0) {
        property_failed("scratch directory");
    }
    FILE* m = fopen("m", "w");
    FILE* t = fopen("t", "w");
    FILE* v = fopen("v", "w");
    if (m == nullptr || t == nullptr || v == nullptr || mkdir("d", 0700) != 0 ||
        mkfifo("f", 0600) != 0) {
        property_failed("scratch files");
    }
    fputs("0 0 100 100 7 k\n", m);
    fclose(m);
    fclose(t);
    fclose(v);
}

void close_everything_opened() {
    for (size_t i = 0; i < stream_count; ++i) {
        fclose(streams[i]);
    }
    stream_count = 0;
    for (int fd = first_free_fd; fd < first_free_fd + 256; ++fd) {
        close(fd);
    }
}

bool starts_with(const char* s, size_t len, const char* prefix) {
    const size_t n = strlen(prefix);
    return len >= n && memcmp(s, prefix, n) == 0;
}

void check_outcome(const settings& s, bool go_on, int status, const char* out, size_t len) {
    if (s.waitMode < 0 || s.waitMode > 1 || s.readMode < 0 || s.readMode > 1 ||
        s.printTimeSpent < 0 || s.printTimeSpent > 1) {
        property_failed("a long option flag holds a value no option sets");
    }
    if (s.asciiCode && !s.charMode) {
        property_failed("ASCII code without character mode");
    }
    if (!go_on) {
        if (status != ZENTU_OK && status != ZENTU_ERROR) {
            property_failed("parsing ended with a status that is neither 0 nor -2");
        }
        if (status == ZENTU_OK && !starts_with(out, len, "Version: ")) {
            property_failed("parsing ended with 0 without printing the help");
        }
        return;
    }
    if (len != 0) {
        property_failed("parsing went on after printing");
    }
    const int v = validate_settings(s);
    if (v == ZENTU_OK) {
        if (s.touchFd < 0 || !(s.printX || s.printY || s.charMode) ||
            (s.charMode && s.mapFile == nullptr)) {
            property_failed("validation passed an incomplete combination");
        }
    } else if (v != ZENTU_ERROR) {
        property_failed("validation returned neither 0 nor -2");
    }
}

}  // namespace

// Records every stream the map opening makes, so that none outlives its run.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" FILE* __wrap_fdopen(int fd, const char* mode) {
    FILE* f = __real_fdopen(fd, mode);
    if (f != nullptr && stream_count < MAX_STREAMS) {
        streams[stream_count++] = f;
    }
    return f;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    capture_init();
    make_scratch_dir();
    // The parser's complaints go nowhere; sanitizer reports still reach
    // the real standard error.
    real_stderr = dup(STDERR_FILENO);
    quiet_stderr = open("/dev/null", O_WRONLY);
    // The interface takes the descriptor number in a pointer.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(real_stderr)));
    first_free_fd = open("/dev/null", O_RDONLY);
    close(first_free_fd);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INPUT_LIMIT) {
        return -1;
    }
    char text[INPUT_LIMIT + 1];
    memcpy(text, data, size);
    text[size] = '\0';
    char prog[] = "zentu";
    char* argv[MAX_WORDS + 2] = {prog};
    int argc = 1;
    for (char* word = text; argc <= static_cast<int>(MAX_WORDS) && word <= text + size;) {
        const size_t len = strlen(word);
        for (size_t i = 0; i < len; ++i) {
            word[i] = word[i] == '/' ? '_' : word[i];
        }
        argv[argc++] = word;
        if (model_delay(word) != parse_delay(word)) {
            property_failed("parse_delay differs from the delay rules");
        }
        word += len + 1;
    }
    argv[argc] = nullptr;

    optind = 0;  // glibc starts afresh, its internal state included
    settings s;
    int status = ZENTU_OK;
    capture_reset();
    fflush(stderr);
    dup2(quiet_stderr, STDERR_FILENO);
    const bool go_on = parse_command_line(argc, argv, &s, &status);
    fflush(stderr);
    dup2(real_stderr, STDERR_FILENO);
    char out[4096];
    const size_t len = capture_take(out, sizeof out);
    check_outcome(s, go_on, status, out, len);
    close_everything_opened();
    return 0;
}
