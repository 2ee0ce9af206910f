// What the touch device says of itself: its axes, its slots and their
// current values. Sources that answer no query read as plain.
#include <cstdint>

#include <linux/input.h>

#include "touch.h"

namespace {

// The layout EVIOCGMTSLOTS fills: an axis code, then one value per slot.
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

// What the slot queries answered while the kind was decided, kept so that
// seeding the wait does not ask the device the same things again.
struct slot_answers {
    input_absinfo slot{};  // value: the current slot; maximum: the last one
    slot_values x{};
};

// The slot count of a slotted device the wait can follow, else 0. The
// current slot must be one of them, and the slots must answer.
int usable_slots(int fd, slot_answers* a) {
    if (!query_device(fd, EVIOCGABS(ABS_MT_SLOT), &a->slot) || a->slot.maximum < 0 ||
        a->slot.maximum >= TOUCH_MAX_SLOTS || a->slot.value < 0 ||
        a->slot.value > a->slot.maximum) {
        return 0;
    }
    return slot_query(fd, ABS_MT_POSITION_X, &a->x) ? a->slot.maximum + 1 : 0;
}

bool read_slots(int fd, const slot_answers& a, touch_state* s) {
    slot_values y{};
    if (!slot_query(fd, ABS_MT_POSITION_Y, &y)) {
        return false;
    }
    slot_values tracking{};
    // Without tracking ids every slot counts as holding a contact.
    const bool tracked = slot_query(fd, ABS_MT_TRACKING_ID, &tracking);
    s->current = a.slot.value;
    for (int i = 0; i < s->slots; ++i) {
        s->slot[i] = touch_slot{a.x.values[i], y.values[i], tracked ? tracking.values[i] : 0, 0};
    }
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
    // Capacitive screens report ABS_X/ABS_Y too, for old readers; the
    // multitouch axes win.
    if (has(bits, ABS_MT_POSITION_X) || has(bits, ABS_MT_POSITION_Y)) {
        if (has(bits, ABS_MT_SLOT)) {
            *slots = usable_slots(fd, a);
        }
        return *slots > 0 ? TOUCH_KIND_MT_SLOTS : TOUCH_KIND_MT;
    }
    if (has(bits, ABS_X) && has(bits, ABS_Y)) {
        return TOUCH_KIND_SINGLE;
    }
    return TOUCH_KIND_NO_AXES;
}

}  // namespace

int get_touch_kind(int fd, int* slots) {
    slot_answers unused;
    return touch_kind_of(fd, slots, &unused);
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
