// The entry point and the window procedure: start-up, the main loop, and the way back out.
#include "app/window.h"

#include <cstdio>
#include <cstring>

#include "app/main_loop.h"
#include "app/session.h"
#include "base/frame.h"
#include "base/input.h"
#include "base/state.h"

namespace {
constexpr const char* ClassName = "Tarnvell";
constexpr const char* WindowTitle = "Tarnvell";
constexpr int32_t TaskBarHeight = 26; // pixels
} // namespace

WindowHandle MainWindow = 0;

void SetFullScreen(bool restore) {
    WindowRect rect = {0, 0, 0, 0};
    GetDeviceWindowRect(MainWindow, &rect);
    const WindowHandle taskBar = FindWindowByClass("HHTaskbar");
    // Kept: the rectangle's right and bottom edges go where a width and height belong. The
    // window lies at x = 0, so the width is right, and the height keeps the top edge's offset.
    if (restore) {
        ShellFullScreen(MainWindow, SHFS_SHOWTASKBAR | SHFS_SHOWSIPBUTTON | SHFS_SHOWSTARTICON);
        ShowDeviceWindow(taskBar, SW_SHOW);
        MoveDeviceWindow(MainWindow, rect.left, rect.top + TaskBarHeight, rect.right,
                         rect.bottom - 2 * TaskBarHeight, true);
    } else {
        ShellFullScreen(MainWindow, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON);
        ShowDeviceWindow(taskBar, SW_HIDE);
        MoveDeviceWindow(MainWindow, rect.left, rect.top - TaskBarHeight, rect.right,
                         rect.bottom + TaskBarHeight, true);
    }
}

intptr_t GameWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) {
    if (message >= WM_KEYDOWN && message <= WM_LBUTTONUP)
        RecordInput(message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        SetFullScreen(false);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        if ((wParam & 0xFFFF) == WA_INACTIVE)
            SetFullScreen(true);
        else if ((wParam & 0xFFFF) == WA_ACTIVE)
            SetFullScreen(false);
        return 0;
    case WM_ENABLE:
    case WM_SETTINGCHANGE:
        SetFullScreen(false);
        return 0;
    case WM_KEYDOWN:
        KeyDownMessage(static_cast<uint16_t>(wParam & 0xFFFF));
        return 0;
    case WM_KEYUP:
        KeyUpMessage(static_cast<uint16_t>(wParam & 0xFFFF));
        return 0;
    case WM_MOUSEMOVE:
        StylusMoveMessage(lParam);
        return 0;
    case WM_LBUTTONDOWN:
        StylusDownMessage(lParam);
        return 0;
    case WM_LBUTTONUP:
        StylusUpMessage();
        return 0;
    default:
        return DefaultWindowProcedure(window, message, wParam, lParam);
    }
}

int32_t RunGame() {
    // A copy already running is brought to the front; this one opens nothing.
    if (const WindowHandle running = FindWindowByClass(ClassName)) {
        ShowDeviceWindow(running, SW_SHOW);
        return 0;
    }
    if (!AllocateFrameBuffer())
        return 1;
    GXOpenDisplay(0, GX_FULLSCREEN);
    GXOpenInput();
    InstallKeyList(GXGetDefaultKeys(GX_NORMALKEYS));
    const GXDisplayProperties properties = GXGetDisplayProperties();
    GameDisplay = {properties.cBPP, properties.cbxPitch, properties.cbyPitch};
    ResetInput();
    SetFullScreen(false);
    StartFrameTimer();

    int32_t exitCode = 0;
    if (!RegisterWindowClass(ClassName, GameWindowProcedure)) {
        exitCode = 1;
    } else {
        MainWindow = CreateTopWindow(ClassName, WindowTitle, 0, 0, ScreenWidth, ScreenHeight);
        if (!MainWindow) {
            // The device could not give us a window: say so rather than end quietly.
            exitCode = 1;
        } else {
            ShowDeviceWindow(MainWindow, SW_SHOW);
            UpdateDeviceWindow(MainWindow);
            exitCode = RunMainLoop();
        }
    }
    // The task bar comes back, then the display and keys are given back, on every path.
    SetFullScreen(true);
    GXCloseInput();
    GXCloseDisplay();
    if (MainWindow)
        DestroyDeviceWindow(MainWindow);
    MainWindow = 0;
    FreeFrameBuffer();
    return exitCode;
}
