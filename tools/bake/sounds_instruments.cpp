// The instruments of the three modules, synthesised from sines, saws and noise.
#include <algorithm>
#include <cmath>

#include "sounds_instruments.h"

namespace sounds {

namespace {
constexpr double Pi = 3.14159265358979323846;
constexpr int32_t BaseNote = 12; // tonal instruments are tuned at C-2

ModSample Finish(const char* name, std::vector<float> signal, uint8_t volume,
                 uint32_t loopStart = 0, uint32_t loopLength = 0) {
    if (loopLength == 0) {
        // A one-shot fades out over its last 256 samples, so no note ends in a click.
        const size_t fade = std::min<size_t>(256, signal.size());
        for (size_t i = 0; i < fade; ++i)
            signal[signal.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(fade);
    }
    ModSample sample;
    sample.name = name;
    sample.data = ToPcm8(signal);
    sample.volume = volume;
    sample.loopStart = loopStart;
    sample.loopLength = loopLength;
    return sample;
}

// One-pole high-pass, for the hiss of drums.
void HighPass(std::vector<float>& signal, float amount) {
    float previousIn = 0.0f, previousOut = 0.0f;
    for (float& v : signal) {
        float out = amount * (previousOut + v - previousIn);
        previousIn = v;
        previousOut = out;
        v = out;
    }
}

void LowPass(std::vector<float>& signal, float amount) {
    float state = 0.0f;
    for (float& v : signal) {
        state += amount * (v - state);
        v = state;
    }
}

size_t Samples(double seconds, double rate) {
    return static_cast<size_t>(seconds * rate) & ~size_t{1};
}
} // namespace

ModSample MakeSustained(const char* name, const SustainedTone& tone, uint8_t volume) {
    const double rate = NoteRate(BaseNote);
    const int32_t loop = tone.cycle * tone.loopCycles;
    int32_t attackLoops =
        std::max(1, static_cast<int32_t>(std::ceil(tone.settleSeconds * rate / loop)));
    const int32_t total = loop * (attackLoops + 1);
    std::vector<float> signal(static_cast<size_t>(total));
    for (int32_t n = 0; n < total; ++n) {
        double t = n / rate;
        bool inLoop = n >= loop * attackLoops;
        double settle = inLoop ? 1.0 : std::min(1.0, t / tone.settleSeconds);
        double bright =
            tone.brightness * (tone.startBrightness + (1.0 - tone.startBrightness) * settle);
        double env = 1.0;
        if (!inLoop) {
            double a = std::min(1.0, t / tone.attackSeconds);
            double rise = std::sin(a * Pi / 2) * std::sin(a * Pi / 2);
            double over = (tone.peak - 1.0) * std::exp(-std::max(0.0, t - tone.attackSeconds) /
                                                       (tone.settleSeconds * 0.2));
            env = rise * (1.0 + over);
        }
        double sum = 0.0;
        int32_t voices = 0;
        for (int32_t d = -tone.detune; d <= tone.detune; d += std::max(1, tone.detune)) {
            double cyclesPerLoop = tone.loopCycles + d;
            double phase = static_cast<double>(n) * cyclesPerLoop / loop;
            int32_t maxHarmonic = static_cast<int32_t>(loop / (2.0 * cyclesPerLoop)) - 1;
            for (int32_t h = 1; h <= maxHarmonic; ++h) {
                if (tone.oddOnly && (h % 2) == 0)
                    continue;
                double amp =
                    (tone.falloff == 2 ? 1.0 / (h * h) : 1.0 / h) * std::exp(-(h - 1) / bright);
                if (h <= 4)
                    amp *= tone.lowHarmonics[static_cast<size_t>(h - 1)];
                // Each voice starts at its own phase so the chorus does not cancel at the start.
                sum += amp * std::sin(2.0 * Pi * (h * phase + 0.37 * (d + tone.detune) * h));
            }
            ++voices;
            if (tone.detune == 0)
                break;
        }
        signal[static_cast<size_t>(n)] = static_cast<float>(env * sum / voices);
    }
    if (tone.breath > 0.0f) {
        Noise noise(0x5eed0001u);
        float state = 0.0f;
        for (int32_t n = 0; n < loop * attackLoops; ++n) {
            double t = n / rate;
            state += 0.25f * (noise.Next() - state);
            signal[static_cast<size_t>(n)] +=
                tone.breath * state * static_cast<float>(std::exp(-t / 0.05));
        }
    }
    return Finish(name, signal, volume, static_cast<uint32_t>(loop * attackLoops),
                  static_cast<uint32_t>(loop));
}

ModSample MakeElectricPiano(const char* name, int32_t cycle, double decaySeconds, uint8_t volume) {
    const double rate = NoteRate(BaseNote);
    const double f = rate / cycle;
    std::vector<float> signal(Samples(decaySeconds * 4.5, rate));
    for (size_t n = 0; n < signal.size(); ++n) {
        double t = n / rate;
        double index = 1.3 * std::exp(-t / 0.25) + 0.25;
        double body = std::sin(2 * Pi * f * t + index * std::sin(2 * Pi * f * t));
        double tine = 0.22 * std::exp(-t / 0.03) * std::sin(2 * Pi * f * 7.0 * t);
        double env = std::min(1.0, t / 0.003) * std::exp(-t / decaySeconds);
        signal[n] = static_cast<float>(env * (body + tine));
    }
    return Finish(name, signal, volume);
}

ModSample MakeFilteredPluck(const char* name, const Pluck& pluck, uint8_t volume) {
    const double rate = NoteRate(BaseNote);
    const int32_t over = 4;
    const double f = rate / pluck.cycle;
    const int32_t maxHarmonic = pluck.cycle / 2 - 1;
    size_t length = Samples(pluck.lengthSeconds, rate);
    std::vector<float> signal(length);
    double low = 0.0, band = 0.0;
    for (size_t n = 0; n < length * over; ++n) {
        double t = n / (rate * over);
        double phase = f * t;
        double raw = pluck.square ? SquareWave(phase, maxHarmonic) : SawWave(phase, maxHarmonic);
        double cutoff = pluck.cutoffEnd +
                        (pluck.cutoffStart - pluck.cutoffEnd) * std::exp(-t / pluck.cutoffDecay);
        double g = 2.0 * std::sin(Pi * std::min(cutoff, rate * 0.45) / (rate * over));
        double high = raw - low - pluck.damping * band;
        band += g * high;
        low += g * band;
        if (n % over == 0) {
            double env = std::min(1.0, t / 0.002) * std::exp(-t / pluck.ampDecay);
            signal[n / over] = static_cast<float>(env * low);
        }
    }
    return Finish(name, signal, volume);
}

ModSample MakeBell(const char* name, int32_t cycle, uint8_t volume) {
    const double rate = NoteRate(BaseNote);
    const double f = rate / cycle;
    std::vector<float> signal(Samples(1.6, rate));
    const double ratios[] = {1.0, 2.0, 3.0, 4.07};
    const double amps[] = {1.0, 0.35, 0.12, 0.18};
    const double decays[] = {0.7, 0.35, 0.2, 0.08};
    for (size_t n = 0; n < signal.size(); ++n) {
        double t = n / rate;
        double sum = 0.0;
        for (int i = 0; i < 4; ++i) {
            if (f * ratios[i] < rate * 0.45)
                sum += amps[i] * std::exp(-t / decays[i]) * std::sin(2 * Pi * f * ratios[i] * t);
        }
        signal[n] = static_cast<float>(std::min(1.0, t / 0.002) * sum);
    }
    return Finish(name, signal, volume);
}

ModSample MakeKick(int32_t note, double punch, uint8_t volume) {
    const double rate = NoteRate(note);
    std::vector<float> signal(Samples(0.42, rate));
    Noise noise(0x4b1c4u);
    double phase = 0.0;
    for (size_t n = 0; n < signal.size(); ++n) {
        double t = n / rate;
        double f = 48.0 + punch * std::exp(-t / 0.035);
        phase += f / rate;
        double body = std::sin(2 * Pi * phase) * std::exp(-t / 0.22);
        double click = 0.35 * noise.Next() * std::exp(-t / 0.002);
        signal[n] = static_cast<float>(std::tanh(1.6 * body) + click);
    }
    return Finish("kick", signal, volume);
}

ModSample MakeSnare(int32_t note, double snap, uint8_t volume) {
    const double rate = NoteRate(note);
    std::vector<float> hiss(Samples(0.32, rate));
    Noise noise(0x5a4e5u);
    for (float& v : hiss)
        v = noise.Next();
    HighPass(hiss, 0.8f);
    std::vector<float> signal(hiss.size());
    for (size_t n = 0; n < signal.size(); ++n) {
        double t = n / rate;
        double tone = (std::sin(2 * Pi * 185.0 * t) + 0.5 * std::sin(2 * Pi * 330.0 * t)) *
                      std::exp(-t / 0.045);
        signal[n] = static_cast<float>(0.8 * tone + snap * hiss[n] * std::exp(-t / 0.09));
    }
    return Finish("snare", signal, volume);
}

ModSample MakeHat(int32_t note, double decaySeconds, uint8_t volume) {
    const double rate = NoteRate(note);
    std::vector<float> signal(Samples(std::min(0.7, decaySeconds * 6.0), rate));
    Noise noise(0x4a7u);
    double phases[6] = {};
    const double partials[6] = {2120.0, 3050.0, 3610.0, 4770.0, 5530.0, 6890.0};
    for (size_t n = 0; n < signal.size(); ++n) {
        double metal = 0.0;
        for (int i = 0; i < 6; ++i) {
            phases[i] += partials[i] / rate;
            if (partials[i] < rate * 0.45)
                metal += (phases[i] - std::floor(phases[i]) < 0.5) ? 0.15 : -0.15;
        }
        signal[n] = static_cast<float>(noise.Next() + metal);
    }
    HighPass(signal, 0.6f);
    HighPass(signal, 0.6f);
    for (size_t n = 0; n < signal.size(); ++n) {
        double t = n / rate;
        signal[n] *= static_cast<float>(std::min(1.0, t / 0.001) * std::exp(-t / decaySeconds));
    }
    return Finish(decaySeconds > 0.1 ? "open hat" : "closed hat", signal, volume);
}

ModSample MakeShaker(int32_t note, uint8_t volume) {
    const double rate = NoteRate(note);
    std::vector<float> signal(Samples(0.12, rate));
    Noise noise(0x5ca7u);
    for (float& v : signal)
        v = noise.Next();
    HighPass(signal, 0.7f);
    LowPass(signal, 0.5f);
    for (size_t n = 0; n < signal.size(); ++n) {
        double t = n / rate;
        double env = std::sin(std::min(1.0, t / 0.012) * Pi / 2) *
                     std::exp(-std::max(0.0, t - 0.012) / 0.025);
        signal[n] *= static_cast<float>(env);
    }
    return Finish("shaker", signal, volume);
}

ModSample MakeTom(int32_t note, double pitch, double decaySeconds, const char* name,
                  uint8_t volume) {
    const double rate = NoteRate(note);
    std::vector<float> signal(Samples(decaySeconds * 4.0, rate));
    Noise noise(0x7047u);
    double phase = 0.0;
    for (size_t n = 0; n < signal.size(); ++n) {
        double t = n / rate;
        phase += pitch * (1.0 + 0.5 * std::exp(-t / 0.04)) / rate;
        double body = std::sin(2 * Pi * phase) + 0.2 * std::sin(4 * Pi * phase);
        signal[n] = static_cast<float>(std::exp(-t / decaySeconds) * body +
                                       0.15 * noise.Next() * std::exp(-t / 0.01));
    }
    return Finish(name, signal, volume);
}

ModSample MakeCrash(int32_t note, uint8_t volume) {
    const double rate = NoteRate(note);
    std::vector<float> signal(Samples(1.9, rate));
    Noise noise(0xc7a5u);
    double phases[9] = {};
    const double partials[9] = {410.0,  737.0,  1193.0, 1560.0, 2281.0,
                                2973.0, 3517.0, 4308.0, 5122.0};
    for (size_t n = 0; n < signal.size(); ++n) {
        double metal = 0.0;
        for (int i = 0; i < 9; ++i) {
            phases[i] += partials[i] / rate;
            if (partials[i] < rate * 0.45)
                metal += 0.12 * std::sin(2 * Pi * phases[i] + 0.2 * noise.Next());
        }
        signal[n] = static_cast<float>(noise.Next() * 0.8 + metal);
    }
    HighPass(signal, 0.75f);
    for (size_t n = 0; n < signal.size(); ++n) {
        double t = n / rate;
        signal[n] *= static_cast<float>(std::min(1.0, t / 0.002) * std::exp(-t / 0.45));
    }
    return Finish("crash", signal, volume);
}

} // namespace sounds
