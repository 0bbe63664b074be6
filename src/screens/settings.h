// The six game settings and the chosen planet and track: in memory only, never stored.
#pragma once
#include <cstdint>

// Each value is the index of its label (see the settings screen).
struct Settings {
    int32_t level;    // 0 EASY, 1 NORMAL, 2 HARD
    int32_t sfx;      // 0 OFF, 1 ON
    int32_t music;    // 0 OFF, 1 ON
    int32_t detail;   // 0 LOW, 1 MEDIUM, 2 HIGH
    int32_t distance; // 0 NEAR, 1 MEDIUM, 2 FAR
    int32_t sky;      // 0 OFF, 1 ON
};

// Whole run; set to the defaults by the load step.
extern Settings GameSettings;
extern int32_t PlanetIndex; // 0-11
extern int32_t TrackIndex;  // 0-4

// LEVEL NORMAL, SOUND FX ON, MUSIC ON, DETAIL MEDIUM, DISTANCE FAR, SKY ON.
void SetDefaultSettings();
