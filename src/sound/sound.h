// Music and effects over the module player: what plays when, and the player's settings.
#pragma once
#include <cstdint>
#include <string>

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

// Where the mix goes: chosen once at start-up by the program entry, beside the display
// backend, and opened by InitSound.
enum class SoundOutput : int32_t {
    Silent,  // no sound at all; the player still runs (the choice until one is made)
    WavFile, // mixed into a WAV file at the game's pace
    Device,  // the desktop's audio, retried for up to 1,000 ms (presenting frames meanwhile)
             // before the game goes on silent
};
// `wavPath` names the file for WavFile; a file that cannot be written, or whose name holds
// a comma, leaves the game silent.
void ChooseSoundOutput(SoundOutput output, const std::string& wavPath = "");

// Starts the module player on the chosen output, loads the music and effects from
// SoundFolder() and starts the menu music. Called once by the main loop before the first
// pass (after InitDataPaths). Missing files are skipped; the game never notices.
// Safe to call again after ShutdownSound in the same process.
void InitSound();
// Lets the player mix; called once per main-loop pass and during long builds. Into a WAV
// file it mixes as much as the tick count says has passed since InitSound, so the file
// runs at the game's pace (a clock that never moves, as in unit tests, mixes one
// 8,192-frame block a call).
void UpdateSound();
// Starts the effect from its beginning on one of the 4 effect voices, when SOUND FX is ON.
void PlayEffect(Effect effect);
// Stops the playing module, then starts `music` where it last stopped, when MUSIC is ON.
void SwitchMusic(Music music);
// MUSIC ON: music volume 32; OFF: 0. Neither starts nor stops a module.
void SetMusicOn(bool on);
// Silences everything at once (the player paused the game), or lets it sound on from where
// it stood.
void PauseSound(bool paused);
// The player's volumes on top of the game's own: music and effects, 0-100 percent.
void SetSoundVolumes(int32_t musicPercent, int32_t effectsPercent);
// Stops the music, releases modules and effects and closes the output (a WAV file is
// finished). Called by the main loop after its last pass.
void ShutdownSound();

// What the sound layer is doing, for tests and the trace.
struct SoundStatus {
    bool started;        // the player runs (on some output)
    const char* output;  // "sdl", "wav", "nosound" or "" before InitSound
    int32_t modules;     // modules loaded, 0-3
    int32_t effects;     // effects loaded, 0-7
    int32_t playing;     // the playing module (a Music value), -1 for none
    int32_t musicVolume; // 0-128
};
SoundStatus ReadSoundStatus();

// Sends ALSA's own error messages nowhere, for the rest of the run, where the library is
// installed. InitSound calls it before trying the desktop's audio, whose failures the game
// reports itself in one line.
void QuietAudioLibraryMessages();
