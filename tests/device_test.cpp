// SPDX-License-Identifier: MIT
// What a touch source says of itself, for sources that cannot answer:
// they keep the plain rules.
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "events.h"
#include "files.h"
#include "touch/touch_internal.h"

namespace {

TEST(touch_kind, sources_that_answer_no_query_are_plain) {
    event_pipe p;
    const temp_path fifo(path_kind::fifo);
    const int fifo_fd = open(fifo.path().c_str(), O_RDWR);
    FILE* file = tmpfile();
    const int file_fd = file != nullptr ? fileno(file) : -1;
    const int null_fd = open("/dev/null", O_RDONLY);
    for (int fd : {p.reader(), fifo_fd, file_fd, null_fd}) {
        if (fd < 0) {
            ADD_FAILURE() << "a source could not be opened";
            continue;
        }
        int slots = -1;
        EXPECT_EQ(get_touch_kind(fd, &slots), TOUCH_KIND_PLAIN) << "fd " << fd;
        EXPECT_EQ(slots, 0);
        // Not an input device: zentu waits on it without a word.
        EXPECT_EQ(get_touch_lack(fd), TOUCH_LACKS_INPUT);
        touch_state s;
        s.x = 7;
        s.kind = TOUCH_KIND_SINGLE;
        read_touch_state(fd, &s);
        EXPECT_EQ(s.kind, TOUCH_KIND_PLAIN);
        EXPECT_EQ(s.x, 0);
        EXPECT_EQ(s.y, 0);
    }
    close(null_fd);
    if (file != nullptr) {
        fclose(file);
    }
    close(fifo_fd);
}

}  // namespace
