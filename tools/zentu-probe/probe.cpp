// SPDX-License-Identifier: MIT
// Asking one node what it is, walking the nodes in order, and writing the
// listing's records.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <unistd.h>

#include "probe.h"
#include "touch/query.h"

namespace {

bool has(const unsigned char* bits, int code) {
    return (bits[code / 8] & (1u << (code % 8))) != 0;
}

bool is_gone(int error) {
    return error == ENODEV || error == ENOENT || error == ENXIO;
}

// The axes the tap wait reads on this device.
void read_area(int fd, const touch_axes& axes, probe_device* d) {
    d->has_area =
        query_device(fd, EVIOCGABS(axes.x), &d->x) && query_device(fd, EVIOCGABS(axes.y), &d->y);
}

void classify(int fd, probe_device* d) {
    unsigned char ev[EV_CNT / 8 + 1] = {};
    if (!query_device(fd, EVIOCGBIT(0, sizeof ev), ev)) {
        d->open_error = errno;
        d->kind = is_gone(errno) ? PROBE_ERROR : PROBE_OTHER;
        d->reason = TOUCH_LACKS_INPUT;
        return;
    }
    d->has_id = query_device(fd, EVIOCGID, &d->id);
    unsigned char props[INPUT_PROP_CNT / 8 + 1] = {};
    d->direct = query_device(fd, EVIOCGPROP(sizeof props), props) && has(props, INPUT_PROP_DIRECT);
    d->ff = has(ev, EV_FF);
    if (!query_device(fd, EVIOCGNAME(sizeof d->name - 1), d->name)) {
        d->name[0] = '\0';
    }
    // zentu's own rules, so that the two cannot disagree about a device.
    touch_device touch;
    describe_touch_device(fd, &touch);
    d->touch_kind = touch.kind;
    d->slots = touch.slots;
    d->reason = touch.lack;
    if (d->reason == TOUCH_LACKS_NOTHING) {
        d->kind = PROBE_TOUCH;
        read_area(fd, touch.axes, d);
    } else {
        d->kind = d->ff ? PROBE_VIBRA : PROBE_OTHER;
    }
    // A device removed while it was asked answers the later queries with
    // failures that look like a plain device: ask once more.
    int version = 0;
    if (!query_device(fd, EVIOCGVERSION, &version) && is_gone(errno)) {
        d->kind = PROBE_ERROR;
        d->open_error = errno;
    }
}

// One byte as the listing shows it; returns its length (1, 2 or 4).
int escape_byte(unsigned char c, char* out) {
    if (c == '\\') {
        out[0] = '\\';
        out[1] = '\\';
        return 2;
    }
    if (c < 0x20 || c >= 0x7f) {
        constexpr const char hex[] = "0123456789abcdef";
        out[0] = '\\';
        out[1] = 'x';
        out[2] = hex[c >> 4];
        out[3] = hex[c & 0xf];
        return 4;
    }
    out[0] = static_cast<char>(c);
    return 1;
}

const char* const KIND_WORDS[] = {"error", "touch", "vibra", "other"};

// Nodes in order: by number, then by name among equal numbers.
bool comes_before(int n, const char* name, int other_n, const char* other_name) {
    return n != other_n ? n < other_n : strcmp(name, other_name) < 0;
}

}  // namespace

void escape_text(const char* text, char* out, int size) {
    int used = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        char piece[4];
        const int n = escape_byte(static_cast<unsigned char>(*p), piece);
        if (out == nullptr) {
            fwrite(piece, 1, static_cast<size_t>(n), stdout);
        } else if (used + n < size) {
            memcpy(out + used, piece, static_cast<size_t>(n));
            used += n;
        } else {
            break;
        }
    }
    if (out != nullptr && size > 0) {
        out[used] = '\0';
    }
}

bool name_matches(const char* pattern, const char* name) {
    if (fnmatch(pattern, name, 0) == 0) {
        return true;
    }
    char shown[PROBE_NAME_SIZE * 4];
    escape_text(name, shown, sizeof shown);
    return fnmatch(pattern, shown, FNM_NOESCAPE) == 0;
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
    // One pass per node, each finding the next one up: sorted without
    // storing the directory, whatever its size.
    int count = 0;
    int last = -1;
    char last_name[sizeof(dirent::d_name)] = {};
    for (;; ++count) {
        int next = -1;
        char next_name[sizeof(dirent::d_name)] = {};
        rewinddir(d);
        while (const dirent* e = readdir(d)) {
            const int n = event_number(e->d_name);
            if (n >= 0 && comes_before(last, last_name, n, e->d_name) &&
                (next < 0 || comes_before(n, e->d_name, next, next_name))) {
                next = n;
                snprintf(next_name, sizeof next_name, "%s", e->d_name);
            }
        }
        if (next < 0) {
            break;
        }
        last = next;
        memcpy(last_name, next_name, sizeof last_name);
        char path[PROBE_PATH_SIZE];
        probe_device device;
        if (snprintf(path, sizeof path, "%s/%s", dir, next_name) >= static_cast<int>(sizeof path)) {
            device = probe_device{};
            device.number = next;
            snprintf(device.path, sizeof device.path, "%s", path);
            device.open_error = ENAMETOOLONG;
        } else {
            probe_node(path, next, &device);
        }
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
    // Escaped as the name is, so that no byte of DIR can split the record.
    escape_text(d.path, nullptr, 0);
    printf("\t%s\t", KIND_WORDS[d.kind]);
    if (d.kind == PROBE_ERROR) {
        printf("%s\t-\t-\t-\t\t-\n", error_word(d.open_error));
        return;
    }
    if (d.kind != PROBE_TOUCH) {
        fputs(d.kind == PROBE_VIBRA ? "ff" : touch_lack_word(d.reason), stdout);
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
    escape_text(d.name, nullptr, 0);
    putchar('\t');
    print_id(d);
    putchar('\n');
}
