// SPDX-License-Identifier: MIT
// Hostile input through the binary: paths that do not open or are not
// devices, devices that send junk, junk map files, closed or full standard
// streams, delays beyond 32 bits. Each must end with a clear message or the
// documented status: never a crash, a hang or success for lost output.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <random>

#include "child.h"
#include "files.h"
#include "table.h"

namespace {

using hostile = table<run_case>;

TEST_P(hostile, ends_with_a_clear_message) {
    expect_run(GetParam());
}

const std::string touch_fail = "cannot open touch input device";
const std::string map_fail = "cannot open mapping table";
const std::string long_name(5000, 'a');
// The writer of this FIFO never comes: the open must not wait for it.
const temp_path fifo(path_kind::fifo);
const temp_path good_map("0 0 10 10 7 k\n");

// clang-format off
const run_case paths[] = {
    {"missing", {"-t", "/nonexistent/zentu-hostile", "-x"}, {}, 254, "", perror_text(touch_fail, ENOENT)},
    {"empty_path", {"-t", "", "-x"}, {}, 254, "", perror_text(touch_fail, ENOENT)},
    {"below_a_file", {"-t", "/dev/null/x", "-x"}, {}, 254, "", perror_text(touch_fail, ENOTDIR)},
    {"name_too_long", {"-t", long_name, "-x"}, {}, 254, "", perror_text(touch_fail, ENAMETOOLONG)},
    // A directory opens read-only but can never be read.
    {"touch_directory", {"-t", "/tmp", "-x", "-d", "300"}, {}, 254, "", perror_text(touch_fail, EISDIR)},
    {"map_directory", {"-t", TOUCH, "-m", "/tmp", "-c", "-d", "300"}, {}, 254, "", perror_text(map_fail, EISDIR)},
    {"map_directory_before_a_good_map", {"-t", TOUCH, "-m", "/tmp", "-m", good_map.path(), "-c"}, fingers("down 5 5"), 254, "", perror_text(map_fail, EISDIR)},
    {"dev_null_map", {"-t", TOUCH, "-m", "/dev/null", "-a"}, fingers("down 1 1"), 255, "", ""},
    {"fifo_map_holds_no_entry", {"-t", TOUCH, "-m", fifo.path(), "-c", "-d", "2000"}, fingers("down 5 5"), 255, "", ""},
    {"fifo_vibration_device_takes_the_pulse", {"-t", TOUCH, "-v", fifo.path(), "-x"}, fingers("down 5 6"), 0, "5\n", ""},
    {"help_to_a_full_stdout", {"-h"}, {}, 254, "", perror_text("cannot write standard output", ENOSPC), {.stdout_path = "/dev/full"}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(paths, hostile, testing::ValuesIn(paths), row_name{});

// Records whose type no protocol defines, with random codes and values.
events junk_records(size_t n) {
    std::mt19937 gen(7);
    events out;
    for (size_t i = 0; i < n; ++i) {
        const auto type = static_cast<uint16_t>(0x20 + gen() % 0xffdf);
        out.push_back(make_event(type, static_cast<uint16_t>(gen()), static_cast<int32_t>(gen())));
    }
    return out;
}

// The SYN_DROPPED among them skips the rest up to the report that follows.
const events odd_but_known = {
    make_event(EV_KEY, BTN_TOUCH, 2),     make_event(EV_KEY, BTN_TOUCH, INT32_MIN),
    make_event(EV_SYN, SYN_MT_REPORT, 0), make_event(EV_SYN, SYN_DROPPED, 0),
    make_event(EV_ABS, ABS_X, INT32_MAX), make_event(EV_ABS, ABS_Y, INT32_MIN),
    make_event(EV_KEY, 0xffff, 1),        make_event(0xffff, 0xffff, -1)};
const events extremes = {pos_x(INT32_MIN), pos_y(INT32_MAX), touch(1), syn()};
const std::string nines(300, '9');

// clang-format off
const run_case devices[] = {
    {"junk_then_tap", {"-t", TOUCH, "-x", "-y"}, {{0, junk_records(500)}, {50, finger_down(9, 8)}}, 0, "9:8\n", ""},
    {"odd_values_then_tap", {"-t", TOUCH, "-x", "-y"}, {{0, odd_but_known}, {0, {syn()}}, {0, finger_down(9, 8)}}, 0, "9:8\n", ""},
    {"extreme_coordinates", {"-t", TOUCH, "-x", "-y", "--wait-for-end"}, {{0, extremes}, {0, finger_up()}}, 0, "-2147483648:2147483647\n", ""},
};
// The delay is held at the signed 32-bit limits; wrapping would turn these
// into a 1 ms limit, a negative one or no limit at all.
const run_case delays[] = {
    {"just_past_int32_max", {"-t", TOUCH, "-x", "-d", "2147483648"}, fingers("+300 down 3 4"), 0, "3\n", ""},
    {"wraps_to_one_on_32_bits", {"-t", TOUCH, "-x", "-d", "4294967297"}, fingers("+300 down 3 4"), 0, "3\n", ""},
    {"hundreds_of_digits", {"-t", TOUCH, "-x", "-d", nines}, fingers("+300 down 3 4"), 0, "3\n", ""},
    {"far_negative", {"-t", TOUCH, "-x", "-d", "-" + nines}, {}, 255, "timeout\n", ""},
    {"wraps_to_zero_on_32_bits", {"-t", TOUCH, "-x", "-d", "-4294967296"}, {}, 255, "timeout\n", ""},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(devices, hostile, testing::ValuesIn(devices), row_name{});
INSTANTIATE_TEST_SUITE_P(delays, hostile, testing::ValuesIn(delays), row_name{});

// Random bytes with no space or newline: every 199-byte piece is one field.
std::string binary_junk(size_t n) {
    std::mt19937 gen(11);
    std::string s;
    while (s.size() < n) {
        const auto c = static_cast<char>(gen() % 256);
        if (c != ' ' && c != '\n') {
            s += c;
        }
    }
    return s;
}

const std::string long_nines(180, '9');
const std::vector<step> tap_5_5 = fingers("down 5 5");

// Map files of junk: each case's tap is at (5, 5), and only its last line
// holds it (when one does).
// clang-format off
const run_case junk[] = {
    {"binary_junk", {"-t", TOUCH, "-m", lasting_file(binary_junk(3000) + "\n0 0 10 10 7 k\n"), "-c"}, tap_5_5, 7, "k"},
    {"binary_junk_alone", {"-t", TOUCH, "-m", lasting_file(binary_junk(3000)), "-c"}, tap_5_5, 255, ""},
    {"nul_ends_the_text", {"-t", TOUCH, "-m", lasting_file(std::string("0 0 10 10 5 a\0 0 0 1 1 6 b\n", 26)), "-c"}, tap_5_5, 5, "a"},
    {"nul_lines", {"-t", TOUCH, "-m", lasting_file(std::string("\0\0 0 0 10 10 3 z\n\0\n1 1 10 10 4 y\n", 33)), "-c"}, tap_5_5, 4, "y"},
    {"line_of_thousands", {"-t", TOUCH, "-m", lasting_file(std::string(5000, 'x') + "\n0 0 10 10 2 q\n"), "-c"}, tap_5_5, 2, "q"},
    {"comment_ends_with_its_piece", {"-t", TOUCH, "-m", lasting_file("#" + std::string(198, 'c') + "0 0 10 10 9 z\n"), "-c"}, tap_5_5, 9, "z"},
    {"overlong_numbers_read_minus_one", {"-t", TOUCH, "-m", lasting_file("0 0 " + long_nines + " 10 4 n\n0 0 10 -" + long_nines + " 4 n\n0 0 10 10 1 o\n"), "-c"}, tap_5_5, 1, "o"},
    {"leading_zeros_are_octal", {"-t", TOUCH, "-m", lasting_file("0 0 " + std::string(150, '0') + "10 10 6 q\n"), "-c"}, tap_5_5, 6, "q"},
    {"carriage_returns", {"-t", TOUCH, "-m", lasting_file("0 0 10 10 3 r\r\n"), "-c"}, tap_5_5, 3, "r"},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(junk, hostile, testing::ValuesIn(junk), row_name{});

TEST(fifo_without_writer, as_touch_device_the_delay_still_ends_the_wait) {
    const child_result r = run_zentu({"-t", fifo.path(), "-x", "-d", "300"});
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "timeout\n");
    EXPECT_GE(r.ms, 300);
    EXPECT_LT(r.ms, NO_HANG_MS);
}

// Runs zentu with a vibration file and the standard streams closed as
// setup says, after a tap at (5, 6).
child_result run_closed(const std::string& vibra, child_setup setup,
                        const std::string& touch = TOUCH) {
    setup.touch_steps = fingers("down 5 6");
    return run_zentu({"-v", vibra, "-t", touch, "-x"}, setup);
}

// Started with descriptor 1 closed, the vibration device would open as
// standard output and receive the coordinates.
TEST(closed_streams, stdout_closed_output_fails_and_stays_out_of_the_vibration_device) {
    const temp_path vibra;
    const child_result r = run_closed(vibra.path(), {.close_stdout = true});
    EXPECT_EQ(r.status, 254);
    EXPECT_EQ(r.err, perror_text("cannot write standard output", EBADF));
    expect_pulse(vibra.read());
}

TEST(closed_stderr, complaints_stay_out_of_the_vibration_device) {
    const temp_path vibra;
    const child_result r =
        run_closed(vibra.path(), {.close_stderr = true}, "/nonexistent/zentu-hostile");
    EXPECT_EQ(r.status, 254);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(vibra.read(), "");
}

TEST(closed_streams, stdin_closed_map_on_descriptor_zero_is_used) {
    child_setup setup = with_touch(fingers("down 5 5"));
    setup.close_stdin = true;
    const child_result r = run_zentu({"-m", good_map.path(), "-t", TOUCH, "-c"}, setup);
    EXPECT_EQ(r.status, 7);
    EXPECT_EQ(r.out, "k");
}

TEST(closed_stderr, with_stdin_and_stdout_closed_too_still_pulses_once_and_fails) {
    const temp_path vibra;
    const child_result r =
        run_closed(vibra.path(), {.close_stdin = true, .close_stdout = true, .close_stderr = true});
    EXPECT_EQ(r.status, 254);
    expect_pulse(vibra.read());
}

}  // namespace
