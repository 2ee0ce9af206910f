// The slotted-screen handling must leave every other kind of touch source
// as it was: pipes, FIFOs, files and character devices without slots.
#include <cstdint>
#include <cstdio>
#include <initializer_list>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "touch/touch.h"

namespace {

struct pipe_pair {
    int r = -1;
    int w = -1;
    pipe_pair() {
        int fds[2];
        if (pipe(fds) == 0) {
            r = fds[0];
            w = fds[1];
        }
    }
    ~pipe_pair() {
        close(r);
        if (w >= 0) {
            close(w);
        }
    }
    void send(uint16_t type, uint16_t code, int32_t value) const {
        input_event ev{};
        ev.type = type;
        ev.code = code;
        ev.value = value;
        ASSERT_EQ(write(w, &ev, sizeof ev), static_cast<ssize_t>(sizeof ev));
    }
    void syn() const { send(EV_SYN, SYN_REPORT, 0); }
};

TEST(SlotSeed, NothingToAskOnSourcesWithoutSlots) {
    pipe_pair p;
    char fifo[] = "/tmp/zentu-slots-XXXXXX";
    ASSERT_NE(mkdtemp(fifo), nullptr);
    char fifo_path[64];
    snprintf(fifo_path, sizeof fifo_path, "%s/fifo", fifo);
    ASSERT_EQ(mkfifo(fifo_path, 0600), 0);
    const int fifo_fd = open(fifo_path, O_RDWR);
    FILE* file = tmpfile();
    ASSERT_NE(file, nullptr);
    const int null_fd = open("/dev/null", O_RDONLY);
    for (int fd : {p.r, fifo_fd, fileno(file), null_fd}) {
        int32_t x = 7;
        int32_t y = 9;
        EXPECT_FALSE(seed_slot_position(fd, &x, &y)) << "fd " << fd;
        EXPECT_EQ(x, 7);
        EXPECT_EQ(y, 9);
    }
    close(null_fd);
    fclose(file);
    close(fifo_fd);
    unlink(fifo_path);
    rmdir(fifo);
}

TEST(BurstParity, OddBurstCompleteOnlyWhenAskedFor) {
    for (bool oddIsIncomplete : {true, false}) {
        pipe_pair p;
        p.send(EV_KEY, BTN_TOUCH, 1);
        p.send(EV_ABS, ABS_MT_POSITION_Y, 455);
        p.syn();
        int32_t x = 3;
        int32_t y = 0;
        const int r = get_touch_burst(p.r, &x, &y, oddIsIncomplete);
        EXPECT_EQ(r, oddIsIncomplete ? BURST_INCOMPLETE : TOUCH_START);
        EXPECT_EQ(x, 3);
        EXPECT_EQ(y, 455);
    }
}

TEST(BurstParity, DefaultKeepsOddBurstsIncomplete) {
    pipe_pair p;
    p.send(EV_ABS, ABS_MT_POSITION_X, 1);
    p.syn();
    int32_t x = 0;
    int32_t y = 0;
    EXPECT_EQ(get_touch_burst(p.r, &x, &y), BURST_INCOMPLETE);
}

// Through a pipe a one-axis finger-down is still half a tap, and the
// position still starts from 0, 0.
TEST(TapWaitOnPipe, OneAxisTouchStillTimesOut) {
    pipe_pair p;
    p.send(EV_KEY, BTN_TOUCH, 1);
    p.send(EV_ABS, ABS_MT_POSITION_X, 812);
    p.syn();
    int32_t delay = 250;
    int32_t x = -5;
    int32_t y = -5;
    EXPECT_EQ(get_touchtap(p.r, &delay, &x, &y, 1, 1), TAP_TIMEOUT);
    EXPECT_GE(delay, 250);
    EXPECT_EQ(x, -5);
    EXPECT_EQ(y, -5);
}

TEST(TapWaitOnPipe, WorkingPositionStartsAtZero) {
    pipe_pair p;
    p.syn();  // usable at once: read-first stores the position it starts from
    p.send(EV_KEY, BTN_TOUCH, 1);
    p.send(EV_ABS, ABS_MT_POSITION_X, 10);
    p.send(EV_ABS, ABS_MT_POSITION_Y, 20);
    p.syn();
    p.send(EV_KEY, BTN_TOUCH, 0);
    p.syn();
    int32_t delay = 0;
    int32_t x = -5;
    int32_t y = -5;
    EXPECT_EQ(get_touchtap(p.r, &delay, &x, &y, 0, 0), TAP_DONE);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

}  // namespace
