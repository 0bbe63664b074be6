// Music and effects over the module player: what plays when, and the player's settings.
#pragma once
#include <cstdint>

enum Music : int32_t { MenuMusic = 0, RaceMusic = 1, ResultsMusic = 2 };
enum Effect : int32_t {
    MenuEffect = 0,
    ThreeEffect = 1,
    TwoEffect = 2,
    OneEffect = 3,
    GoEffect = 4,
    ExplodeEffect = 5,
    CrashEffect = 6,
};

// Starts the module player, loads the music and effects and starts the menu music.
void InitSound();
// Lets the player mix; called once per main-loop pass and during long builds.
void UpdateSound();
void PlayEffect(Effect effect);
void SwitchMusic(Music music);
void SetMusicOn(bool on);
// Stops the music and releases the modules.
void ShutdownSound();
