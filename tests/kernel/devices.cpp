// SPDX-License-Identifier: MIT
// Device makers: uinput devices written to directly, and uhid devices
// whose HID reports pass through hid-generic or hid-multitouch.
#include "devices.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <linux/uhid.h>
#include <linux/uinput.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// ---- HID report descriptors, from the HID usage tables ----------------

// clang-format off
// One contact of the multitouch screen: Tip Switch and 7 bits of padding,
// Contact Identifier (8 bits), X and Y (16 bits each, 0..4095).
#define FINGER_COLLECTION \
    0x09, 0x22,        /*   Usage (Finger) */ \
    0xA1, 0x02,        /*   Collection (Logical) */ \
    0x09, 0x42,        /*     Usage (Tip Switch) */ \
    0x15, 0x00,        /*     Logical Minimum (0) */ \
    0x25, 0x01,        /*     Logical Maximum (1) */ \
    0x75, 0x01,        /*     Report Size (1) */ \
    0x95, 0x01,        /*     Report Count (1) */ \
    0x81, 0x02,        /*     Input (Data, Variable, Absolute) */ \
    0x95, 0x07,        /*     Report Count (7) */ \
    0x81, 0x03,        /*     Input (Constant): padding */ \
    0x09, 0x51,        /*     Usage (Contact Identifier) */ \
    0x25, 0x7F,        /*     Logical Maximum (127) */ \
    0x75, 0x08,        /*     Report Size (8) */ \
    0x95, 0x01,        /*     Report Count (1) */ \
    0x81, 0x02,        /*     Input (Data, Variable, Absolute) */ \
    0x05, 0x01,        /*     Usage Page (Generic Desktop) */ \
    0x09, 0x30,        /*     Usage (X) */ \
    0x09, 0x31,        /*     Usage (Y) */ \
    0x26, 0xFF, 0x0F,  /*     Logical Maximum (4095) */ \
    0x75, 0x10,        /*     Report Size (16) */ \
    0x95, 0x02,        /*     Report Count (2) */ \
    0x81, 0x02,        /*     Input (Data, Variable, Absolute) */ \
    0x05, 0x0D,        /*     Usage Page (Digitizers) */ \
    0xC0               /*   End Collection */

// A touch screen as Windows 8 asks for one: two Finger collections and a
// Contact Count in input report 1, Contact Count Maximum in feature report
// 2, the vendor's 256-byte certification blob (usage 0xFF0000C5) in feature
// report 0x44, and a Device Configuration collection with Input Mode in
// feature report 3.
const uint8_t mt_descriptor[] = {
    0x05, 0x0D,        // Usage Page (Digitizers)
    0x09, 0x04,        // Usage (Touch Screen)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x01,        //   Report ID (1)
    FINGER_COLLECTION,
    FINGER_COLLECTION,
    0x09, 0x54,        //   Usage (Contact Count)
    0x25, 0x7F,        //   Logical Maximum (127)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x85, 0x02,        //   Report ID (2)
    0x09, 0x55,        //   Usage (Contact Count Maximum)
    0x25, 0x0A,        //   Logical Maximum (10)
    0xB1, 0x02,        //   Feature (Data, Variable, Absolute)
    0x85, 0x44,        //   Report ID (0x44)
    0x06, 0x00, 0xFF,  //   Usage Page (Vendor Defined 0xFF00)
    0x09, 0xC5,        //   Usage (0xC5)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x96, 0x00, 0x01,  //   Report Count (256)
    0xB1, 0x02,        //   Feature (Data, Variable, Absolute)
    0xC0,              // End Collection
    0x05, 0x0D,        // Usage Page (Digitizers)
    0x09, 0x0E,        // Usage (Device Configuration)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x03,        //   Report ID (3)
    0x09, 0x23,        //   Usage (Device Settings)
    0xA1, 0x02,        //   Collection (Logical)
    0x09, 0x52,        //     Usage (Input Mode)
    0x25, 0x0A,        //     Logical Maximum (10)
    0x75, 0x08,        //     Report Size (8)
    0x95, 0x01,        //     Report Count (1)
    0xB1, 0x02,        //     Feature (Data, Variable, Absolute)
    0xC0,              //   End Collection
    0xC0,              // End Collection
};

