// The window build's keyboard, mouse and pad through the real SDL backend on SDL's dummy
// video driver: held thrust, pause with the clock standing still, leaving the race, a
// screenshot into the pictures folder, the mouse on a fitted picture, game pads plugged in and
// out, and a whole game played with a pad alone.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/port_screen.h"
#include "app/session.h"
#include "app/window.h"
#include "assets/paths.h"
#include "base/options.h"
#include "base/ship.h"
#include "base/state.h"
#include "device_messages.h"
#include "golden_picture.h"
#include "platform/backend.h"
#include "platform/backends.h"
#include "platform/device.h"
#include "platform/display.h"
#include "platform/port.h"
#include "screens/layout.h"
#include "sound/sound.h"
#include "test_folder.h"

namespace {

// A key as the desktop sends it: the key's code, and whether it is the desktop's repeat.
void PushKey(SDL_Keycode key, bool down, bool repeat = false) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    SDL_PushEvent(&event);
}

void PushClick(int32_t x, int32_t y) {
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = SDL_PRESSED;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

void ShowScreen(int32_t state) {
    GameState = state;
    SetPortScreen(DescribeScreen());
}

const Message KeyDownA{WM_KEYDOWN, KeyCodeA, 0};

// A virtual game controller plugged in and opened; nullptr when SDL cannot make one.
SDL_Joystick* PlugPad(int& index) {
    index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                      SDL_CONTROLLER_BUTTON_MAX, 0);
    return index >= 0 ? SDL_JoystickOpen(index) : nullptr;
}
void UnplugPad(SDL_Joystick* pad, int index) {
    SDL_JoystickClose(pad);
    SDL_JoystickDetachVirtual(index);
}

// No display and no focus here: SDL's dummy drivers, and pad input taken without focus. The
// device and the port are fresh for each test and put back after it.
class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ResetDevice();
        ResetPort();
    }
    void TearDown() override {
        if (backend != nullptr)
            backend->CloseScreen();
        SetDeviceBackend(nullptr);
        ResetPort();
        ResetDevice();
        GameState = StateStart;
    }
    // The window backend made the device's, its screen open and nothing left waiting.
    void OpenWindow() {
        backend = CreateWindowBackend(WindowBackendSettings{1, false, 20, ""});
        SetDeviceBackend(backend);
        ASSERT_TRUE(backend->OpenScreen("test")) << SDL_GetError();
        Poll();
    }
    // What the backend turned its waiting events into.
    Messages Poll() {
        backend->PollEvents();
        return TakeMessages(WM_ACTIVATE);
    }
    DeviceBackend* backend = nullptr;
};
using WindowKeys = WindowTest;
using WindowPad = WindowTest;

} // namespace

