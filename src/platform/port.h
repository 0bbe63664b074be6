// The port's comforts around the emulated device: what keys and pad buttons mean on each kind
// of screen, thrust that holds, the menu focus, pause, and the notes drawn over the picture.
// Plain code with no window system, so the window backend and a browser page share it.
#pragma once
#include <cstdint>

// What an input can be bound to. The first eight are the device's keys; the rest belong to
// the port.
enum class PortAction : int32_t {
    Up,
    Down,
    Left,
    Right,
    Accelerate, // the device's A
    Brake,      // the device's B
    C,
    Start,
    Pause,
    Back,
    Fullscreen,
    Screenshot,
    Count,
};
constexpr int32_t PortActionCount = static_cast<int32_t>(PortAction::Count);

// Bits of PortAction, one input may carry several (pad B: brake and back).
using ActionSet = uint32_t;
constexpr ActionSet ActionBit(PortAction action) {
    return 1u << static_cast<uint32_t>(action);
}

// The action's name in the configuration file ("accelerate"), and its default bindings:
// key names as the window system spells them, and game-controller button names, each a
// comma-separated list.
const char* PortActionName(PortAction action);
const char* DefaultKeyBinding(PortAction action);
const char* DefaultPadBinding(PortAction action);

// Where the picture goes in a window's drawable area, in its pixels.
struct PictureRect {
    int32_t x, y, width, height;
    int32_t upscale; // whole-number scale the picture is first drawn at (sharp), at least 1
};
enum class ScalingMode : int32_t { Integer, Fit };
// Integer: the largest whole-number scale that fits; fit: the largest 3:4 picture, drawn
// sharp at `upscale` and filtered to its exact size. A window too small for the picture
// shrinks it in either mode, so nothing is ever cropped. Centred.
PictureRect FitPicture(int32_t outputWidth, int32_t outputHeight, ScalingMode mode);
// A point of the drawable area as a screen pixel; false when it is off the picture.
bool PictureToScreen(const PictureRect& rect, int32_t x, int32_t y, int32_t& screenX,
                     int32_t& screenY);

// What kind of screen runs, set by the game's side once a pass.
enum class PortContext : int32_t {
    Plain,   // no port rules: keys reach the game as the device's keys (loading, tests)
    Menu,    // buttons: arrows move the focus, accelerate or start activate, back goes back
    Race,    // the game's keys; pause, escape or the pad's start pause
    Results, // any key or button ends the screen as a tap does
};

// A button the focus can rest on: its item and open hit rectangle, in screen pixels.
struct FocusTarget {
    int32_t item;
    int32_t left, top, right, bottom;
};
constexpr int32_t MaxFocusTargets = 8;

// Whole run: what the port layer knows of the current screen. Copied in once a pass.
struct PortScreen {
    PortContext context = PortContext::Plain;
    int32_t screen = -1; // the game's state number; a change puts the focus on its default
    int32_t targetCount = 0;
    FocusTarget targets[MaxFocusTargets] = {};
    int32_t defaultItem = 0; // where the focus starts
    int32_t backItem = 0;    // the button that goes back, 0 for none
    bool backTaps = true;    // false: back only moves the focus onto backItem
    int32_t exitX = 0;       // where the race's exit icon is pressed (screen pixels)
    int32_t exitY = 0;
};

// What the window draws over the picture, read once a frame.
struct PortOverlay {
    bool focusShown;
    FocusTarget focus; // valid when focusShown
    bool paused;
    bool noteShown;
    const char* note; // a short line, upper case
};

// The game's side, once a pass after its screen routine.
void SetPortScreen(const PortScreen& screen);
// True while the game is paused: no pass runs, the clock stands still.
bool PortPaused();
// Pauses (a race only) or resumes; `now` is the backend's own clock, ms.
void PausePort(bool paused, uint32_t now);
// Milliseconds spent paused up to `now` (backend clock): the device's clock leaves them out.
uint32_t PortPausedMilliseconds(uint32_t now);

// The backend's side. An input bound to `actions` went down (repeat: the desktop's key
// repeat, or a held pad direction) or up; `now` is the backend clock in ms.
void PortInput(ActionSet actions, bool down, bool repeat, uint32_t now);
// The window lost (false) or gained the keyboard focus; pauses a race when asked to.
void PortFocusChanged(bool focused, uint32_t now);
void SetPauseOnFocusLoss(bool on);
// The mouse was used: the focus hides until a key moves it again.
void PortMouseUsed();
// Once per presented frame: held thrust and brake give their press for the next pass, and
// the lift of a tap the port made is sent.
void PortFramePresented();
// Fullscreen and screenshot requests made by inputs since the last call.
bool TakePortFullscreenRequest();
bool TakePortScreenshotRequest();
// Shows `note` over the picture until `until` (backend clock, ms).
void ShowPortNote(const char* note, uint32_t until);
PortOverlay ReadPortOverlay(uint32_t now);

// The focused item of the current screen, 0 for none (tests).
int32_t PortFocusedItem();
// Back to the start: plain context, not paused, nothing held, no note.
void ResetPort();