// A single-touch digitizer: Tip Switch, In Range and 6 bits of padding,
// then X and Y (16 bits each, 0..4095); no report ids.
const uint8_t single_descriptor[] = {
    0x05, 0x0D,        // Usage Page (Digitizers)
    0x09, 0x04,        // Usage (Touch Screen)
    0xA1, 0x01,        // Collection (Application)
    0x09, 0x22,        //   Usage (Finger)
    0xA1, 0x00,        //   Collection (Physical)
    0x09, 0x42,        //     Usage (Tip Switch)
    0x09, 0x32,        //     Usage (In Range)
    0x15, 0x00,        //     Logical Minimum (0)
    0x25, 0x01,        //     Logical Maximum (1)
    0x75, 0x01,        //     Report Size (1)
    0x95, 0x02,        //     Report Count (2)
    0x81, 0x02,        //     Input (Data, Variable, Absolute)
    0x95, 0x06,        //     Report Count (6)
    0x81, 0x03,        //     Input (Constant): padding
    0x05, 0x01,        //     Usage Page (Generic Desktop)
    0x09, 0x30,        //     Usage (X)
    0x09, 0x31,        //     Usage (Y)
    0x26, 0xFF, 0x0F,  //     Logical Maximum (4095)
    0x75, 0x10,        //     Report Size (16)
    0x95, 0x02,        //     Report Count (2)
    0x81, 0x02,        //     Input (Data, Variable, Absolute)
    0xC0,              //   End Collection
    0xC0,              // End Collection
};
// clang-format on

constexpr uint8_t CONTACT_MAX = 2;  // the answer to feature report 2

bool is_hid(kind k) {
    return k == kind::hid_mt || k == kind::hid_single;
}

bool fail(device* d, const char* what) {
    snprintf(d->error, sizeof d->error, "%s: %s", what, strerror(errno));
    if (d->fd >= 0) {
        close(d->fd);
        d->fd = -1;
    }
    return false;
}

// ---- uhid: the descriptors of live devices, and their requests ---------

constexpr int MAX_HID = 8;
int hid_fds[MAX_HID] = {-1, -1, -1, -1, -1, -1, -1, -1};
uint16_t next_product = 0x100;

void forget_hid(int fd) {
    for (int& h : hid_fds) {
        if (h == fd) {
            h = -1;
        }
    }
}

bool send_hid(int fd, const uhid_event& ev) {
    return write(fd, &ev, sizeof ev) == static_cast<ssize_t>(sizeof ev);
}

// Feature reports the multitouch driver reads while it binds. Unknown
// reports get an error, as a device would stall them.
void answer_get(int fd, const uhid_get_report_req& req) {
    static uhid_event reply;
    memset(&reply, 0, sizeof reply);
    reply.type = UHID_GET_REPORT_REPLY;
    uhid_get_report_reply_req& r = reply.u.get_report_reply;
    r.id = req.id;
    r.data[0] = req.rnum;
    if (req.rnum == 2) {
        r.data[1] = CONTACT_MAX;
        r.size = 2;
    } else if (req.rnum == 0x44) {
        r.size = 257;  // the blob: any bytes do
    } else if (req.rnum == 3) {
        r.size = 2;
    } else {
        r.err = EIO;
    }
    send_hid(fd, reply);
}

void answer_one(int fd) {
    static uhid_event ev;
    while (read(fd, &ev, sizeof ev) > 0) {
        if (ev.type == UHID_GET_REPORT) {
            answer_get(fd, ev.u.get_report);
        } else if (ev.type == UHID_SET_REPORT) {
            static uhid_event reply;
            memset(&reply, 0, sizeof reply);
            reply.type = UHID_SET_REPORT_REPLY;
            reply.u.set_report_reply.id = ev.u.set_report.id;
            send_hid(fd, reply);
        }
        // UHID_START, UHID_OPEN, UHID_CLOSE, UHID_OUTPUT: nothing to say.
    }
}

