// The main loop: one screen routine a pass, the frame-rate measurement, presentation.
#pragma once
#include <cstdint>

// Runs passes until GameState becomes 99 (or the pass limit of --frames is reached, which
// leaves through the same releases as EXIT). Returns the exit code.
int32_t RunMainLoop();

// The frame-rate rule: a half-second window that counted `frames` passes.
int32_t MeasuredFrameRate(int32_t frames);
