// SPDX-License-Identifier: MIT
// What the touch device says of itself: its axes, its slots and their
// current values. Sources that answer no query read as plain.
#include <cstdint>

#include <linux/input.h>

#include "touch_internal.h"

namespace {

// The layout EVIOCGMTSLOTS fills: an axis code, then one value per slot.
// The kernel fills as many slots as the buffer holds: the first
// TOUCH_MAX_SLOTS of a device that has more.
struct slot_values {
    uint32_t code;
    int32_t values[TOUCH_MAX_SLOTS];
};

bool slot_query(int fd, uint32_t code, slot_values* v) {
    v->code = code;
    return query_device(fd, EVIOCGMTSLOTS(sizeof *v), v);
}

bool has(const unsigned char* bits, int code) {
    return (bits[code / 8] & (1u << (code % 8))) != 0;
}

// Which pair of position axes a device's absolute axes hold. Capacitive
// screens report ABS_X/ABS_Y too, for old readers; the multitouch pair wins.
enum class axes { none, single, multitouch };

axes position_axes(const unsigned char* abs_bits) {
    if (has(abs_bits, ABS_MT_POSITION_X) && has(abs_bits, ABS_MT_POSITION_Y)) {
        return axes::multitouch;
    }
    if (has(abs_bits, ABS_X) && has(abs_bits, ABS_Y)) {
        return axes::single;
    }
    return axes::none;
}

// What the slot queries answered while the kind was decided, kept so that
// seeding the wait does not ask the device the same things again.
struct slot_answers {
    input_absinfo slot{};  // value: the current slot; maximum: the last one
    slot_values x{};
};

// The number of slots followed on a slotted device, else 0: all of them,
// or the first TOUCH_MAX_SLOTS of a device that has more. The slots must
// answer.
int usable_slots(int fd, slot_answers* a) {
    if (!query_device(fd, EVIOCGABS(ABS_MT_SLOT), &a->slot) || a->slot.maximum < 0 ||
        !slot_query(fd, ABS_MT_POSITION_X, &a->x)) {
        return 0;
    }
    return a->slot.maximum < TOUCH_MAX_SLOTS ? a->slot.maximum + 1 : TOUCH_MAX_SLOTS;
}

// One buffer serves the other axes in turn: the state is on the stack.
bool read_slots(int fd, const slot_answers& a, touch_state* s) {
    slot_values v{};
    if (!slot_query(fd, ABS_MT_POSITION_Y, &v)) {
        return false;
    }
    for (int i = 0; i < s->slots; ++i) {
        s->slot[i] = touch_slot{a.x.values[i], v.values[i], 0, 0};
    }
    // Without tracking ids every slot counts as holding a contact.
    if (slot_query(fd, ABS_MT_TRACKING_ID, &v)) {
        for (int i = 0; i < s->slots; ++i) {
            s->slot[i].tracking = v.values[i];
        }
    }
    // A current slot beyond those followed selects none, as a selection of
    // it would.
    const int32_t current = a.slot.value;
    s->current = current >= 0 && current < s->slots ? current : -1;
    return true;
}

// For ABS_X and ABS_Y the kernel keeps the latest value.
bool read_single(int fd, touch_state* s) {
    input_absinfo x{};
    input_absinfo y{};
    if (!query_device(fd, EVIOCGABS(ABS_X), &x) || !query_device(fd, EVIOCGABS(ABS_Y), &y)) {
        return false;
    }
    s->x = x.value;
    s->y = y.value;
    return true;
}

int touch_kind_of(int fd, int* slots, slot_answers* a) {
    *slots = 0;
    unsigned char bits[ABS_CNT / 8 + 1] = {};
    if (!query_device(fd, EVIOCGBIT(EV_ABS, sizeof bits), bits)) {
        return TOUCH_KIND_PLAIN;
    }
    switch (position_axes(bits)) {
    case axes::multitouch:
        if (has(bits, ABS_MT_SLOT)) {
            *slots = usable_slots(fd, a);
        }
        return *slots > 0 ? TOUCH_KIND_MT_SLOTS : TOUCH_KIND_MT;
    case axes::single:
        return TOUCH_KIND_SINGLE;
    case axes::none:
        break;
    }
    return TOUCH_KIND_NO_AXES;
}

const char* const LACK_WORDS[] = {"-", "no-btn-touch", "no-position-axes", "not-evdev"};

}  // namespace

int get_touch_lack(int fd) {
    unsigned char types[EV_CNT / 8 + 1] = {};
    if (!query_device(fd, EVIOCGBIT(0, sizeof types), types)) {
        return TOUCH_LACKS_INPUT;
    }
    unsigned char keys[KEY_CNT / 8 + 1] = {};
    if (!query_device(fd, EVIOCGBIT(EV_KEY, sizeof keys), keys) || !has(keys, BTN_TOUCH)) {
        return TOUCH_LACKS_BTN_TOUCH;
    }
    unsigned char abs_bits[ABS_CNT / 8 + 1] = {};
    if (!query_device(fd, EVIOCGBIT(EV_ABS, sizeof abs_bits), abs_bits) ||
        position_axes(abs_bits) == axes::none) {
        return TOUCH_LACKS_POSITION_AXES;
    }
    return TOUCH_LACKS_NOTHING;
}

const char* touch_lack_word(int lack) {
    return lack >= TOUCH_LACKS_NOTHING && lack <= TOUCH_LACKS_INPUT ? LACK_WORDS[lack] : "-";
}

int get_touch_kind(int fd, int* slots) {
    slot_answers unused;
    return touch_kind_of(fd, slots, &unused);
}

touch_axes touch_axes_of(int kind) {
    if (kind == TOUCH_KIND_SINGLE) {
        return {ABS_X, ABS_Y};
    }
    return {ABS_MT_POSITION_X, ABS_MT_POSITION_Y};
}

void describe_touch_device(int fd, touch_device* d) {
    d->kind = get_touch_kind(fd, &d->slots);
    d->axes = touch_axes_of(d->kind);
    d->lack = get_touch_lack(fd);
}

void read_touch_state(int fd, touch_state* state) {
    *state = touch_state{};
    int slots = 0;
    slot_answers answers;
    const int kind = touch_kind_of(fd, &slots, &answers);
    state->slots = slots;
    bool seeded = true;
    if (kind == TOUCH_KIND_MT_SLOTS) {
        seeded = read_slots(fd, answers, state);
    } else if (kind == TOUCH_KIND_SINGLE) {
        seeded = read_single(fd, state);
    }
    if (!seeded) {
        *state = touch_state{};
        return;
    }
    state->kind = kind;
}
