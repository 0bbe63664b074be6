// The window build's game pads, driven through SDL's virtual controller: plugging in, buttons,
// stick, held-button repeat, pulling out with a button held, and plugging in again.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/backend.h"
#include "platform/backends.h"
#include "platform/device.h"

namespace {

// Key messages the device queue holds, in order, as (message, key code) pairs.
std::vector<std::pair<uint32_t, uintptr_t>> TakeKeyMessages(DeviceBackend& backend) {
    backend.PollEvents();
    std::vector<std::pair<uint32_t, uintptr_t>> keys;
    DeviceMessage message{};
    while (PeekDeviceMessage(&message)) {
        GetDeviceMessage(&message);
        if (message.message == WM_KEYDOWN || message.message == WM_KEYUP)
            keys.emplace_back(message.message, message.wParam);
    }
    return keys;
}

using Keys = std::vector<std::pair<uint32_t, uintptr_t>>;

} // namespace

TEST(WindowPad, HotPlugButtonsStickAndRepeat) {
    // No display and no focus here: a dummy video driver, and pad input taken without focus.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    DeviceBackend* backend = CreateWindowBackend(WindowBackendSettings{1, false, 20, ""});
    SetDeviceBackend(backend);
    ASSERT_TRUE(backend->OpenScreen("pad test")) << SDL_GetError();
    TakeKeyMessages(*backend);

    // Plugged in while the game runs.
    const int index = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(TakeKeyMessages(*backend), Keys{});

    // South button is A, west is C; a press and a release each give one message.
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_X, 1);
    EXPECT_EQ(TakeKeyMessages(*backend), (Keys{{WM_KEYDOWN, KeyCodeA}, {WM_KEYDOWN, KeyCodeC}}));
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 0);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_X, 0);
    EXPECT_EQ(TakeKeyMessages(*backend), (Keys{{WM_KEYUP, KeyCodeA}, {WM_KEYUP, KeyCodeC}}));

    // The left stick past its threshold is the joypad; a small push is nothing.
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, -8000);
    EXPECT_EQ(TakeKeyMessages(*backend), Keys{});
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    EXPECT_EQ(TakeKeyMessages(*backend), (Keys{{WM_KEYDOWN, KeyCodeLeft}}));
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(TakeKeyMessages(*backend), (Keys{{WM_KEYUP, KeyCodeLeft}}));

    // A held d-pad button repeats its key-down like a held key, first after 400 ms.
    // A poll repeats at most once, so a slow machine sees the same messages.
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
    const uint32_t pressed = SDL_GetTicks();
    EXPECT_EQ(TakeKeyMessages(*backend), (Keys{{WM_KEYDOWN, KeyCodeUp}}));
    SDL_Delay(200);
    const Keys early = TakeKeyMessages(*backend);
    if (SDL_GetTicks() - pressed < 390) {
        EXPECT_EQ(early, Keys{});
    }
    SDL_Delay(300);
    EXPECT_EQ(TakeKeyMessages(*backend), (Keys{{WM_KEYDOWN, KeyCodeUp}}));

    // Pulled out with the button held: the key is let go, nothing repeats after.
    SDL_JoystickClose(pad);
    SDL_JoystickDetachVirtual(index);
    EXPECT_EQ(TakeKeyMessages(*backend), (Keys{{WM_KEYUP, KeyCodeUp}}));
    SDL_Delay(450);
    EXPECT_EQ(TakeKeyMessages(*backend), Keys{});

    // Plugged in again: it works as before.
    const int again = SDL_JoystickAttachVirtual(
        SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(again, 0);
    pad = SDL_JoystickOpen(again);
    TakeKeyMessages(*backend);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, 1);
    EXPECT_EQ(TakeKeyMessages(*backend), (Keys{{WM_KEYDOWN, KeyCodeStart}}));

    SDL_JoystickClose(pad);
    SDL_JoystickDetachVirtual(again);
    backend->CloseScreen();
    SetDeviceBackend(nullptr);
}