TEST_F(WindowKeys, ThrustPauseLeaveScreenshotAndMouse) {
    const std::filesystem::path pictures = TestFolder("pictures");
    setenv("XDG_PICTURES_DIR", pictures.c_str(), 1);
    ASSERT_NO_FATAL_FAILURE(OpenWindow());

    // A race: Z held gives a press at once and one after each presented frame, whatever the
    // arrows do and the desktop repeats (the rules themselves are PortTest's; here the SDL
    // keys, their repeat flag and the backend's frame hook).
    ShowScreen(StateRace);
    PushKey(SDLK_z, true);
    EXPECT_EQ(Poll(), Messages{KeyDownA});
    PushKey(SDLK_LEFT, true);
    PushKey(SDLK_z, true, true);
    PushKey(SDLK_LEFT, false);
    EXPECT_EQ(Poll(), (Messages{{WM_KEYDOWN, KeyCodeLeft, 0}, {WM_KEYUP, KeyCodeLeft, 0}}));
    backend->FramePresented();
    EXPECT_EQ(Poll(), Messages{KeyDownA});
    PushKey(SDLK_z, false);
    EXPECT_EQ(Poll(), (Messages{{WM_KEYUP, KeyCodeA, 0}}));
    backend->FramePresented();
    EXPECT_EQ(Poll(), Messages{});

    // Escape pauses: the device's clock stands still to the millisecond.
    PushKey(SDLK_ESCAPE, true);
    PushKey(SDLK_ESCAPE, false);
    EXPECT_EQ(Poll(), Messages{});
    ASSERT_TRUE(PortPaused());
    const uint32_t stopped = backend->Ticks();
    SDL_Delay(60);
    backend->FramePresented();
    EXPECT_EQ(backend->Ticks(), stopped);
    // Escape again leaves the race by its exit icon.
    PushKey(SDLK_ESCAPE, true);
    const intptr_t icon = PackPoint(232, 8);
    EXPECT_EQ(Poll(), (Messages{{WM_MOUSEMOVE, 0, icon}, {WM_LBUTTONDOWN, 1, icon}}));
    EXPECT_FALSE(PortPaused());
    EXPECT_GE(backend->Ticks(), stopped);
    ShowScreen(StateMainMenu);
    EXPECT_EQ(Poll(), (Messages{{WM_LBUTTONUP, 0, 0}}));

    // F12: the picture saved in the pictures folder, and a note over the window.
    testing::internal::CaptureStdout();
    PushKey(SDLK_F12, true);
    Poll();
    const std::string said = testing::internal::GetCapturedStdout();
    std::vector<std::filesystem::path> saved;
    for (const auto& entry : std::filesystem::directory_iterator(pictures / "Tarnvell"))
        saved.push_back(entry.path());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_NE(said.find(saved[0].string()), std::string::npos) << said;
    EXPECT_FALSE(ReadRgb565Png(saved[0].string()).empty()) << "not a 240 x 320 picture";
    const PortOverlay overlay = ReadPortOverlay(SDL_GetTicks());
    EXPECT_EQ(std::tuple(overlay.noteShown, std::string(overlay.note)),
              std::tuple(true, std::string("SCREENSHOT SAVED")));
    PushKey(SDLK_F12, true); // a second in the same second keeps the first
    Poll();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pictures / "Tarnvell"),
                            std::filesystem::directory_iterator{}),
              2);

    // The mouse on a picture fitted into 1200 x 900: the border touches nothing, the
    // picture's middle is the screen's.
    SDL_Window* window = SDL_GetWindowFromID(1);
    for (uint32_t id = 1; !window && id < 16; ++id)
        window = SDL_GetWindowFromID(id);
    ASSERT_NE(window, nullptr);
    SDL_SetWindowSize(window, 1200, 900);
    backend->FramePresented(), Poll(), PortMouseUsed();
    PushClick(100, 450);
    EXPECT_EQ(Poll(), Messages{});
    PushClick(262 + 338, 450);
    const Messages click = Poll();
    ASSERT_EQ(click.size(), 2u);
    EXPECT_EQ(click[1], (Message{WM_LBUTTONDOWN, 1, PackPoint(120, 160)}));
}

