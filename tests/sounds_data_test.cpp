// The baked Sound/ folder, checked by an independent player: modules are music, effects are sane.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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
const auto Le16 = [](const Bytes& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); };
const auto Le32 = [](const Bytes& b, size_t at) {
    return Le16(b, at) | uint32_t(Le16(b, at + 2)) << 16;
};

double Rms(const std::vector<float>& v, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to && i < v.size(); ++i)
        sum += static_cast<double>(v[i]) * v[i];
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

struct Wav {
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t rate = 0;
    std::vector<float> samples; // -1 .. 1
};

bool ParseWav(const Bytes& b, Wav& wav) {
    if (b.size() < 44 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0 || Le32(b, 4) + 8 != b.size())
        return false;
    for (size_t at = 12; at + 8 <= b.size();) {
        uint32_t size = Le32(b, at + 4);
        if (at + 8 + size > b.size())
            return false;
        if (std::memcmp(&b[at], "fmt ", 4) == 0) {
            wav.format = Le16(b, at + 8);
            wav.channels = Le16(b, at + 10);
            wav.rate = Le32(b, at + 12);
            wav.bits = Le16(b, at + 22);
        } else if (std::memcmp(&b[at], "data", 4) == 0) {
            for (size_t i = at + 8; i < at + 8 + size; i += wav.bits / 8) {
                wav.samples.push_back(wav.bits == 16 ? static_cast<int16_t>(Le16(b, i)) / 32768.0f
                                                     : (b[i] - 128) / 128.0f);
            }
            return wav.format == 1 && (wav.bits == 8 || wav.bits == 16);
        }
        at += 8 + size + (size & 1);
    }
    return false;
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

        int error = 0;
        openmpt_module* module =
            openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                               nullptr, nullptr, &error, nullptr, nullptr);
        ASSERT_NE(module, nullptr);
        EXPECT_EQ(openmpt_module_get_num_channels(module), 4);
        const double seconds = openmpt_module_get_duration_seconds(module);
        EXPECT_TRUE(seconds >= 60.0 && seconds <= 150.0) << seconds;

        // Render stretches across the song: each is clearly sound, none clips hard.
        const int32_t rate = 22050;
        std::vector<float> left(static_cast<size_t>(rate) * 4), right(left.size());
        for (double at : {2.0, seconds * 0.4, seconds * 0.8}) {
            openmpt_module_set_position_seconds(module, at);
            size_t got = openmpt_module_read_float_stereo(module, rate, left.size(), left.data(),
                                                          right.data());
            ASSERT_EQ(got, left.size());
            EXPECT_GT(Rms(left, 0, got) + Rms(right, 0, got), 0.08) << "at " << at << " s";
            size_t clipped = 0;
            for (size_t i = 0; i < got; ++i)
                clipped += std::fabs(left[i]) >= 0.999f || std::fabs(right[i]) >= 0.999f;
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
    std::vector<std::vector<float>> words;
    for (const Expect& e : effects) {
        SCOPED_TRACE(e.name);
        Wav wav;
        ASSERT_TRUE(ParseWav(ReadSoundFile(e.name), wav));
        EXPECT_EQ(wav.channels, 1);
        EXPECT_TRUE(wav.rate >= 11025u && wav.rate <= 48000u) << wav.rate;
        const double seconds = static_cast<double>(wav.samples.size()) / wav.rate;
        EXPECT_TRUE(seconds >= e.shortest && seconds <= e.longest) << seconds;
        float peak = 0.0f;
        for (float v : wav.samples)
            peak = std::max(peak, std::fabs(v));
        EXPECT_TRUE(peak > 0.4f && peak < 0.99f) << peak;
        // The sound starts at once (no leading silence) and ends quietly (no click).
        EXPECT_GT(Rms(wav.samples, 0, wav.rate / 20), 0.02);
        EXPECT_LT(std::fabs(wav.samples.back()), 0.01f);
        if (std::strstr("three.wav two.wav one.wav go!.wav", e.name))
            words.push_back(wav.samples);
    }
    // Four different words.
    ASSERT_EQ(words.size(), 4u);
    for (size_t a = 0; a < words.size(); ++a)
        for (size_t b = a + 1; b < words.size(); ++b)
            EXPECT_NE(words[a], words[b]);
}
