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

extern WindowHandle MainWindow;