TEST_F(WindowPad, HotPlugButtonsStickAndRepeat) {
    // No screen is described to the port, so the pad gives the device's keys.
    ASSERT_NO_FATAL_FAILURE(OpenWindow());

    // Plugged in while the game runs.
    int index = -1;
    SDL_Joystick* pad = PlugPad(index);
    ASSERT_NE(pad, nullptr) << SDL_GetError();
    EXPECT_EQ(Poll(), Messages{});

    // South button is A, west is C; a press and a release each give one message.
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_X, 1);
    EXPECT_EQ(Poll(), (Messages{{WM_KEYDOWN, KeyCodeA, 0}, {WM_KEYDOWN, KeyCodeC, 0}}));
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, 0);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_X, 0);
    EXPECT_EQ(Poll(), (Messages{{WM_KEYUP, KeyCodeA, 0}, {WM_KEYUP, KeyCodeC, 0}}));

    // The left stick past its threshold is the joypad; a small push is nothing.
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, -8000);
    EXPECT_EQ(Poll(), Messages{});
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    EXPECT_EQ(Poll(), (Messages{{WM_KEYDOWN, KeyCodeLeft, 0}}));
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
    EXPECT_EQ(Poll(), (Messages{{WM_KEYUP, KeyCodeLeft, 0}}));

    // A held d-pad button repeats its key-down like a held key, first after 400 ms.
    // A poll repeats at most once, so a slow machine sees the same messages.
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_UP, 1);
    const uint32_t pressed = SDL_GetTicks();
    EXPECT_EQ(Poll(), (Messages{{WM_KEYDOWN, KeyCodeUp, 0}}));
    SDL_Delay(200);
    const Messages early = Poll();
    if (SDL_GetTicks() - pressed < 390) {
        EXPECT_EQ(early, Messages{});
    }
    SDL_Delay(300);
    EXPECT_EQ(Poll(), (Messages{{WM_KEYDOWN, KeyCodeUp, 0}}));

    // Pulled out with the button held: the key is let go, nothing repeats after.
    UnplugPad(pad, index);
    EXPECT_EQ(Poll(), (Messages{{WM_KEYUP, KeyCodeUp, 0}}));
    SDL_Delay(450);
    EXPECT_EQ(Poll(), Messages{});

    // Plugged in again: it works as before.
    pad = PlugPad(index);
    ASSERT_NE(pad, nullptr);
    Poll();
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_START, 1);
    EXPECT_EQ(Poll(), (Messages{{WM_KEYDOWN, KeyCodeStart, 0}}));

    UnplugPad(pad, index);
    EXPECT_EQ(Poll(), (Messages{{WM_KEYUP, KeyCodeStart, 0}}));
}

namespace {

// A player with a pad and nothing else, in front of the real window: A through the three
// menus, A held while the d-pad's left and right are tapped for 3 s of race, Start to pause,
// B to leave the race. It acts at each poll of the window backend, which it wraps.
class PadPlayer final : public DeviceBackend {
public:
    explicit PadPlayer(DeviceBackend& window) : window_(window) {}
    ~PadPlayer() override {
        if (pad_ != nullptr)
            UnplugPad(pad_, index_);
    }
    bool OpenScreen(const char* title) override { return window_.OpenScreen(title); }
    void CloseScreen() override { window_.CloseScreen(); }
    void FramePresented() override { window_.FramePresented(); }
    uint32_t Ticks() override { return window_.Ticks(); }
    bool FindRunningCopy() override { return false; }
    void ShowRunningCopy() override {}
    void PollEvents() override {
        Act();
        window_.PollEvents();
    }

