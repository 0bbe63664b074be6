// The port's input rules, menu focus and pause: keys and buttons become device messages
// according to the kind of screen that runs.
#include "platform/port.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/backends.h"
#include "platform/device.h"

namespace {

constexpr int32_t DeviceKeyCount = 8; // Up .. Start: the device's own keys
constexpr uint16_t DeviceKeyCodes[DeviceKeyCount] = {
    KeyCodeUp, KeyCodeDown, KeyCodeLeft, KeyCodeRight, KeyCodeA, KeyCodeB, KeyCodeC, KeyCodeStart};
constexpr ActionSet DeviceKeys = (1u << DeviceKeyCount) - 1;
constexpr int32_t ResultsTapX = 120; // anywhere ends the results screen; the middle will do
constexpr int32_t ResultsTapY = 160;

// Whole run.
struct PortState {
    PortScreen screen;
    int32_t focusScreen = -1; // the screen the focus belongs to
    int32_t focusItem = 0;
    bool focusVisible = true;
    bool paused = false;
    uint32_t pausedSince = 0; // backend ms
    uint32_t pausedTotal = 0; // ms, pauses that have ended
    bool pauseOnFocusLoss = true;
    int32_t held[DeviceKeyCount] = {}; // inputs holding each device key down
    bool tapDown = false;              // a tap the port made waits for its lift
    bool holdingExit = false;          // the exit icon is held until the race has gone
    bool fullscreenRequest = false;
    bool screenshotRequest = false;
    const char* note = nullptr;
    uint32_t noteUntil = 0; // backend ms
};
PortState Port;

void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    PostDeviceMessage(0, message, wParam, lParam);
}

const FocusTarget* FindTarget(int32_t item) {
    for (int32_t i = 0; i < Port.screen.targetCount; ++i) {
        if (Port.screen.targets[i].item == item)
            return &Port.screen.targets[i];
    }
    return nullptr;
}

// The focus rests on a button the screen shows; a new screen starts on its default.
void SettleFocus() {
    if (Port.focusScreen != Port.screen.screen || !FindTarget(Port.focusItem)) {
        Port.focusScreen = Port.screen.screen;
        Port.focusItem = FindTarget(Port.screen.defaultItem) ? Port.screen.defaultItem
                         : Port.screen.targetCount > 0       ? Port.screen.targets[0].item
                                                             : 0;
    }
}

// Centres doubled, so they stay whole numbers.
int32_t CentreX2(const FocusTarget& t) {
    return t.left + t.right;
}
int32_t CentreY2(const FocusTarget& t) {
    return t.top + t.bottom;
}

// The nearest button in the direction pressed. Up and down take any button above or below
// and wrap round at the ends; left and right only take buttons more beside than above or
// below, so a value column does not jump to a button under it.
void MoveFocus(PortAction direction) {
    const FocusTarget* from = FindTarget(Port.focusItem);
    if (!from)
        return;
    const bool vertical = direction == PortAction::Up || direction == PortAction::Down;
    const int32_t sign = direction == PortAction::Up || direction == PortAction::Left ? -1 : 1;
    const FocusTarget* best = nullptr;
    int64_t bestScore = 0;
    const FocusTarget* wrap = nullptr;
    int64_t wrapScore = 0;
    for (int32_t i = 0; i < Port.screen.targetCount; ++i) {
        const FocusTarget& t = Port.screen.targets[i];
        if (t.item == from->item)
            continue;
        const int32_t dx = CentreX2(t) - CentreX2(*from);
        const int32_t dy = CentreY2(t) - CentreY2(*from);
        const int32_t along = (vertical ? dy : dx) * sign;
        const int32_t across = std::abs(vertical ? dx : dy);
        if (!vertical && across >= std::abs(along))
            continue;
        if (along > 0) {
            const int64_t score = static_cast<int64_t>(along) + 2 * across;
            if (!best || score < bestScore) {
                best = &t;
                bestScore = score;
            }
        } else if (along < 0) {
            // Round to the far end: the farthest button the other way.
            const int64_t score = static_cast<int64_t>(along) * 4 + across;
            if (!wrap || score < wrapScore) {
                wrap = &t;
                wrapScore = score;
            }
        }
    }
    if (best)
        Port.focusItem = best->item;
    else if (wrap)
        Port.focusItem = wrap->item;
}

