// The program's entry and its one window: single copy, display and keys, shell state.
#pragma once
#include <cstdint>

#include "platform/device.h"

// The whole program after the command line: returns the process exit code.
int32_t RunGame();

// Hides (restore = false) or restores the task bar and moves the window to match.
void SetFullScreen(bool restore);

// The window procedure: the only door for key, stylus and window messages.
intptr_t GameWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam);

// The key list the device reported at start-up.
const GXKeyList& DeviceKeyList();
// Takes the device's key list (start-up; tests that feed the window procedure directly).
void InstallKeyList(const GXKeyList& keys);
// The display layout kept at start-up: depth and the two pixel steps.
struct DisplayLayout {
    int32_t cBPP;
    int32_t cbxPitch; // bytes
    int32_t cbyPitch; // bytes
};
extern DisplayLayout GameDisplay;
extern WindowHandle MainWindow;
