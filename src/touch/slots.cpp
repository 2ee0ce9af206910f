// Slot queries for multitouch screens that report only changed values.
#include <cstdint>

#include <linux/input.h>
#include <sys/ioctl.h>

#include "touch.h"

namespace {

// Slots beyond this many are not queried; such a device keeps the plain
// behaviour.
constexpr int MAX_SLOTS = 64;

// The layout EVIOCGMTSLOTS fills: an axis code, then one value per slot.
struct slot_values {
    uint32_t code;
    int32_t values[MAX_SLOTS];
};

bool has_slots(int fd) {
    unsigned char bits[ABS_CNT / 8 + 1] = {};
    if (ioctl(fd, EVIOCGBIT(EV_ABS, sizeof bits), bits) < 0) {
        return false;
    }
    return (bits[ABS_MT_SLOT / 8] & (1u << (ABS_MT_SLOT % 8))) != 0;
}

bool slot_value(int fd, uint32_t code, int slot, int32_t* value) {
    slot_values request{};
    request.code = code;
    if (ioctl(fd, EVIOCGMTSLOTS(sizeof request), &request) < 0) {
        return false;
    }
    *value = request.values[slot];
    return true;
}

}  // namespace

bool seed_slot_position(int fd, int32_t* x, int32_t* y) {
    if (!has_slots(fd)) {
        return false;
    }
    // The slot axis tells the current slot; the position axes themselves
    // keep their initial values on a slotted device, so ask the slot.
    input_absinfo slot{};
    if (ioctl(fd, EVIOCGABS(ABS_MT_SLOT), &slot) < 0 || slot.value < 0 || slot.value >= MAX_SLOTS) {
        return false;
    }
    int32_t sx = 0;
    int32_t sy = 0;
    if (!slot_value(fd, ABS_MT_POSITION_X, slot.value, &sx) ||
        !slot_value(fd, ABS_MT_POSITION_Y, slot.value, &sy)) {
        return false;
    }
    *x = sx;
    *y = sy;
    return true;
}
