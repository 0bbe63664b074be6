// The real game run inside this process on a headless device whose input comes from a hook.
#pragma once
#include <cstdint>

// Called when the game polls for input, at most once a pass (pass counted from 1). It may
// post stylus and key messages with the helpers below.
using PassHook = void (*)(int64_t pass);

struct DrivenRun {
    const char* dataDir = nullptr; // folder holding Map/ Graph/ Sound/
    uint32_t seed = 7;
    bool autopilot = false;
    int64_t frames = 0; // 0: until EXIT
    PassHook hook = nullptr;
};

// Runs the game from its start-up to its exit code; -1 when the start-up refuses the
// options (no data folder).
int32_t RunDrivenGame(const DrivenRun& run);

// Input for the next pass, as the device would queue it.
void PostStylus(uint32_t message, int32_t x, int32_t y); // WM_LBUTTONDOWN / MOVE / UP
void PostKey(uint32_t message, uint16_t code);           // WM_KEYDOWN / WM_KEYUP
