// SPDX-License-Identifier: MIT
// One position per slot on slotted screens, and which of them a store
// takes: the live contact spoken of last.
#include <linux/input.h>

#include "touch_internal.h"

namespace {

// Stamps keep only their order: before the counter wraps, they are
// renumbered 1, 2, ... in the same order.
void renumber(touch_state* s) {
    uint32_t stamps[TOUCH_MAX_SLOTS] = {};
    for (int i = 0; i < s->slots; ++i) {
        stamps[i] = s->slot[i].mention;
    }
    s->mentions = 0;
    for (int i = 0; i < s->slots; ++i) {
        if (stamps[i] == 0) {
            continue;
        }
        uint32_t rank = 1;
        for (int j = 0; j < s->slots; ++j) {
            rank += (stamps[j] != 0 && stamps[j] < stamps[i]) ? 1 : 0;
        }
        s->slot[i].mention = rank;
        s->mentions = rank > s->mentions ? rank : s->mentions;
    }
}

void mention(touch_state* s, int slot) {
    if (s->mentions == UINT32_MAX) {
        renumber(s);
    }
    s->slot[slot].mention = ++s->mentions;
}

}  // namespace

void begin_slot_burst(touch_state* s) {
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
    // The live contact spoken of last. Usually the burst spoke of it; when
    // every slot the burst spoke of has lifted (a finger that lifts alone
    // while another stays still), it is the contact still down that was
    // spoken of before, never the finger that is gone.
    const touch_slot* last = nullptr;
    for (int i = 0; i < s.slots; ++i) {
        const touch_slot& slot = s.slot[i];
        if (slot.tracking >= 0 && (last == nullptr || slot.mention > last->mention)) {
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