// A tap at the button's centre, lifted after the next pass has read it.
void TapAt(int32_t x, int32_t y) {
    if (Port.tapDown)
        return;
    Post(WM_LBUTTONDOWN, 1, PackPoint(x, y));
    Port.tapDown = true;
}

void TapTarget(int32_t item) {
    if (const FocusTarget* t = FindTarget(item))
        TapAt(CentreX2(*t) / 2, CentreY2(*t) / 2);
}

// Presses the device keys among `actions` (key-down messages); `count` marks them held.
void PressDeviceKeys(ActionSet actions, bool count) {
    for (int32_t k = 0; k < DeviceKeyCount; ++k) {
        if (!(actions & (1u << k)))
            continue;
        Post(WM_KEYDOWN, DeviceKeyCodes[k], 0);
        if (count)
            ++Port.held[k];
    }
}

// Lets go of the device keys among `actions` that an input holds.
void ReleaseDeviceKeys(ActionSet actions) {
    for (int32_t k = 0; k < DeviceKeyCount; ++k) {
        if (!(actions & (1u << k)) || Port.held[k] == 0)
            continue;
        if (--Port.held[k] == 0)
            Post(WM_KEYUP, DeviceKeyCodes[k], 0);
    }
}

// Leaving while paused is the exit icon pressed, held until the race has gone.
void AbandonRace() {
    const intptr_t point = PackPoint(Port.screen.exitX, Port.screen.exitY);
    Post(WM_MOUSEMOVE, 0, point);
    Post(WM_LBUTTONDOWN, 1, point);
    Port.holdingExit = true;
}

bool IsRace() {
    return Port.screen.context == PortContext::Race;
}

void MenuInput(ActionSet actions, bool repeat) {
    SettleFocus();
    const bool wasVisible = Port.focusVisible;
    Port.focusVisible = true;
    if (actions & ActionBit(PortAction::Back)) {
        if (repeat)
            return;
        if (Port.screen.backItem != 0 && FindTarget(Port.screen.backItem)) {
            Port.focusItem = Port.screen.backItem;
            if (Port.screen.backTaps)
                TapTarget(Port.screen.backItem);
        }
    } else if (actions & (ActionBit(PortAction::Accelerate) | ActionBit(PortAction::Start))) {
        if (!repeat)
            TapTarget(Port.focusItem);
    } else if (wasVisible) {
        // The first key after the mouse only shows where the focus is.
        for (PortAction d :
             {PortAction::Up, PortAction::Down, PortAction::Left, PortAction::Right}) {
            if (actions & ActionBit(d)) {
                MoveFocus(d);
                break;
            }
        }
    }
}

struct ActionInfo {
    const char* name;
    const char* keys;
    const char* pad;
};
constexpr ActionInfo Actions[PortActionCount] = {
    {"up", "Up", "dpup"},
    {"down", "Down", "dpdown"},
    {"left", "Left", "dpleft"},
    {"right", "Right", "dpright"},
    {"accelerate", "Z, Space", "a"},
    {"brake", "X", "b"},
    {"c", "C", "x"},
    {"start", "Return, Keypad Enter", "start"},
    {"pause", "P, Pause", "start, back"},
    {"back", "Escape", "b"},
    {"fullscreen", "F11", ""},
    {"screenshot", "F12", ""},
};

const ActionInfo& Info(PortAction action) {
    const auto index = static_cast<int32_t>(action);
    return Actions[index >= 0 && index < PortActionCount ? index : 0];
}

