// Front-end buttons: tap test, the squash-and-stretch animation and the label drawing.
#include "screens/press.h"

#include "assets/font.h"
#include "base/input.h"
#include "sound/sound.h"

namespace {
constexpr int32_t ImmediateCount = 10; // counter value of the item's change
constexpr int32_t FinalCount = 20;     // counter value of the item's action
} // namespace

void ClearPress(PressAnimation& press) {
    press.selected = 0;
    press.counter = 0;
    press.offset = 0;
}

bool HitsButton(const Button& button, int32_t x, int32_t y) {
    return button.left < x && x < button.right && button.top < y && y < button.bottom;
}

int32_t HitTest(const Button* buttons, const bool* shown, int32_t count, int32_t x, int32_t y) {
    for (int32_t i = 0; i < count; ++i) {
        if ((shown == nullptr || shown[i]) && HitsButton(buttons[i], x, y)) {
            return buttons[i].item;
        }
    }
    return 0;
}

PressResult AdvancePress(PressAnimation& press) {
    if (press.selected == 0) {
        return {PressEvent::None, 0};
    }
    const int32_t item = press.selected;
    press.counter += press.step;
    if (press.counter < ImmediateCount) {
        press.offset += press.step;
    } else {
        press.offset -= press.step;
    }
    if (press.counter == ImmediateCount) {
        return {PressEvent::Immediate, item};
    }
    if (press.counter >= FinalCount) {
        press.selected = 0;
        return {PressEvent::Final, item};
    }
    return {PressEvent::None, 0};
}

PressResult StepPress(PressAnimation& press, const Button* buttons, const bool* shown,
                      int32_t count) {
    if (press.selected != 0) {
        return AdvancePress(press);
    }
    if (!TakeTap()) {
        return {PressEvent::None, 0};
    }
    const int32_t item = HitTest(buttons, shown, count, TapX(), TapY());
    if (item == 0) {
        return {PressEvent::None, 0};
    }
    press.selected = item;
    press.counter = 0;
    press.offset = 0;
    PlayEffect(MenuEffect);
    return {PressEvent::Picked, item};
}

void DrawButton(const Button& button, const PressAnimation& press, uint16_t* surface) {
    if (press.selected != button.item) {
        DrawSheetText(button.label, button.x, button.y, surface);
        return;
    }
    DrawSheetTextScaled(button.label, 16, (10 - press.offset) * 2, button.x,
                        button.y + press.offset, surface);
}
