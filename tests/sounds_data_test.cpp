// The baked Sound/ folder, checked by an independent player: modules are music, effects are sane.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "run_program.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadSoundFile(const std::string& name) {
    return ReadFileBytes(std::string(TARNVELL_DATA) + "/Sound/" + name);
}

const auto Be16 = [](const Bytes& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); };

openmpt_module* OpenModule(const Bytes& bytes) {
    int error = 0;
    return openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                              nullptr, &error, nullptr, nullptr);
}
} // namespace

TEST(SoundsData, ModulesAreFourChannelProTrackerMusicOverAMinuteLong) {
    for (const char* name : {"music.mod", "race.mod", "stem.mod"}) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bytes = ReadSoundFile(name);
        ASSERT_GT(bytes.size(), 1084u);
        EXPECT_EQ(std::string(bytes.begin() + 1080, bytes.begin() + 1084), "M.K.");
        // The header's sample lengths, pattern count and data add up to the file's size.
        size_t sampleBytes = 0;
        int32_t instruments = 0;
        for (size_t s = 0; s < 31; ++s) {
            size_t at = 20 + s * 30;
            sampleBytes += 2u * Be16(bytes, at + 22);
            instruments += Be16(bytes, at + 22) > 0;
            EXPECT_LE(bytes[at + 25], 64); // volume
            if (Be16(bytes, at + 28) > 1) {
                EXPECT_LE(Be16(bytes, at + 26) + Be16(bytes, at + 28), Be16(bytes, at + 22));
            }
        }
        int32_t patterns = 0;
        for (int32_t i = 0; i < 128; ++i)
            patterns = std::max<int32_t>(patterns, bytes[952 + i] + 1);
        EXPECT_EQ(bytes.size(), 1084u + 1024u * patterns + sampleBytes);
        EXPECT_GE(instruments, 8); // drums, bass, harmony, melody, and more
        EXPECT_GE(bytes[950], 8);  // orders

        openmpt_module* module = OpenModule(bytes);
        ASSERT_NE(module, nullptr);
        EXPECT_EQ(openmpt_module_get_num_channels(module), 4);
        const double seconds = openmpt_module_get_duration_seconds(module);
        EXPECT_TRUE(seconds >= 60.0 && seconds <= 150.0) << seconds;

        // Render stretches across the song: each is clearly sound, none clips hard.
        const int32_t rate = 22050;
        WavSound left{rate, 1, std::vector<int16_t>(static_cast<size_t>(rate) * 4)};
        WavSound right = left;
        for (double at : {2.0, seconds * 0.4, seconds * 0.8}) {
            openmpt_module_set_position_seconds(module, at);
            const size_t got = openmpt_module_read_stereo(
                module, rate, left.samples.size(), left.samples.data(), right.samples.data());
            ASSERT_EQ(got, left.samples.size());
            EXPECT_GT(left.Level(0, got) + right.Level(0, got), 0.08 * 32768)
                << "at " << at << " s";
            size_t clipped = 0;
            for (size_t i = 0; i < got; ++i)
                clipped +=
                    std::abs(left.samples[i]) >= 32735 || std::abs(right.samples[i]) >= 32735;
            EXPECT_LT(clipped, got / 1000) << "at " << at << " s";
        }
        openmpt_module_destroy(module);
    }
}

TEST(SoundsData, EffectsAreShortMonoPcmWavsThatSound) {
    struct Expect {
        const char* name;
        double shortest, longest; // seconds
    };
    const Expect effects[] = {{"menu.wav", 0.03, 0.3},   {"crash.wav", 0.2, 1.5},
                              {"explode.wav", 0.8, 3.0}, {"three.wav", 0.2, 1.5},
                              {"two.wav", 0.2, 1.5},     {"one.wav", 0.2, 1.5},
                              {"go!.wav", 0.2, 1.5}};
    std::vector<std::vector<int16_t>> words;
    for (const Expect& e : effects) {
        SCOPED_TRACE(e.name);
        const WavSound wav = ReadWav(std::string(TARNVELL_DATA) + "/Sound/" + e.name);
        ASSERT_GT(wav.rate, 0) << "not a PCM WAV whose sizes add up";
        EXPECT_TRUE(wav.channels == 1 && wav.rate >= 11025 && wav.rate <= 48000)
            << wav.channels << " channels at " << wav.rate;
        const double seconds = static_cast<double>(wav.samples.size()) / wav.rate;
        EXPECT_TRUE(seconds >= e.shortest && seconds <= e.longest) << seconds;
        int32_t peak = 0;
        for (int16_t v : wav.samples)
            peak = std::max(peak, std::abs(int32_t{v}));
        EXPECT_TRUE(peak > 0.4 * 32768 && peak < 0.99 * 32768) << peak;
        // The sound starts at once (no leading silence) and ends quietly (no click).
        EXPECT_GT(wav.Level(0, static_cast<size_t>(wav.rate / 20)), 0.02 * 32768);
        EXPECT_LT(std::abs(wav.samples.back()), 0.01 * 32768);
        if (std::strstr("three.wav two.wav one.wav go!.wav", e.name))
            words.push_back(wav.samples);
    }
    // Four different words.
    ASSERT_EQ(words.size(), 4u);
    for (size_t a = 0; a < words.size(); ++a)
        for (size_t b = a + 1; b < words.size(); ++b)
            EXPECT_NE(words[a], words[b]);
}