// ---- finding the event node --------------------------------------------

// The event node inside an input device's sysfs directory, if it has one.
bool event_in(const char* input_dir, char* node, size_t size) {
    DIR* dir = opendir(input_dir);
    if (dir == nullptr) {
        return false;
    }
    bool found = false;
    while (dirent* e = readdir(dir)) {
        if (strncmp(e->d_name, "event", 5) == 0) {
            snprintf(node, size, "/dev/input/%s", e->d_name);
            found = access(node, F_OK) == 0;
        }
    }
    closedir(dir);
    return found;
}

// uinput names its device: /sys/class/input/inputN.
bool uinput_node(device* d) {
    char sysname[32] = {};
    if (ioctl(d->fd, UI_GET_SYSNAME(sizeof sysname), sysname) < 0) {
        return fail(d, "UI_GET_SYSNAME");
    }
    char dir[96];
    snprintf(dir, sizeof dir, "/sys/class/input/%s", sysname);
    for (int tries = 0; tries < 200; ++tries) {
        if (event_in(dir, d->node, sizeof d->node)) {
            return true;
        }
        sleep_ms(10);
    }
    errno = ENOENT;
    return fail(d, "no event node under uinput's device");
}

// A HID device is /sys/bus/hid/devices/BUS:VENDOR:PRODUCT.N, its input
// devices under input/; the product id is ours alone. Notes the driver
// that bound it.
bool hid_input_node(device* d) {
    char* node = d->node;
    const size_t size = sizeof d->node;
    char* driver = d->driver;
    const size_t driver_size = sizeof d->driver;
    char prefix[32];
    snprintf(prefix, sizeof prefix, "%04X:%04X:%04X.", BUS_VIRTUAL, 0x1234, d->product);
    DIR* hid = opendir("/sys/bus/hid/devices");
    if (hid == nullptr) {
        return false;
    }
    bool found = false;
    while (dirent* e = readdir(hid)) {
        if (found || strncmp(e->d_name, prefix, strlen(prefix)) != 0) {
            continue;
        }
        char link[300];
        char target[128] = {};
        snprintf(link, sizeof link, "/sys/bus/hid/devices/%s/driver", e->d_name);
        if (readlink(link, target, sizeof target - 1) <= 0) {
            continue;
        }
        const char* slash = strrchr(target, '/');
        snprintf(driver, driver_size, "%.31s", slash != nullptr ? slash + 1 : target);
        char inputs[300];
        snprintf(inputs, sizeof inputs, "/sys/bus/hid/devices/%s/input", e->d_name);
        if (DIR* in = opendir(inputs)) {
            while (dirent* i = readdir(in)) {
                char input_dir[600];
                snprintf(input_dir, sizeof input_dir, "%s/%s", inputs, i->d_name);
                if (!found && strncmp(i->d_name, "input", 5) == 0) {
                    found = event_in(input_dir, node, size);
                }
            }
            closedir(in);
        }
    }
    closedir(hid);
    return found;
}

// ---- uinput --------------------------------------------------------------

bool abs_axis(int fd, uint16_t code, int32_t max, int32_t min = 0, int32_t resolution = 0) {
    uinput_abs_setup a{};
    a.code = code;
    a.absinfo.minimum = min;
    a.absinfo.maximum = max;
    a.absinfo.resolution = resolution;
    return ioctl(fd, UI_SET_ABSBIT, code) == 0 && ioctl(fd, UI_ABS_SETUP, &a) == 0;
}

bool slotted(kind k) {
    return k == kind::slotted_mt || k == kind::slotted_xy || k == kind::slotted_65 ||
           k == kind::slotted_100;
}

int32_t last_slot(kind k) {
    return k == kind::slotted_65 ? 64 : k == kind::slotted_100 ? 99 : 9;
}