constexpr int32_t PictureWidth = 240;  // pixels
constexpr int32_t PictureHeight = 320; // pixels

} // namespace

const char* PortActionName(PortAction action) {
    return Info(action).name;
}
const char* DefaultKeyBinding(PortAction action) {
    return Info(action).keys;
}
const char* DefaultPadBinding(PortAction action) {
    return Info(action).pad;
}

PictureRect FitPicture(int32_t outputWidth, int32_t outputHeight, ScalingMode mode) {
    const int32_t w = outputWidth > 0 ? outputWidth : 1;
    const int32_t h = outputHeight > 0 ? outputHeight : 1;
    PictureRect rect{0, 0, 0, 0, 1};
    const int32_t whole = std::min(w / PictureWidth, h / PictureHeight);
    if (mode == ScalingMode::Integer && whole >= 1) {
        rect.width = PictureWidth * whole;
        rect.height = PictureHeight * whole;
        rect.upscale = whole;
    } else {
        // Whole steps of 3 x 4 pixels keep the shape exact.
        const int32_t steps = std::max<int32_t>(1, std::min(w / 3, h / 4));
        rect.width = steps * 3;
        rect.height = steps * 4;
        rect.upscale = std::max<int32_t>(1, rect.width / PictureWidth);
    }
    rect.x = (w - rect.width) / 2;
    rect.y = (h - rect.height) / 2;
    return rect;
}

bool PictureToScreen(const PictureRect& rect, int32_t x, int32_t y, int32_t& screenX,
                     int32_t& screenY) {
    if (rect.width <= 0 || rect.height <= 0)
        return false;
    const int64_t dx = static_cast<int64_t>(x) - rect.x;
    const int64_t dy = static_cast<int64_t>(y) - rect.y;
    if (dx < 0 || dy < 0 || dx >= rect.width || dy >= rect.height)
        return false;
    screenX = static_cast<int32_t>(dx * PictureWidth / rect.width);
    screenY = static_cast<int32_t>(dy * PictureHeight / rect.height);
    return true;
}

void SetPortScreen(const PortScreen& screen) {
    Port.screen = screen;
    if (Port.screen.targetCount > MaxFocusTargets)
        Port.screen.targetCount = MaxFocusTargets;
    if (Port.screen.targetCount < 0)
        Port.screen.targetCount = 0;
    SettleFocus();
    // The pass that read the port's tap has run: lift it.
    if (Port.tapDown) {
        Post(WM_LBUTTONUP, 0, 0);
        Port.tapDown = false;
    }
    if (Port.holdingExit && !IsRace()) {
        Post(WM_LBUTTONUP, 0, 0);
        Port.holdingExit = false;
    }
    // A race that ended while paused (the window closed) leaves no pause behind.
    if (Port.paused && !IsRace())
        Port.paused = false;
}

bool PortPaused() {
    return Port.paused;
}

void PausePort(bool paused, uint32_t now) {
    if (paused == Port.paused || (paused && !IsRace()))
        return;
    Port.paused = paused;
    if (paused)
        Port.pausedSince = now;
    else
        Port.pausedTotal += now - Port.pausedSince;
}

uint32_t PortPausedMilliseconds(uint32_t now) {
    return Port.pausedTotal + (Port.paused ? now - Port.pausedSince : 0);
}

