// The emulated pocket device: the window, message, shell and direct-display calls the game makes.
#pragma once
#include <cstdint>
#include <string>

// Window handles are small numbers; 0 is "no window".
using WindowHandle = int32_t;
using WindowProcedure = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);

// Message numbers and arguments, with the values of the original system.
constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_ENABLE = 0x000A;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_SETTINGCHANGE = 0x001A;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WA_INACTIVE = 0;
constexpr uint32_t WA_ACTIVE = 1;
constexpr uint32_t WA_CLICKACTIVE = 2;
constexpr int32_t SW_HIDE = 0;
constexpr int32_t SW_SHOW = 5;
constexpr uint32_t SHFS_SHOWTASKBAR = 0x01;
constexpr uint32_t SHFS_HIDETASKBAR = 0x02;
constexpr uint32_t SHFS_SHOWSIPBUTTON = 0x04;
constexpr uint32_t SHFS_HIDESIPBUTTON = 0x08;
constexpr uint32_t SHFS_SHOWSTARTICON = 0x10;
constexpr uint32_t SHFS_HIDESTARTICON = 0x20;

// The key codes of the device's default key list (joypad and buttons).
constexpr uint16_t KeyCodeUp = 0x26;
constexpr uint16_t KeyCodeDown = 0x28;
constexpr uint16_t KeyCodeLeft = 0x25;
constexpr uint16_t KeyCodeRight = 0x27;
constexpr uint16_t KeyCodeA = 0xC1;
constexpr uint16_t KeyCodeB = 0xC2;
constexpr uint16_t KeyCodeC = 0xC3;
constexpr uint16_t KeyCodeStart = 0x86;

struct WindowRect {
    int32_t left, top, right, bottom; // screen pixels
};

struct DeviceMessage {
    WindowHandle window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

// Packs a stylus position the way mouse messages carry it: x in the low 16 bits.
constexpr intptr_t PackPoint(int32_t x, int32_t y) {
    return static_cast<intptr_t>((static_cast<uint32_t>(x) & 0xFFFFu) |
                                 ((static_cast<uint32_t>(y) & 0xFFFFu) << 16));
}

// Window class and windows. The device has one screen; the task bar is the window of class
// "HHTaskbar" that the shell owns.
bool RegisterWindowClass(const char* className, WindowProcedure procedure);
// A top-most window; sends WM_CREATE to the class's procedure before it returns.
WindowHandle CreateTopWindow(const char* className, const char* title, int32_t x, int32_t y,
                             int32_t width, int32_t height);
// A window of this class, in this program or (the window build) in another running copy.
WindowHandle FindWindowByClass(const char* className);
bool ShowDeviceWindow(WindowHandle window, int32_t command);
bool IsDeviceWindowVisible(WindowHandle window);
bool UpdateDeviceWindow(WindowHandle window);
bool GetDeviceWindowRect(WindowHandle window, WindowRect* rect);
bool MoveDeviceWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height,
                      bool repaint);
// Destroys a window from outside the game (the desktop closing it): sends WM_DESTROY.
void DestroyDeviceWindow(WindowHandle window);

// The message queue.
void PostDeviceMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
void PostQuitMessage(int32_t exitCode);
// True when a message waits; leaves it in the queue. Polls the backend's events first.
bool PeekDeviceMessage(DeviceMessage* message);
// Takes the next message; false for the quit message.
bool GetDeviceMessage(DeviceMessage* message);
bool TranslateDeviceMessage(const DeviceMessage* message);
intptr_t DispatchDeviceMessage(const DeviceMessage* message);
intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);
// True once a quit message has been posted (the window was closed or destroyed).
bool QuitPosted();

// The shell's full-screen call: hides or shows the task bar and its buttons.
bool ShellFullScreen(WindowHandle window, uint32_t flags);

// Direct display access.
constexpr uint32_t GX_FULLSCREEN = 0x01;
constexpr int32_t GX_NORMALKEYS = 0x02;

struct GXKeyEntry {
    int16_t code; // virtual-key code
    int16_t alignment;
    int32_t x, y; // a screen point, unused by the game
};
// Eight 12-byte entries: up, down, left, right, A, B, C, start.
struct GXKeyList {
    GXKeyEntry vkUp, vkDown, vkLeft, vkRight, vkA, vkB, vkC, vkStart;
};
static_assert(sizeof(GXKeyList) == 96);

struct GXDisplayProperties {
    uint32_t cxWidth;
    uint32_t cyHeight;
    int32_t cbxPitch; // bytes from a pixel to the one on its right
    int32_t cbyPitch; // bytes from a pixel to the one below it
    int32_t cBPP;     // bits per pixel
    uint32_t ffFormat;
};

int32_t GXOpenDisplay(WindowHandle window, uint32_t flags);
int32_t GXCloseDisplay();
int32_t GXOpenInput();
int32_t GXCloseInput();
GXKeyList GXGetDefaultKeys(int32_t options);
GXDisplayProperties GXGetDisplayProperties();
// The address of the display pixel at screen position (0, 0); null while the display is closed.
void* GXBeginDraw();
int32_t GXEndDraw();

// Milliseconds since start-up (virtual when headless).
uint32_t GetTickCount();
// Pins the tick count to `value` (recorded sessions and their replays); off: the clock runs.
void OverrideTickCount(bool on, uint32_t value);
// The backend's own clock, whatever the override says.
uint32_t DeviceClockTicks();
// The full path of the running program.
std::string GetProgramPath();

// Back to the state at start-up: no classes, no windows, an empty queue, no quit posted.
// For tests that run the game more than once in one process.
void ResetDevice();
