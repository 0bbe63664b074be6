// Instrument recipes of the sound baker: each gives one 8-bit module sample.
#pragma once
#include <array>
#include <cstdint>

#include "sounds_synth.h"

namespace sounds {

// A held tone: a short attack, then a loop of whole cycles that sustains for as long as
// the note lasts. `cycle` samples a period at C-2, so 32 puts C-2 near C4, 64 near C3,
// 128 near C2. Detuned voices fit whole cycles into the loop, so the chorus loops cleanly.
struct SustainedTone {
    int32_t cycle = 64;
    int32_t loopCycles = 64;      // cycles of the middle voice in one loop
    int32_t detune = 0;           // the other voices run this many cycles a loop faster/slower
    double brightness = 8.0;      // harmonic roll-off, in harmonics
    double startBrightness = 1.0; // brightness at the attack, as a fraction (brass opens up)
    bool oddOnly = false;         // square-like
    int32_t falloff = 1;          // 1: saw-like 1/h, 2: soft 1/h^2
    std::array<double, 4> lowHarmonics = {1.0, 1.0, 1.0, 1.0};
    double attackSeconds = 0.01;
    double settleSeconds = 0.1; // the attack part lasts at least this long
    double peak = 1.0;          // level at the end of the attack, settling to 1
    float breath = 0.0f;        // noise at the start (flute)
};

// A one-shot saw or square through a resonant low-pass that closes as the note decays.
struct Pluck {
    int32_t cycle = 128;
    bool square = false;
    double cutoffStart = 2400.0; // Hz at C-2
    double cutoffEnd = 250.0;
    double cutoffDecay = 0.08; // seconds
    double damping = 0.35;     // 2: no resonance, lower rings more
    double ampDecay = 0.25;    // seconds
    double lengthSeconds = 0.6;
};

ModSample MakeSustained(const char* name, const SustainedTone& tone, uint8_t volume);
ModSample MakeElectricPiano(const char* name, int32_t cycle, double decaySeconds, uint8_t volume);
ModSample MakeFilteredPluck(const char* name, const Pluck& pluck, uint8_t volume);
ModSample MakeBell(const char* name, int32_t cycle, uint8_t volume);

// Drums are synthesised for the tracker note they are played at.
ModSample MakeKick(int32_t note, double punch, uint8_t volume);
ModSample MakeSnare(int32_t note, double snap, uint8_t volume);
ModSample MakeHat(int32_t note, double decaySeconds, uint8_t volume);
ModSample MakeShaker(int32_t note, uint8_t volume);
ModSample MakeTom(int32_t note, double pitch, double decaySeconds, const char* name,
                  uint8_t volume);
ModSample MakeCrash(int32_t note, uint8_t volume);

} // namespace sounds
