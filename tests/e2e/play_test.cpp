// SPDX-License-Identifier: MIT
// zentu-play's endings: recordings it cannot read or play, its command line
// and its help. What the lines mean is tested on the parser.
#include <gtest/gtest.h>

#include <cerrno>

#include <unistd.h>

#include "child.h"
#include "files.h"
#include "table.h"

namespace {

const std::string usage =
    "usage: zentu-play [--no-pause] [--hold MS] [-o PATH] [RECORDING]\n"
    "       zentu-play -h | --help | --version\n";

struct play_case : test_case {
    std::vector<std::string> args;
    std::string recording;  // standard input, when not empty
    int status;
    std::string err;
    size_t events = 0;  // records written
    child_setup setup = {};
};
using PlayEnds = table<play_case>;

TEST_P(PlayEnds, WithAMessageAndItsStatus) {
    const play_case& c = GetParam();
    child_setup setup = c.setup;
    const temp_path recording(c.recording);
    if (!c.recording.empty()) {
        setup.stdin_path = recording.path();
    }
    const child_result r = run_program(ZENTU_PLAY, c.args, setup);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out.size(), c.events * sizeof(input_event));
    EXPECT_LT(r.ms, NO_HANG_MS);
}

// The reader takes the first two events, then goes.
const child_setup reader_leaves = {.stdout_bytes = 2 * sizeof(input_event)};

const std::string tap = "E: 0.000000 0001 014a 1\nE: 0.000000 0000 0000 0\n";
const std::string nothing =
    "zentu-play: standard input: no event line (E: <sec>.<usec> <type> <code> <value>) to play\n";

// clang-format off
const play_case rows[] = {
    {"plays", {"--no-pause"}, tap, 0, "", 2},
    // Time going back from the largest a 32-bit record holds: no pause, no overflow.
    {"time_going_back", {}, "E: 2147483647.999999 0000 0000 0\n" + tap, 0, "", 3},
    {"dash_is_standard_input", {"--no-pause", "-"}, tap, 0, "", 2},
    {"hold_ends_with_its_reader", {"--hold", "60000"}, tap, 0, "", 2, reader_leaves},
    {"pause_ends_with_its_reader", {}, tap + "E: 60.000000 0000 0000 0\n", 0, "", 2, reader_leaves},
    {"binary", {}, std::string("\x7f" "ELF\x01\0\0E", 8), 1, nothing},
    {"output_full", {"--no-pause", "-o", "/dev/full"}, tap, 2, perror_text("zentu-play: write", ENOSPC)},
    {"directory", {"/tmp"}, "", 2, perror_text("zentu-play: cannot read /tmp", EISDIR)},
    {"missing", {"/nonexistent/tap.events"}, "", 2, perror_text("/nonexistent/tap.events", ENOENT)},
    {"closed_stdin", {}, "", 2, perror_text("zentu-play: cannot read standard input", EBADF), 0, {.close_stdin = true}},
    {"field_beyond_its_record", {"--no-pause"}, tap + "E: 0.000000 10001 0000 0\n", 1, "zentu-play: standard input:3: type beyond ffff\n", 2},
    {"overlong_event_line", {}, "E: 0.000000 0001 014a 1" + std::string(600, ' ') + "\n", 1, "zentu-play: standard input:1: longer than 511 characters\n"},
    // The comment swallows the first event line of tap whole; the second plays.
    {"overlong_comment_passed_over", {}, "#" + std::string(600, 'x') + tap, 0, "", 1},
    {"unknown_option", {"--bogus"}, "", 2, "zentu-play: unknown option --bogus\n" + usage},
    {"hold_not_a_number", {"--hold", "5s"}, "", 2, "zentu-play: --hold needs whole milliseconds, 0 or more: 5s\n" + usage},
    {"hold_beyond", {"--hold", "9223372036854775807"}, "", 2, "zentu-play: --hold needs whole milliseconds, 0 or more: 9223372036854775807\n" + usage},
    {"hold_missing", {"--hold"}, "", 2, "zentu-play: --hold needs whole milliseconds, 0 or more: (none)\n" + usage},
    {"second_recording", {"a.events", "b.events"}, "", 2, "zentu-play: one recording at most, a second: b.events\n" + usage},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Recordings, PlayEnds, testing::ValuesIn(rows), row_name{});

// An output that is the recording, under any name, would truncate it
// before a line is read: refused, the recording left as it was.
TEST(PlayOutput, IsNeverTheRecordingItself) {
    const temp_path recording(tap);
    const std::string symbolic = recording.path() + ".symlink";
    const std::string hard = recording.path() + ".link";
    ASSERT_EQ(symlink(recording.path().c_str(), symbolic.c_str()), 0);
    ASSERT_EQ(link(recording.path().c_str(), hard.c_str()), 0);
    for (const std::string& out : {recording.path(), symbolic, hard}) {
        const child_result r = run_program(ZENTU_PLAY, {"-o", out, recording.path()});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "zentu-play: " + out + " is the recording itself: not written\n");
        EXPECT_EQ(recording.read(), tap);
    }
    unlink(symbolic.c_str());
    unlink(hard.c_str());
}

TEST(PlayHelp, GoesToStandardOutputWithStatus0) {
    for (const char* flag : {"-h", "--help"}) {
        const child_result r = run_program(ZENTU_PLAY, {"--no-pause", flag});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.substr(0, usage.size()), usage);
        EXPECT_EQ(r.err, "");
    }
}

}  // namespace
