// ProTracker module writer and the waveform helpers the instruments are built from.
#include <algorithm>
#include <cmath>

#include "sounds_synth.h"

namespace sounds {

namespace {
constexpr uint16_t Periods[NoteCount] = {
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453, // octave 1
    428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226, // octave 2
    214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113, // octave 3
};
constexpr double Pi = 3.14159265358979323846;

void PutWord(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}
} // namespace

uint16_t NotePeriod(int32_t note) {
    return Periods[std::clamp(note, 0, NoteCount - 1)];
}
double NoteRate(int32_t note) {
    return PalClock / NotePeriod(note);
}

std::vector<uint8_t> WriteMod(const ModSong& song) {
    std::vector<uint8_t> out;
    std::string title = song.title.substr(0, 20);
    title.resize(20, '\0');
    out.insert(out.end(), title.begin(), title.end());
    for (size_t i = 0; i < 31; ++i) {
        ModSample empty;
        const ModSample& s = i < song.samples.size() ? song.samples[i] : empty;
        std::string name = s.name.substr(0, 22);
        name.resize(22, '\0');
        out.insert(out.end(), name.begin(), name.end());
        uint32_t words = static_cast<uint32_t>(std::min<size_t>(s.data.size(), 131070) / 2);
        PutWord(out, words);
        out.push_back(0);                               // finetune
        out.push_back(std::min<uint8_t>(s.volume, 64)); // volume
        if (s.loopLength >= 4 && s.loopStart + s.loopLength <= words * 2) {
            PutWord(out, s.loopStart / 2);
            PutWord(out, s.loopLength / 2);
        } else {
            PutWord(out, 0);
            PutWord(out, 1); // one word: no loop
        }
    }
    out.push_back(static_cast<uint8_t>(song.orders.size()));
    out.push_back(0); // restart from the first order
    for (size_t i = 0; i < 128; ++i)
        out.push_back(i < song.orders.size() ? song.orders[i] : 0);
    for (char c : std::string("M.K."))
        out.push_back(static_cast<uint8_t>(c));
    for (const ModPattern& pattern : song.patterns) {
        for (const auto& row : pattern.rows) {
            for (const ModCell& cell : row) {
                uint16_t period = cell.note ? NotePeriod(cell.note - 1) : 0;
                out.push_back(static_cast<uint8_t>((cell.sample & 0xF0) | (period >> 8)));
                out.push_back(static_cast<uint8_t>(period & 0xFF));
                out.push_back(
                    static_cast<uint8_t>(((cell.sample & 0x0F) << 4) | (cell.effect & 0x0F)));
                out.push_back(cell.param);
            }
        }
    }
    for (size_t i = 0; i < 31 && i < song.samples.size(); ++i) {
        const std::vector<int8_t>& data = song.samples[i].data;
        size_t length = std::min<size_t>(data.size(), 131070) & ~size_t{1};
        for (size_t j = 0; j < length; ++j)
            out.push_back(static_cast<uint8_t>(data[j]));
    }
    return out;
}

float Noise::Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
}

std::vector<int8_t> ToPcm8(const std::vector<float>& signal, float peak) {
    float loudest = 0.0f;
    for (float v : signal)
        loudest = std::max(loudest, std::fabs(v));
    float scale = loudest > 0.0f ? peak / loudest : 0.0f;
    std::vector<int8_t> out(signal.size() + (signal.size() & 1), 0);
    for (size_t i = 0; i < signal.size(); ++i) {
        long v = std::lround(signal[i] * scale);
        out[i] = static_cast<int8_t>(std::clamp(v, -127L, 127L));
    }
    return out;
}

float SawWave(double cycles, int32_t maxHarmonic) {
    double phase = cycles - std::floor(cycles);
    double sum = 0.0;
    for (int32_t h = 1; h <= maxHarmonic; ++h)
        sum += std::sin(2.0 * Pi * h * phase) / h;
    return static_cast<float>(sum * 0.55);
}

float SquareWave(double cycles, int32_t maxHarmonic) {
    double phase = cycles - std::floor(cycles);
    double sum = 0.0;
    for (int32_t h = 1; h <= maxHarmonic; h += 2)
        sum += std::sin(2.0 * Pi * h * phase) / h;
    return static_cast<float>(sum * 0.9);
}

} // namespace sounds
