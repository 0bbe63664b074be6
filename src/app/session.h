// The session around the main loop: scripted input and recording before each pass, the
// trace and screenshots after it.
#pragma once
#include <cstdint>

#include "app/input_script.h"
#include "app/recording.h"
#include "app/trace.h"

// Before pass `pass` runs: the clock is pinned for a recording, and the script's events for
// the pass reach the window procedure. Pass 0 is the start, before the first pass.
void StartPass(int64_t pass);
// An input message reached the window procedure: a recording notes it. Scripted events
// belong to the pass they are delivered before; live ones arrive during a pass and are seen
// by the next.
void RecordInput(uint32_t message, uintptr_t wParam, intptr_t lParam);
// After pass `pass` is presented: screenshots and the trace line.
void FinishPass(int64_t pass);
// Flushes and closes what the session opened.
void CloseSession();

// The pass last started (counted from 1; 0 before the first).
int64_t CurrentPass();
