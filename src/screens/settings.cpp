// The game settings record and the chosen planet and track.
#include "screens/settings.h"

Settings GameSettings = {1, 1, 1, 1, 2, 1};
int32_t PlanetIndex = 0;
int32_t TrackIndex = 0;

void SetDefaultSettings() {
    GameSettings.level = 1;
    GameSettings.sfx = 1;
    GameSettings.music = 1;
    GameSettings.detail = 1;
    GameSettings.distance = 2;
    GameSettings.sky = 1;
}
