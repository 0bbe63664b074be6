// What the port layer is told about the screen that runs: its kind and its buttons.
#pragma once
#include "platform/port.h"

// The port's view of the current GameState: the kind of screen, the buttons it shows (read
// from the screens' own button tables), where the focus starts and which button goes back.
PortScreen DescribeScreen();

// Called once a pass after the screen routine, before the frame is presented.
void UpdatePortScreen();