bool set_bits(int fd, kind k) {
    if (k == kind::vibra) {
        return ioctl(fd, UI_SET_EVBIT, EV_FF) == 0 && ioctl(fd, UI_SET_FFBIT, FF_RUMBLE) == 0;
    }
    if (k == kind::keyboard) {
        return ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_KEYBIT, KEY_A) == 0 &&
               ioctl(fd, UI_SET_KEYBIT, KEY_ENTER) == 0;
    }
    if (k == kind::touchpad) {
        return ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_KEYBIT, BTN_TOUCH) == 0 &&
               ioctl(fd, UI_SET_EVBIT, EV_ABS) == 0 && abs_axis(fd, ABS_X, 3900, 200, 40) &&
               abs_axis(fd, ABS_Y, 3950, 180, 30);
    }
    if (k == kind::one_axis) {
        return ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_KEYBIT, BTN_TOUCH) == 0 &&
               ioctl(fd, UI_SET_EVBIT, EV_ABS) == 0 && abs_axis(fd, ABS_MT_POSITION_X, 4095) &&
               ioctl(fd, UI_SET_PROPBIT, INPUT_PROP_DIRECT) == 0;
    }
    const int key = k == kind::mouse_like ? BTN_LEFT : BTN_TOUCH;
    bool ok = ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 && ioctl(fd, UI_SET_KEYBIT, key) == 0 &&
              ioctl(fd, UI_SET_EVBIT, EV_ABS) == 0;
    if (k == kind::mouse_like) {
        return ok && abs_axis(fd, ABS_X, 4095) && abs_axis(fd, ABS_Y, 4095);
    }
    if (k == kind::single || k == kind::slotted_xy) {
        ok = ok && abs_axis(fd, ABS_X, 4095) && abs_axis(fd, ABS_Y, 4095);
    }
    if (k == kind::resistive) {
        ok = ok && abs_axis(fd, ABS_X, 3900, 200) && abs_axis(fd, ABS_Y, 3950, 180);
    }
    if (k == kind::single || k == kind::resistive) {
        ok = ok && abs_axis(fd, ABS_PRESSURE, 255);
    } else {
        ok = ok && abs_axis(fd, ABS_MT_POSITION_X, 4095) && abs_axis(fd, ABS_MT_POSITION_Y, 4095);
    }
    if (slotted(k)) {
        ok = ok && abs_axis(fd, ABS_MT_SLOT, last_slot(k)) &&
             abs_axis(fd, ABS_MT_TRACKING_ID, 65535);
    }
    return ok && ioctl(fd, UI_SET_PROPBIT, INPUT_PROP_DIRECT) == 0;
}

