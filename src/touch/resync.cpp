// SPDX-License-Identifier: MIT
// After the kernel dropped events: what the device holds now, against what
// the wait knew before, applied as one frame.
#include <cstdint>

#include <linux/input.h>

#include "touch_internal.h"

namespace {

bool has_key(const unsigned char* bits, int code) {
    return (bits[code / 8] & (1u << (code % 8))) != 0;
}

// BTN_TOUCH as the device holds it; -1 when it cannot say. Asked after the
// slots: the kernel then also takes the key events it already counts out of
// the queue, so a lift still queued is not read a second time.
int read_touch_key(int fd) {
    unsigned char bits[KEY_MAX / 8 + 1] = {};
    if (!query_device(fd, EVIOCGBIT(EV_KEY, sizeof bits), bits) || !has_key(bits, BTN_TOUCH)) {
        return -1;
    }
    unsigned char keys[KEY_MAX / 8 + 1] = {};
    if (!query_device(fd, EVIOCGKEY(sizeof keys), keys)) {
        return -1;
    }
    return has_key(keys, BTN_TOUCH) ? 1 : 0;
}

bool any_live(const touch_state& s) {
    for (int i = 0; i < s.slots; ++i) {
        if (s.slot[i].tracking >= 0) {
            return true;
        }
    }
    return false;
}

// Whether a touch was down: BTN_TOUCH as the last frame left it; before
// any frame of this wait said, a slotted screen's live contacts tell.
bool touch_down(const touch_state& s) {
    if (s.touch >= 0) {
        return s.touch == 1;
    }
    return s.kind == TOUCH_KIND_MT_SLOTS && any_live(s);
}

// A contact live before the drop is still live under the same tracking id.
bool contact_survived(const touch_state& s, const touch_state& now) {
    for (int i = 0; i < s.slots; ++i) {
        if (s.slot[i].tracking >= 0 && now.slot[i].tracking == s.slot[i].tracking) {
            return true;
        }
    }
    return false;
}

void write_slot(touch_state* s, int i, const touch_slot& now) {
    note_slot_event(s, ABS_MT_SLOT, i);
    note_slot_event(s, ABS_MT_TRACKING_ID, now.tracking);
    note_slot_event(s, ABS_MT_POSITION_X, now.x);
    note_slot_event(s, ABS_MT_POSITION_Y, now.y);
}

// One frame that speaks of every slot that changed: first those whose
// contact the wait knew, then, from the highest slot down, those it has
// not heard of, so that a store takes the lowest new contact.
void apply_slots(touch_state* s, const touch_state& now) {
    for (int i = 0; i < s->slots; ++i) {
        const touch_slot& was = s->slot[i];
        const touch_slot& is = now.slot[i];
        if (is.tracking == was.tracking && (is.x != was.x || is.y != was.y)) {
            write_slot(s, i, is);
        }
    }
    for (int i = s->slots - 1; i >= 0; --i) {
        if (now.slot[i].tracking != s->slot[i].tracking) {
            write_slot(s, i, now.slot[i]);
        }
    }
    s->current = now.current;
}

}  // namespace

int apply_resync(touch_state* s, const touch_state& now, int key) {
    const bool before = touch_down(*s);
    bool survived = true;  // without tracking ids BTN_TOUCH alone decides
    bool positioned = false;
    bool down = key < 0 ? before : key == 1;
    if (s->kind == TOUCH_KIND_MT_SLOTS && now.kind == s->kind && now.slots == s->slots) {
        survived = contact_survived(*s, now);
        apply_slots(s, now);
        positioned = true;
        // A touch needs a contact to be stored from.
        down = key != 0 && any_live(now);
    } else if (s->kind == TOUCH_KIND_SINGLE && now.kind == s->kind) {
        s->x = now.x;
        s->y = now.y;
        positioned = true;
    }
    s->touch = down ? 1 : 0;
    if (s->start_pending || (!before && down && !positioned)) {
        // Where the touch stands is still unheard of: its next positions
        // start it, or its lift ends it unheard.
        s->start_pending = down;
        return down ? BURST_NONE : TOUCH_LOST_END;
    }
    if (!before) {
        return down ? TOUCH_START : BURST_NONE;
    }
    if (!down || !survived) {
        return TOUCH_LOST_END;
    }
    // Without a position asked afresh, the working one may be half of a
    // frame the drop broke: nothing to store until the next whole frame.
    return positioned ? TOUCH_UNCHANGED : BURST_NONE;
}

int resync_touch(int fd, touch_state* s) {
    // Pipes and files answer nothing, and only these kinds keep a position
    // the device can be asked for.
    touch_state now;
    if (s->kind == TOUCH_KIND_MT_SLOTS || s->kind == TOUCH_KIND_SINGLE) {
        read_touch_state(fd, &now);
    }
    return apply_resync(s, now, read_touch_key(fd));
}
