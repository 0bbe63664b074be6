// The six game settings and the chosen planet and track: in memory only, never stored.
#pragma once
#include <cstdint>

// Each value is the index of its word on the settings screen (value 0 the first word).
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

// The settings as the settings screen lists them, lines 1-6 from the top.
enum SettingLine : int32_t {
    LevelLine = 1,
    SoundFxLine = 2,
    MusicLine = 3,
    DetailLine = 4,
    DistanceLine = 5,
    SkyLine = 6,
};
constexpr int32_t SettingLineCount = 6;

// "LEVEL", "SOUND FX" ...; an empty string for a line outside 1-6.
const char* SettingLabel(int32_t line);
// How many values the line cycles through: 3 or 2; 0 outside 1-6.
int32_t SettingValueCount(int32_t line);
// The line's current value; 0 outside 1-6.
int32_t SettingValue(int32_t line);
// The word for the line's current value ("NORMAL", "ON" ...). A value out of range (only
// possible by writing GameSettings directly) shows as an empty word, never out of the table.
const char* SettingWord(int32_t line);
// Steps the line to its next value with wrap-around and returns the new value; a value that
// was out of range restarts at 0. Changing MUSIC does not touch the sound: the caller does.
int32_t CycleSetting(int32_t line);

// Readers for the rest of the game.
int32_t LevelSetting(); // 0 EASY, 1 NORMAL, 2 HARD
bool SoundEffectsOn();
bool MusicOn();
int32_t DetailSetting();   // 0 LOW, 1 MEDIUM, 2 HIGH
int32_t DistanceSetting(); // 0 NEAR, 1 MEDIUM, 2 FAR
bool SkyOn();
