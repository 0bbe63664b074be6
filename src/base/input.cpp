// Key flags and stylus positions: set by the window procedure, read once a frame by screens.
#include "base/input.h"

namespace {

// Whole run. Flags are 0 or 1; A and B are taken by their readers, the joypad is held.
struct KeyFlags {
    int32_t a, b, c, start, left, right, up, down;
};

struct Stylus {
    int32_t tapX, tapY;   // screen pixels, set on stylus down
    int32_t dragX, dragY; // screen pixels, set on stylus move
    uint8_t tapTaken;     // 0 while a tap waits for TakeTap
    uint8_t down;
};

KeyFlags keys = {};
Stylus stylus = {0, 0, 0, 0, 1, 0};
GXKeyList keyList = {}; // whole run, from the device at start-up

bool Take(int32_t& flag) {
    const bool set = flag != 0;
    flag = 0;
    return set;
}

} // namespace

bool TakeKeyA() {
    return Take(keys.a);
}
bool TakeKeyB() {
    return Take(keys.b);
}
bool LeftHeld() {
    return keys.left != 0;
}
bool RightHeld() {
    return keys.right != 0;
}
bool UpHeld() {
    return keys.up != 0;
}
bool DownHeld() {
    return keys.down != 0;
}

bool TakeTap() {
    if (stylus.tapTaken)
        return false;
    stylus.tapTaken = 1;
    return true;
}

int32_t TapX() {
    return stylus.tapX;
}
int32_t TapY() {
    return stylus.tapY;
}
int32_t DragX() {
    return stylus.dragX;
}
int32_t DragY() {
    return stylus.dragY;
}
bool StylusDown() {
    return stylus.down != 0;
}

const GXKeyList& DeviceKeyList() {
    return keyList;
}
void InstallKeyList(const GXKeyList& keys) {
    keyList = keys;
}

void KeyDownMessage(uint16_t code) {
    // Kept: the tests are independent, so a code listed twice sets both flags.
    const auto key = static_cast<int16_t>(code);
    const GXKeyList& list = DeviceKeyList();
    if (key == list.vkA.code)
        keys.a = 1;
    if (key == list.vkB.code)
        keys.b = 1;
    if (key == list.vkC.code)
        keys.c = 1;
    if (key == list.vkStart.code)
        keys.start = 1;
    if (key == list.vkLeft.code)
        keys.left = 1;
    if (key == list.vkRight.code)
        keys.right = 1;
    if (key == list.vkUp.code)
        keys.up = 1;
    if (key == list.vkDown.code)
        keys.down = 1;
}

void KeyUpMessage(uint16_t code) {
    const auto key = static_cast<int16_t>(code);
    const GXKeyList& list = DeviceKeyList();
    if (key == list.vkLeft.code)
        keys.left = 0;
    if (key == list.vkRight.code)
        keys.right = 0;
    if (key == list.vkUp.code)
        keys.up = 0;
    if (key == list.vkDown.code)
        keys.down = 0;
}

void StylusDownMessage(intptr_t lParam) {
    const auto packed = static_cast<uint32_t>(lParam);
    stylus.tapX = static_cast<int32_t>(packed & 0xFFFF);
    stylus.tapY = static_cast<int32_t>(packed >> 16);
    stylus.tapTaken = 0;
    stylus.down = 1;
}

void StylusUpMessage() {
    stylus.down = 0;
}

void StylusMoveMessage(intptr_t lParam) {
    const auto packed = static_cast<uint32_t>(lParam);
    stylus.dragX = static_cast<int32_t>(packed & 0xFFFF);
    stylus.dragY = static_cast<int32_t>(packed >> 16);
}

void ResetInput() {
    stylus.tapTaken = 1;
    stylus.down = 0;
    keys.a = keys.b = keys.c = keys.start = 0;
}

void ResetAllInput() {
    keys = {};
    stylus = {0, 0, 0, 0, 1, 0};
}
