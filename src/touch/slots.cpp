// One position per slot on slotted screens, and which of them a store
// takes: the live contact the burst spoke of last.
#include <linux/input.h>

#include "touch.h"

namespace {

void mention(touch_state* s, int slot) {
    s->spoken |= uint64_t{1} << slot;
    s->slot[slot].mention = ++s->mentions;
}

}  // namespace

void begin_slot_burst(touch_state* s) {
    s->spoken = 0;
    s->mentions = 0;
    if (s->current >= 0) {
        mention(s, s->current);
    }
}

void note_slot_event(touch_state* s, uint16_t code, int32_t value) {
    if (code == ABS_MT_SLOT) {
        // A slot the device does not have selects none: what follows
        // cannot be placed, so it is dropped until a real slot is chosen.
        s->current = (value >= 0 && value < s->slots) ? value : -1;
        if (s->current >= 0) {
            mention(s, s->current);
        }
        return;
    }
    if (s->current < 0) {
        return;
    }
    touch_slot& slot = s->slot[s->current];
    if (code == ABS_MT_TRACKING_ID) {
        slot.tracking = value;
    } else if (code == ABS_MT_POSITION_X) {
        slot.x = value;
    } else if (code == ABS_MT_POSITION_Y) {
        slot.y = value;
    } else {
        return;
    }
    mention(s, s->current);
}

bool get_stored_position(const touch_state& s, int32_t* x, int32_t* y) {
    if (s.kind != TOUCH_KIND_MT_SLOTS) {
        *x = s.x;
        *y = s.y;
        return true;
    }
    const touch_slot* last = nullptr;
    for (int i = 0; i < s.slots; ++i) {
        const touch_slot& slot = s.slot[i];
        if ((s.spoken >> i & 1u) != 0 && slot.tracking >= 0 &&
            (last == nullptr || slot.mention > last->mention)) {
            last = &slot;
        }
    }
    if (last == nullptr) {
        return false;
    }
    *x = last->x;
    *y = last->y;
    return true;
}