bool create_uinput(device* d, kind k, const char* name) {
    // Close-on-exec: a uinput descriptor inherited by zentu would keep the
    // device alive after the driver removes it.
    d->fd = open("/dev/uinput", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (d->fd < 0) {
        return fail(d, "open /dev/uinput");
    }
    if (!set_bits(d->fd, k)) {
        return fail(d, "uinput set bits");
    }
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.vendor = 0x1234;
    setup.id.product = static_cast<uint16_t>(k);
    snprintf(setup.name, sizeof setup.name, "%s", name);
    setup.ff_effects_max = (k == kind::vibra) ? 1 : 0;
    if (ioctl(d->fd, UI_DEV_SETUP, &setup) < 0 || ioctl(d->fd, UI_DEV_CREATE) < 0) {
        return fail(d, "uinput create");
    }
    return uinput_node(d);
}

// ---- uhid ----------------------------------------------------------------

// The node appears while the driver's probe still runs, and the HID core
// drops the reports that arrive before the probe returns: tap a corner
// until a reader of our own sees events come through.
bool hid_ready(device* d) {
    const int fd = open(d->node, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    bool seen = false;
    for (int tries = 0; tries < 100 && fd >= 0 && !seen; ++tries) {
        put_down(d, 0, 4095, 4095);
        commit(d);
        lift(d, 0);
        commit(d);
        sleep_ms(20);
        input_event ev{};
        while (read(fd, &ev, sizeof ev) == static_cast<ssize_t>(sizeof ev)) {
            seen = true;
        }
    }
    if (fd >= 0) {
        close(fd);
    }
    return seen;
}

bool create_uhid(device* d, kind k, const char* name) {
    d->fd = open("/dev/uhid", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (d->fd < 0) {
        return fail(d, "open /dev/uhid");
    }
    d->product = next_product++;
    static uhid_event ev;
    memset(&ev, 0, sizeof ev);
    ev.type = UHID_CREATE2;
    uhid_create2_req& c = ev.u.create2;
    snprintf(reinterpret_cast<char*>(c.name), sizeof c.name, "%s", name);
    const bool mt = (k == kind::hid_mt);
    c.rd_size = mt ? sizeof mt_descriptor : sizeof single_descriptor;
    memcpy(c.rd_data, mt ? mt_descriptor : single_descriptor, c.rd_size);
    c.bus = BUS_VIRTUAL;
    c.vendor = 0x1234;
    c.product = d->product;
    if (!send_hid(d->fd, ev)) {
        return fail(d, "UHID_CREATE2");
    }
    for (int& h : hid_fds) {
        if (h < 0) {
            h = d->fd;
            break;
        }
    }
    // The driver binds in the background and asks for feature reports
    // meanwhile: answer them until the event node is there.
    bool found = false;
    for (int tries = 0; tries < 500 && !found; ++tries) {
        found = hid_input_node(d);
        if (!found) {
            sleep_ms(10);
        }
    }
    errno = ENOENT;
    if (!found || !hid_ready(d)) {
        forget_hid(d->fd);
        return fail(d, "no event node under the HID device, or no events through it");
    }
    return true;
}

void put16(uint8_t* p, int32_t v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

void hid_report(const device& d, const int* order) {
    static uhid_event ev;
    memset(&ev, 0, sizeof ev);
    ev.type = UHID_INPUT2;
    uint8_t* p = ev.u.input2.data;
    if (d.k == kind::hid_single) {
        const finger& f = d.fingers[0];
        p[0] = f.down ? 0x03 : 0x00;  // tip switch and in range
        put16(p + 1, f.x);
        put16(p + 3, f.y);
        ev.u.input2.size = 5;
    } else {
        // Report every contact that is down or has just lifted (tip switch
        // 0 once), in the order asked for; the contact id is the finger.
        p[0] = 1;
        uint8_t count = 0;
        for (int i = 0; i < FINGERS; ++i) {
            const finger& f = d.fingers[order[i]];
            if (!f.down && !f.was_down) {
                continue;
            }
            uint8_t* c = p + 1 + 6 * count++;
            c[0] = f.down ? 1 : 0;
            c[1] = static_cast<uint8_t>(order[i]);
            put16(c + 2, f.x);
            put16(c + 4, f.y);
        }
        p[1 + 6 * FINGERS] = count;
        ev.u.input2.size = 2 + 6 * FINGERS;
    }
    send_hid(d.fd, ev);
}

// The frame a kernel driver for this kind would send.
void uinput_frame(device* d, const int* order) {
    bool any_down = false;
    const finger* oldest = nullptr;
    for (int i = 0; i < FINGERS; ++i) {
        finger& f = d->fingers[order[i]];
        any_down = any_down || f.down;
        const bool single = d->k == kind::single || d->k == kind::resistive;
        if (single || d->k == kind::mouse_like) {
            if (f.down) {
                emit(*d, EV_ABS, ABS_X, f.x);
                emit(*d, EV_ABS, ABS_Y, f.y);
            }
            if (single) {
                emit(*d, EV_ABS, ABS_PRESSURE, f.down ? 200 : 0);
            }
        } else if (slotted(d->k)) {
            if (!f.down && !f.was_down) {
                continue;
            }
            emit(*d, EV_ABS, ABS_MT_SLOT, order[i]);
            if (f.down && !f.was_down) {
                f.tracking = d->next_tracking++;
            }
            emit(*d, EV_ABS, ABS_MT_TRACKING_ID, f.down ? f.tracking : -1);
            if (f.down) {
                emit(*d, EV_ABS, ABS_MT_POSITION_X, f.x);
                emit(*d, EV_ABS, ABS_MT_POSITION_Y, f.y);
            }
        } else if (f.down) {
            emit(*d, EV_ABS, ABS_MT_POSITION_X, f.x);
            emit(*d, EV_ABS, ABS_MT_POSITION_Y, f.y);
            emit(*d, EV_SYN, SYN_MT_REPORT, 0);
        }
        if (single || d->k == kind::mouse_like) {
            break;  // one contact only
        }
    }
    if (d->k == kind::plain_mt && !any_down) {
        emit(*d, EV_SYN, SYN_MT_REPORT, 0);
    }
    // Pointer emulation: the oldest contact, as the kernel's own helper does.
    for (const finger& f : d->fingers) {
        if (f.down && (oldest == nullptr || f.tracking < oldest->tracking)) {
            oldest = &f;
        }
    }
    if (d->k == kind::slotted_xy && oldest != nullptr) {
        emit(*d, EV_ABS, ABS_X, oldest->x);
        emit(*d, EV_ABS, ABS_Y, oldest->y);
    }
    emit(*d, EV_KEY, d->k == kind::mouse_like ? BTN_LEFT : BTN_TOUCH, any_down ? 1 : 0);
    emit(*d, EV_SYN, SYN_REPORT, 0);
}

}  // namespace

int64_t now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void answer_hid_requests() {
    for (int fd : hid_fds) {
        if (fd >= 0) {
            answer_one(fd);
        }
    }
}

void sleep_ms(int ms) {
    const int64_t end = now_ms() + ms;
    for (int64_t left = ms; left > 0; left = end - now_ms()) {
        pollfd p[MAX_HID];
        int n = 0;
        for (int fd : hid_fds) {
            if (fd >= 0) {
                p[n++] = pollfd{fd, POLLIN, 0};
            }
        }
        poll(p, static_cast<nfds_t>(n), static_cast<int>(left));
        answer_hid_requests();
    }
}

bool create(device* d, kind k, const char* name) {
    d->k = k;
    return is_hid(k) ? create_uhid(d, k, name) : create_uinput(d, k, name);
}

void destroy(device* d) {
    if (d->fd < 0) {
        return;
    }
    if (is_hid(d->k)) {
        static uhid_event ev;
        memset(&ev, 0, sizeof ev);
        ev.type = UHID_DESTROY;
        send_hid(d->fd, ev);
        forget_hid(d->fd);
    } else {
        ioctl(d->fd, UI_DEV_DESTROY);
    }
    close(d->fd);
    d->fd = -1;
}

void emit(const device& d, uint16_t type, uint16_t code, int32_t value) {
    input_event ev{};
    ev.type = type;
    ev.code = code;
    ev.value = value;
    if (write(d.fd, &ev, sizeof ev) != static_cast<ssize_t>(sizeof ev)) {
        printf("# uinput write failed: %s\n", strerror(errno));
    }
}

void put_down(device* d, int f, int32_t x, int32_t y) {
    d->fingers[f].down = true;
    d->fingers[f].x = x;
    d->fingers[f].y = y;
}

void lift(device* d, int f) {
    d->fingers[f].down = false;
}

void commit(device* d, const int* order) {
    static const int natural[FINGERS] = {0, 1};
    order = order != nullptr ? order : natural;
    if (is_hid(d->k)) {
        hid_report(*d, order);
    } else {
        uinput_frame(d, order);
    }
    for (finger& f : d->fingers) {
        f.was_down = f.down;
    }
}

void tap(device* d, int32_t x, int32_t y) {
    put_down(d, 0, x, y);
    commit(d);
    sleep_ms(30);
    lift(d, 0);
    commit(d);
}