    enum class Phase { Menus, Race, Paused, Leaving, Done };
    Phase phase = Phase::Menus;
    int32_t menusPressed = 0;
    int32_t racePasses = 0; // passes seen with thrust held, from the 30th after it went down
    double lowestSpeed = 1e9;
    int32_t lowestFrameRate = 20;
    bool wrecked = false;
    bool passRanWhilePaused = false;
    bool timedOut = false;

private:
    void Button(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(pad_, button, down ? 1 : 0);
    }
    void Stop() {
        phase = Phase::Done;
        RequestDeviceClose();
    }
    void Act() {
        const uint32_t now = SDL_GetTicks();
        if (start_ == 0) {
            // Plugged in once the window is open, as a player would.
            start_ = now;
            pad_ = PlugPad(index_);
            return;
        }
        if (phase != Phase::Done && (pad_ == nullptr || now - start_ > 60000))
            timedOut = true, Stop();
        switch (phase) {
        case Phase::Menus:
            if (aDown_) { // a press is let go at the next poll, as a quick tap
                Button(SDL_CONTROLLER_BUTTON_A, false), aDown_ = false;
            } else if (GameState == StateRace) {
                phase = Phase::Race, thrustPass_ = CurrentPass();
                Button(SDL_CONTROLLER_BUTTON_A, true);
            } else if (GameState != pressedIn_ &&
                       (GameState == StateMainMenu || GameState == StatePlanet ||
                        GameState == StateTrack)) {
                pressedIn_ = GameState, ++menusPressed;
                Button(SDL_CONTROLLER_BUTTON_A, true), aDown_ = true;
            }
            break;
        case Phase::Race: {
            const int64_t pass = CurrentPass() - thrustPass_;
            // The d-pad tapped: left down, up, right down, up, a step every other pass.
            const int64_t step = (pass / 2) % 4;
            Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, step == 0);
            Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, step == 2);
            if (pass >= 30 && pass != lastPass_) {
                lastPass_ = pass, ++racePasses;
                lowestSpeed = std::min(lowestSpeed, ShipTable[0].speed);
                lowestFrameRate = std::min(lowestFrameRate, FrameRate);
                wrecked = wrecked || ShipTable[0].wrecked != 0;
            }
            if (pass >= 90) {
                Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
                Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
                Button(SDL_CONTROLLER_BUTTON_START, true);
                phase = Phase::Paused, pausedAt_ = now, pausedPass_ = -1;
            }
            break;
        }
        case Phase::Paused:
            if (pausedPass_ < 0 && PortPaused()) {
                pausedPass_ = CurrentPass(), pausedAt_ = now;
                Button(SDL_CONTROLLER_BUTTON_START, false);
                Button(SDL_CONTROLLER_BUTTON_A, false);
            } else if (pausedPass_ >= 0) {
                passRanWhilePaused = passRanWhilePaused || CurrentPass() != pausedPass_;
                if (now - pausedAt_ > 600) // half a second paused, then B leaves
                    Button(SDL_CONTROLLER_BUTTON_B, true), phase = Phase::Leaving;
            }
            break;
        case Phase::Leaving:
            if (GameState == StateMainMenu)
                Button(SDL_CONTROLLER_BUTTON_B, false), Stop();
            break;
        case Phase::Done:
            break;
        }
    }

    DeviceBackend& window_;
    SDL_Joystick* pad_ = nullptr;
    int index_ = -1;
    uint32_t start_ = 0, pausedAt_ = 0;
    int32_t pressedIn_ = -1;
    bool aDown_ = false;
    int64_t thrustPass_ = 0, lastPass_ = -1, pausedPass_ = -1;
};

} // namespace

TEST_F(WindowPad, AWholeGameWithAPadAlone) {
    GameOptions = Options{};
    GameOptions.dataDir = TARNVELL_DATA;
    GameOptions.hasSeed = true, GameOptions.seed = 5;
    ASSERT_TRUE(InitDataPaths());
    ASSERT_TRUE(SelectDisplayProfile(GameOptions.display));
    ChooseSoundOutput(SoundOutput::Silent);
    DeviceBackend* window = CreateWindowBackend(WindowBackendSettings{1, false, 20, ""});
    PadPlayer player(*window);
    SetDeviceBackend(&player);
    EXPECT_EQ(RunGame(), 0);
    SetDeviceBackend(nullptr);

    EXPECT_FALSE(player.timedOut) << "no pad, or stopped in phase "
                                  << static_cast<int>(player.phase) << ", state " << GameState;
    EXPECT_EQ(player.menusPressed, 3) << "A once on each of the three menus reaches a race";
    // Thrust held by the pad keeps the ship at speed however the d-pad comes and goes.
    EXPECT_EQ(player.racePasses, 61);
    // At 20 frames a second; a machine too busy for that lowers the game's frame rate, and
    // the speed a press a pass holds against the drag falls with it.
    EXPECT_GE(player.lowestSpeed, 120.0 * player.lowestFrameRate / 20)
        << "at " << player.lowestFrameRate << " frames a second";
    EXPECT_FALSE(player.wrecked || player.passRanWhilePaused)
        << "wrecked " << player.wrecked << ", a pass ran while paused "
        << player.passRanWhilePaused;
    EXPECT_EQ(player.phase, PadPlayer::Phase::Done) << "B while paused leaves for the menus";
}
