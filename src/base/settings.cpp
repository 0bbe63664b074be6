// The game settings record, its words for the settings screen, and the chosen planet and track.
#include "base/settings.h"

Settings GameSettings = {1, 1, 1, 1, 2, 1};
int32_t PlanetIndex = 0;
int32_t TrackIndex = 0;

namespace {

struct SettingEntry {
    const char* label;
    int32_t valueCount;
    const char* words[3];
};

// Lines 1-6 of the settings screen, in GameSettings order.
constexpr SettingEntry SettingTable[SettingLineCount] = {
    {"LEVEL", 3, {"EASY", "NORMAL", "HARD"}},
    {"SOUND FX", 2, {"OFF", "ON", ""}},
    {"MUSIC", 2, {"OFF", "ON", ""}},
    {"DETAIL", 3, {"LOW", "MEDIUM", "HIGH"}},
    {"DISTANCE", 3, {"NEAR", "MEDIUM", "FAR"}},
    {"SKY", 2, {"OFF", "ON", ""}},
};

bool ValidLine(int32_t line) {
    return line >= 1 && line <= SettingLineCount;
}

int32_t* SettingField(int32_t line) {
    switch (line) {
    case LevelLine:
        return &GameSettings.level;
    case SoundFxLine:
        return &GameSettings.sfx;
    case MusicLine:
        return &GameSettings.music;
    case DetailLine:
        return &GameSettings.detail;
    case DistanceLine:
        return &GameSettings.distance;
    case SkyLine:
        return &GameSettings.sky;
    default:
        return nullptr;
    }
}

} // namespace

void SetDefaultSettings() {
    GameSettings.level = 1;
    GameSettings.sfx = 1;
    GameSettings.music = 1;
    GameSettings.detail = 1;
    GameSettings.distance = 2;
    GameSettings.sky = 1;
}

const char* SettingLabel(int32_t line) {
    return ValidLine(line) ? SettingTable[line - 1].label : "";
}

int32_t SettingValueCount(int32_t line) {
    return ValidLine(line) ? SettingTable[line - 1].valueCount : 0;
}

int32_t SettingValue(int32_t line) {
    const int32_t* field = SettingField(line);
    return field ? *field : 0;
}

const char* SettingWord(int32_t line) {
    if (!ValidLine(line)) {
        return "";
    }
    const SettingEntry& entry = SettingTable[line - 1];
    const int32_t value = *SettingField(line);
    return value >= 0 && value < entry.valueCount ? entry.words[value] : "";
}

int32_t CycleSetting(int32_t line) {
    int32_t* field = SettingField(line);
    if (!field) {
        return 0;
    }
    const int32_t count = SettingTable[line - 1].valueCount;
    // A value outside its range (not reachable from the screen) restarts the cycle rather
    // than overflowing or indexing past the word table.
    *field = (*field >= 0 && *field < count - 1) ? *field + 1 : 0;
    return *field;
}

int32_t LevelSetting() {
    return GameSettings.level;
}
bool SoundEffectsOn() {
    return GameSettings.sfx != 0;
}
bool MusicOn() {
    return GameSettings.music != 0;
}
int32_t DetailSetting() {
    return GameSettings.detail;
}
int32_t DistanceSetting() {
    return GameSettings.distance;
}
bool SkyOn() {
    return GameSettings.sky != 0;
}
