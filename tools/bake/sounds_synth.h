// The sound baker's shared pieces: the tracker-module writer and the instrument synthesiser.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sounds {

constexpr double PalClock = 3546895.0; // Hz; a sample plays at PalClock / period
constexpr int32_t PatternRows = 64;
constexpr int32_t Channels = 4;
constexpr int32_t NoteCount = 36; // tracker notes C-1 .. B-3

// Period of tracker note 0-35 (C-1 .. B-3), finetune 0.
uint16_t NotePeriod(int32_t note);
// Rate (Hz) at which a sample plays at tracker note `note`.
double NoteRate(int32_t note);

// One instrument of a module: 8-bit signed data, loop in bytes (loopLength < 4: one-shot).
struct ModSample {
    std::string name;
    std::vector<int8_t> data; // even length, at most 131,070 bytes
    uint8_t volume = 64;      // 0-64
    uint32_t loopStart = 0;   // bytes, even
    uint32_t loopLength = 0;  // bytes, even; 0: plays once
};

struct ModCell {
    uint8_t note = 0;   // 0: none; 1-36: tracker note + 1
    uint8_t sample = 0; // 0: none; 1-31
    uint8_t effect = 0; // 0-15
    uint8_t param = 0;
};

struct ModPattern {
    std::array<std::array<ModCell, Channels>, PatternRows> rows{};
};

struct ModSong {
    std::string title;              // at most 20 characters
    std::vector<ModSample> samples; // at most 31
    std::vector<ModPattern> patterns;
    std::vector<uint8_t> orders; // 1-128 pattern numbers
};

// ProTracker "M.K." file bytes.
std::vector<uint8_t> WriteMod(const ModSong& song);

// Small deterministic noise source (xorshift32).
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 1u) {}
    float Next(); // -1 .. 1
};

// Float signal to 8-bit signed, scaled so the loudest point reaches `peak` (of 127).
std::vector<int8_t> ToPcm8(const std::vector<float>& signal, float peak = 124.0f);

// Band-limited waveforms, evaluated at phase `cycles` (whole cycles since the start),
// with harmonics up to `maxHarmonic`.
float SawWave(double cycles, int32_t maxHarmonic);
float SquareWave(double cycles, int32_t maxHarmonic);

// The three modules, composed in code.
ModSong ComposeMenuMusic();
ModSong ComposeRaceMusic();
ModSong ComposeResultsMusic();

} // namespace sounds