namespace {

// In-place radix-2 transform of `re` and `im` (sizes a power of two).
void Transform(std::vector<float>& re, std::vector<float>& im) {
    const size_t n = re.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(re[i], re[j]), std::swap(im[i], im[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2.0 * 3.14159265358979 / static_cast<double>(length);
        for (size_t start = 0; start < n; start += length)
            for (size_t k = 0; k < length / 2; ++k) {
                const float wr = static_cast<float>(std::cos(angle * static_cast<double>(k)));
                const float wi = static_cast<float>(std::sin(angle * static_cast<double>(k)));
                const size_t a = start + k, b = a + length / 2;
                const float tr = re[b] * wr - im[b] * wi, ti = re[b] * wi + im[b] * wr;
                re[b] = re[a] - tr, im[b] = im[a] - ti;
                re[a] += tr, im[a] += ti;
            }
    }
}

struct HeldTone {
    double seconds = 0; // longest time one pitch sounded without a new attack
    double hertz = 0;
    double endsAt = 0; // seconds into the rendering
};

// The longest tone in `samples` (mono, `rate` a second): a spectral line between 150 Hz and
// 4 kHz that stays within a bin (2.7 Hz at 22 kHz) of where it began, at most 24 dB under the
// loudest line of the moment, and never falls 6 dB under the level it had reached. A plucked
// or re-struck note falls away and starts a new tone, a line that moves on to another note
// leaves its bin; a looping sample held on one note does neither.
HeldTone LongestHeldTone(const std::vector<float>& samples, int32_t rate) {
    constexpr size_t Size = 8192, Hop = 2048;
    const size_t low = 150 * Size / static_cast<size_t>(rate);
    const size_t high = 4000 * Size / static_cast<size_t>(rate);
    std::vector<float> window(Size), re(Size), im(Size), level(Size / 2), run(Size / 2, 0),
        peak(Size / 2, 0);
    for (size_t i = 0; i < Size; ++i)
        window[i] = 0.5f - 0.5f * static_cast<float>(std::cos(2 * 3.14159265358979 * i / Size));
    HeldTone longest;
    for (size_t at = 0; at + Size <= samples.size(); at += Hop) {
        for (size_t i = 0; i < Size; ++i)
            re[i] = samples[at + i] * window[i], im[i] = 0;
        Transform(re, im);
        float loudest = 0;
        for (size_t b = low - 1; b <= high + 1; ++b) {
            level[b] = std::hypot(re[b], im[b]);
            loudest = std::max(loudest, level[b]);
        }
        const float floor = std::max(loudest * 0.063f, 2.0f); // -24 dB; 2: near silence
        for (size_t b = low; b <= high; ++b) {
            const float here = std::max({level[b - 1], level[b], level[b + 1]});
            if (here < floor) {
                run[b] = 0;
            } else if (run[b] > 0 && here >= 0.5f * peak[b]) {
                run[b] += 1, peak[b] = std::max(peak[b], here);
            } else {
                run[b] = 1, peak[b] = here;
            }
            const double seconds = static_cast<double>(run[b] > 0 ? run[b] - 1 : 0) * Hop / rate;
            if (seconds > longest.seconds)
                longest = {seconds, static_cast<double>(b) * rate / Size,
                           static_cast<double>(at + Size) / rate};
        }
    }
    return longest;
}

} // namespace

// Every module played by an independent player twice through, across its loop point: no tone
// holds longer than 4 s. Checked on a made-up signal first, so the measure itself is known to
// find a held tone and to let re-struck notes pass.
TEST(SoundsData, NoModuleHoldsATone) {
    const int32_t rate = 22050;
    std::vector<float> test(static_cast<size_t>(rate) * 12);
    for (size_t i = 0; i < test.size(); ++i) {
        const double t = static_cast<double>(i) / rate, pi = 3.14159265358979;
        // A pluck struck every 0.25 s on one note; a steady line that steps a semitone up each
        // second; and a tone held from 3 s to 8 s.
        const double pluck = std::exp(-std::fmod(t, 0.25) / 0.05) * std::sin(2 * pi * 440 * t);
        const double line = std::sin(2 * pi * 262 * std::pow(2.0, std::floor(t) / 12) * t);
        const double tone = (t >= 3 && t < 8) ? std::sin(2 * pi * 829 * t) : 0.0;
        test[i] = static_cast<float>(0.3 * pluck + 0.3 * line + 0.2 * tone);
    }
    const HeldTone made = LongestHeldTone(test, rate);
    EXPECT_TRUE(std::abs(made.seconds - 5.0) <= 0.5 && std::abs(made.hertz - 829) <= 8)
        << made.seconds << " s at " << made.hertz << " Hz";

    for (const char* name : {"music.mod", "race.mod", "stem.mod"}) {
        SCOPED_TRACE(name);
        openmpt_module* module = OpenModule(ReadSoundFile(name));
        ASSERT_NE(module, nullptr);
        openmpt_module_set_repeat_count(module, 1); // through the loop point once
        std::vector<float> song, block(4096);
        for (size_t got;
             (got = openmpt_module_read_float_mono(module, rate, block.size(), block.data())) > 0;)
            song.insert(song.end(), block.begin(), block.begin() + static_cast<ptrdiff_t>(got));
        openmpt_module_destroy(module);
        EXPECT_GT(song.size(), static_cast<size_t>(rate) * 120);
        const HeldTone held = LongestHeldTone(song, rate);
        EXPECT_LE(held.seconds, 4.0) << held.hertz << " Hz until " << held.endsAt << " s";
        std::printf("%s: longest tone %.1f s at %.0f Hz\n", name, held.seconds, held.hertz);
    }
}