void PortInput(ActionSet actions, bool down, bool repeat, uint32_t now) {
    if (down && !repeat) {
        if (actions & ActionBit(PortAction::Fullscreen))
            Port.fullscreenRequest = true;
        if (actions & ActionBit(PortAction::Screenshot))
            Port.screenshotRequest = true;
    }
    actions &= ~(ActionBit(PortAction::Fullscreen) | ActionBit(PortAction::Screenshot));
    if (actions == 0)
        return;
    if (!down) {
        // Whatever the screen, a key let go is let go in the game too.
        ReleaseDeviceKeys(actions);
        return;
    }
    if (Port.paused) {
        if (repeat)
            return;
        PausePort(false, now);
        if (actions & ActionBit(PortAction::Back))
            AbandonRace();
        return;
    }
    switch (Port.screen.context) {
    case PortContext::Plain:
        // As the device: the desktop's key repeat reaches the game.
        PressDeviceKeys(actions & DeviceKeys, !repeat);
        break;
    case PortContext::Race: {
        if (repeat)
            return; // held keys are held flags, and held thrust presses once a pass
        const ActionSet keys = actions & DeviceKeys;
        if ((actions & ActionBit(PortAction::Pause)) ||
            (keys == 0 && (actions & ActionBit(PortAction::Back)))) {
            PausePort(true, now);
            return;
        }
        PressDeviceKeys(keys, true);
        break;
    }
    case PortContext::Menu:
        MenuInput(actions, repeat);
        break;
    case PortContext::Results:
        if (!repeat)
            TapAt(ResultsTapX, ResultsTapY);
        break;
    }
}

void PortFocusChanged(bool focused, uint32_t now) {
    if (!focused && Port.pauseOnFocusLoss)
        PausePort(true, now);
}

void SetPauseOnFocusLoss(bool on) {
    Port.pauseOnFocusLoss = on;
}

void PortMouseUsed() {
    Port.focusVisible = false;
}

void PortFramePresented() {
    if (Port.paused || !IsRace())
        return;
    // The held THRUST pad of the device: a press every pass, whatever the desktop repeats.
    constexpr int32_t A = static_cast<int32_t>(PortAction::Accelerate);
    constexpr int32_t B = static_cast<int32_t>(PortAction::Brake);
    if (Port.held[A] > 0)
        Post(WM_KEYDOWN, KeyCodeA, 0);
    if (Port.held[B] > 0)
        Post(WM_KEYDOWN, KeyCodeB, 0);
}

bool TakePortFullscreenRequest() {
    const bool request = Port.fullscreenRequest;
    Port.fullscreenRequest = false;
    return request;
}

bool TakePortScreenshotRequest() {
    const bool request = Port.screenshotRequest;
    Port.screenshotRequest = false;
    return request;
}

void ShowPortNote(const char* note, uint32_t until) {
    Port.note = note;
    Port.noteUntil = until;
}

PortOverlay ReadPortOverlay(uint32_t now) {
    PortOverlay overlay{};
    overlay.paused = Port.paused;
    if (Port.screen.context == PortContext::Menu && Port.focusVisible && !Port.paused) {
        if (const FocusTarget* t = FindTarget(Port.focusItem)) {
            overlay.focusShown = true;
            overlay.focus = *t;
        }
    }
    overlay.noteShown = Port.note != nullptr && static_cast<int32_t>(Port.noteUntil - now) > 0;
    overlay.note = overlay.noteShown ? Port.note : nullptr;
    return overlay;
}

int32_t PortFocusedItem() {
    return Port.screen.context == PortContext::Menu ? Port.focusItem : 0;
}

void ResetPort() {
    Port = PortState{};
}

Bindings DefaultKeyBindings() {
    Bindings bindings;
    for (int32_t i = 0; i < PortActionCount; ++i)
        bindings[i] = Actions[i].keys;
    return bindings;
}

Bindings DefaultPadBindings() {
    Bindings bindings;
    for (int32_t i = 0; i < PortActionCount; ++i)
        bindings[i] = Actions[i].pad;
    return bindings;
}

namespace {
NameCheck keyNameCheck = nullptr; // whole run, installed by the window backend
NameCheck padNameCheck = nullptr;
} // namespace

void InstallNameChecks(NameCheck key, NameCheck pad) {
    keyNameCheck = key;
    padNameCheck = pad;
}

bool IsKeyName(const std::string& name) {
    return keyNameCheck == nullptr || keyNameCheck(name);
}

bool IsPadButtonName(const std::string& name) {
    return padNameCheck == nullptr || padNameCheck(name);
}
