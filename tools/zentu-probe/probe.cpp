// Asking one node what it is, walking the nodes in order, and writing the
// listing's records.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "probe.h"
#include "touch/touch.h"

namespace {

bool has(const unsigned char* bits, int code) {
    return (bits[code / 8] & (1u << (code % 8))) != 0;
}

bool is_gone(int error) {
    return error == ENODEV || error == ENOENT || error == ENXIO;
}

// The axes the tap wait reads for this kind of device.
void read_area(int fd, probe_device* d) {
    const bool single = d->touch_kind == TOUCH_KIND_SINGLE;
    d->has_area = query_device(fd, EVIOCGABS(single ? ABS_X : ABS_MT_POSITION_X), &d->x) &&
                  query_device(fd, EVIOCGABS(single ? ABS_Y : ABS_MT_POSITION_Y), &d->y);
}

void classify(int fd, probe_device* d) {
    unsigned char ev[EV_CNT / 8 + 1] = {};
    if (!query_device(fd, EVIOCGBIT(0, sizeof ev), ev)) {
        d->open_error = errno;
        d->kind = is_gone(errno) ? PROBE_ERROR : PROBE_OTHER;
        d->reason = REASON_NOT_INPUT_DEVICE;
        return;
    }
    d->has_id = query_device(fd, EVIOCGID, &d->id);
    unsigned char keys[KEY_CNT / 8 + 1] = {};
    unsigned char props[INPUT_PROP_CNT / 8 + 1] = {};
    const bool btn_touch =
        query_device(fd, EVIOCGBIT(EV_KEY, sizeof keys), keys) && has(keys, BTN_TOUCH);
    d->direct = query_device(fd, EVIOCGPROP(sizeof props), props) && has(props, INPUT_PROP_DIRECT);
    d->ff = has(ev, EV_FF);
    if (!query_device(fd, EVIOCGNAME(sizeof d->name - 1), d->name)) {
        d->name[0] = '\0';
    }
    d->touch_kind = get_touch_kind(fd, &d->slots);
    const bool axes = d->touch_kind == TOUCH_KIND_SINGLE || d->touch_kind == TOUCH_KIND_MT ||
                      d->touch_kind == TOUCH_KIND_MT_SLOTS;
    if (btn_touch && axes) {
        d->kind = PROBE_TOUCH;
        read_area(fd, d);
    } else {
        d->kind = d->ff ? PROBE_VIBRA : PROBE_OTHER;
        d->reason = btn_touch ? REASON_NO_POSITION_AXES : REASON_NO_BTN_TOUCH;
    }
    // A device removed while it was asked answers the later queries with
    // failures that look like a plain device: ask once more.
    int version = 0;
    if (!query_device(fd, EVIOCGVERSION, &version) && is_gone(errno)) {
        d->kind = PROBE_ERROR;
        d->open_error = errno;
    }
}

void print_escaped(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '\\') {
            fputs("\\\\", stdout);
        } else if (c < 0x20 || c >= 0x7f) {
            printf("\\x%02x", c);
        } else {
            putchar(c);
        }
    }
}

const char* const REASON_WORDS[] = {"-", "no-btn-touch", "no-position-axes", "not-evdev"};
const char* const KIND_WORDS[] = {"error", "touch", "vibra", "other"};

}  // namespace

const char* reason_word(int reason) {
    return REASON_WORDS[reason];
}

const char* error_word(int error) {
    if (error == EACCES || error == EPERM) {
        return "permission-denied";
    }
    if (error == EBUSY) {
        return "busy";
    }
    return is_gone(error) ? "gone" : "error";
}

void probe_node(const char* path, int number, probe_device* d) {
    *d = probe_device{};
    d->number = number;
    snprintf(d->path, sizeof d->path, "%s", path);
    // Without waiting: a FIFO among the nodes must not hang the listing.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        d->open_error = errno;
        return;
    }
    classify(fd, d);
    close(fd);
}

int event_number(const char* entry) {
    if (strncmp(entry, "event", 5) != 0 || entry[5] == '\0') {
        return -1;
    }
    int n = 0;
    for (const char* p = entry + 5; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9' || n > (INT_MAX - 9) / 10) {
            return -1;
        }
        n = n * 10 + (*p - '0');
    }
    return n;
}

int visit_nodes(const char* dir, probe_visitor visit, void* context) {
    DIR* d = opendir(dir);
    if (d == nullptr) {
        return -1;
    }
    // One pass per node, each finding the next number up: sorted without
    // storing the directory, whatever its size.
    int count = 0;
    for (int last = -1;; ++count) {
        int next = -1;
        rewinddir(d);
        while (const dirent* e = readdir(d)) {
            const int n = event_number(e->d_name);
            if (n > last && (next < 0 || n < next)) {
                next = n;
            }
        }
        if (next < 0) {
            break;
        }
        last = next;
        char path[PROBE_PATH_SIZE];
        snprintf(path, sizeof path, "%s/event%d", dir, next);
        probe_device device;
        probe_node(path, next, &device);
        if (!visit(device, context)) {
            ++count;
            break;
        }
    }
    closedir(d);
    return count;
}

void print_area(const probe_device& d) {
    printf("%d..%dx%d..%d", d.x.minimum, d.x.maximum, d.y.minimum, d.y.maximum);
}

void print_record(const probe_device& d) {
    printf("%s\t%s\t", d.path, KIND_WORDS[d.kind]);
    if (d.kind == PROBE_ERROR) {
        printf("%s\t-\t-\t-\t\t-\n", error_word(d.open_error));
        return;
    }
    if (d.kind != PROBE_TOUCH) {
        fputs(d.kind == PROBE_VIBRA ? "ff" : reason_word(d.reason), stdout);
    } else if (d.touch_kind == TOUCH_KIND_MT_SLOTS) {
        printf("slots=%d", d.slots);
    } else {
        fputs(d.touch_kind == TOUCH_KIND_MT ? "mt" : "single", stdout);
    }
    const char* flags = d.direct ? (d.ff ? "direct,ff" : "direct") : (d.ff ? "ff" : "-");
    printf("\t%s\t", flags);
    if (d.kind == PROBE_TOUCH && d.has_area) {
        print_area(d);
    } else {
        putchar('-');
    }
    if (d.kind == PROBE_TOUCH && d.has_area && (d.x.resolution != 0 || d.y.resolution != 0)) {
        printf("\t%dx%d\t", d.x.resolution, d.y.resolution);
    } else {
        fputs("\t-\t", stdout);
    }
    print_escaped(d.name);
    putchar('\t');
    print_id(d);
    putchar('\n');
}
