// The game's sampled effects: a menu blip, a crash, an explosion and the spoken countdown.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "sounds_effects.h"
#include "sounds_synth.h"

extern char** environ;

namespace sounds {

namespace {
constexpr double Pi = 3.14159265358979323846;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t Get16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// Scales the loudest point to `peak` (of full scale).
void Normalise(std::vector<float>& signal, float peak) {
    float loudest = 0.0f;
    for (float v : signal)
        loudest = std::max(loudest, std::fabs(v));
    if (loudest > 0.0f)
        for (float& v : signal)
            v *= peak / loudest;
}
} // namespace

std::vector<uint8_t> WavBytes(const std::vector<float>& signal, uint32_t rate) {
    std::vector<uint8_t> out;
    uint32_t dataBytes = static_cast<uint32_t>(signal.size() * 2);
    for (char c : std::string("RIFF"))
        out.push_back(static_cast<uint8_t>(c));
    Put32(out, 36 + dataBytes);
    for (char c : std::string("WAVEfmt "))
        out.push_back(static_cast<uint8_t>(c));
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, 1); // mono
    Put32(out, rate);
    Put32(out, rate * 2);
    Put16(out, 2);
    Put16(out, 16);
    for (char c : std::string("data"))
        out.push_back(static_cast<uint8_t>(c));
    Put32(out, dataBytes);
    for (float v : signal) {
        long s = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
        Put16(out, static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(s))));
    }
    return out;
}

bool ReadWav16(const std::vector<uint8_t>& bytes, std::vector<float>& signal, uint32_t& rate) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return false;
    size_t at = 12;
    bool haveFormat = false;
    while (at + 8 <= bytes.size()) {
        uint32_t size = Get32(bytes, at + 4);
        size_t body = at + 8;
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && body + 16 <= bytes.size()) {
            if (Get16(bytes, body) != 1 || Get16(bytes, body + 2) != 1 ||
                Get16(bytes, body + 14) != 16)
                return false;
            rate = Get32(bytes, body + 4);
            haveFormat = true;
        } else if (std::memcmp(bytes.data() + at, "data", 4) == 0 && haveFormat) {
            size_t end = std::min(bytes.size(), body + size);
            signal.clear();
            for (size_t i = body; i + 1 < end; i += 2)
                signal.push_back(static_cast<int16_t>(Get16(bytes, i)) / 32768.0f);
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}

std::vector<float> MenuBlip(uint32_t rate) {
    // Two quick rising tones: a soft, bright tick that never tires.
    std::vector<float> signal(static_cast<size_t>(rate * 0.09));
    for (size_t n = 0; n < signal.size(); ++n) {
        double t = static_cast<double>(n) / rate;
        double f = t < 0.035 ? 1046.5 : 1568.0;
        double local = t < 0.035 ? t : t - 0.035;
        double env = std::min(1.0, local / 0.002) * std::exp(-local / 0.018);
        double tone = std::sin(2 * Pi * f * t) + 0.25 * std::sin(2 * Pi * 2 * f * t);
        signal[n] = static_cast<float>(env * tone);
    }
    Normalise(signal, 0.5f);
    return signal;
}

std::vector<float> CrashSound(uint32_t rate) {
    // Two hulls meeting: a dull thud, a scrape of noise and a ringing metallic clang.
    std::vector<float> signal(static_cast<size_t>(rate * 0.7));
    Noise noise(0xc0ffeeu);
    const double partials[6] = {523.0, 1247.0, 1873.0, 2719.0, 3967.0, 5311.0};
    const double decays[6] = {0.30, 0.22, 0.18, 0.12, 0.09, 0.06};
    float band = 0.0f, low = 0.0f;
    for (size_t n = 0; n < signal.size(); ++n) {
        double t = static_cast<double>(n) / rate;
        double thud = std::sin(2 * Pi * (80.0 * t + 40.0 * 0.03 * (1 - std::exp(-t / 0.03)))) *
                      std::exp(-t / 0.07);
        // A resonant band of noise around 1.5 kHz for the scrape.
        float x = noise.Next();
        float g = 0.4f;
        float high = x - low - 0.5f * band;
        band += g * high;
        low += g * band;
        double scrape = band * std::exp(-t / 0.12);
        double metal = 0.0;
        for (int i = 0; i < 6; ++i)
            metal += std::sin(2 * Pi * partials[i] * t) * std::exp(-t / decays[i]);
        double attack = std::min(1.0, t / 0.001);
        signal[n] = static_cast<float>(attack * (1.1 * thud + 0.8 * scrape + 0.35 * metal));
    }
    Normalise(signal, 0.8f);
    return signal;
}

std::vector<float> ExplosionSound(uint32_t rate) {
    // A crack, a deep thump and a long rumble that darkens as it dies away, with debris.
    std::vector<float> signal(static_cast<size_t>(rate * 2.0));
    Noise noise(0xb00au);
    Noise debris(0xde6e15u);
    float rumble = 0.0f, rumble2 = 0.0f;
    double phase = 0.0;
    for (size_t n = 0; n < signal.size(); ++n) {
        double t = static_cast<double>(n) / rate;
        float x = noise.Next();
        double cutoff = 150.0 + 2800.0 * std::exp(-t / 0.18);
        float g = static_cast<float>(1.0 - std::exp(-2 * Pi * cutoff / rate));
        rumble += g * (x - rumble);
        rumble2 += g * (rumble - rumble2);
        phase += (34.0 + 50.0 * std::exp(-t / 0.08)) / rate;
        double thump = std::sin(2 * Pi * phase) * std::exp(-t / 0.25);
        double crack = x * std::exp(-t / 0.012);
        double env =
            std::min(1.0, t / 0.004) * (0.6 * std::exp(-t / 0.5) + 0.4 * std::exp(-t / 0.15));
        double pops = 0.0;
        float d = debris.Next();
        if (t > 0.15 && d > 0.9994f)
            pops = 0.5 * std::exp(-(t - 0.15) / 0.6);
        signal[n] = static_cast<float>(0.9 * crack + 1.2 * thump + 2.2 * env * rumble2 + pops);
    }
    // Each pop rings briefly rather than clicking.
    float state = 0.0f;
    for (float& v : signal) {
        state += 0.5f * (v - state);
        v = state;
    }
    for (float& v : signal)
        v = static_cast<float>(std::tanh(1.5 * v));
    Normalise(signal, 0.85f);
    // Fade the tail to true silence.
    size_t fade = static_cast<size_t>(rate * 0.1);
    for (size_t i = 0; i < fade; ++i)
        signal[signal.size() - 1 - i] *= static_cast<float>(i) / fade;
    return signal;
}

bool SpeakWord(const std::string& word, const std::string& tempPath, std::vector<float>& signal,
               uint32_t& rate) {
    // A deep, slow announcer: low pitch, a little slower than normal speech.
    std::string wordCopy = word;
    std::string path = tempPath;
    std::remove(tempPath.c_str());
    char program[] = "espeak-ng";
    char voiceFlag[] = "-v", voice[] = "en-us+m3";
    char pitchFlag[] = "-p", pitch[] = "28";
    char speedFlag[] = "-s", speed[] = "135";
    char ampFlag[] = "-a", amp[] = "180";
    char fileFlag[] = "-w";
    char* argv[] = {program, voiceFlag, voice,    pitchFlag,   pitch,           speedFlag, speed,
                    ampFlag, amp,       fileFlag, path.data(), wordCopy.data(), nullptr};
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, program, nullptr, nullptr, argv, environ);
    if (spawned != 0) {
        std::fprintf(
            stderr,
            "tarnvell_bake: cannot run espeak-ng (%s); install it: apt-get install espeak-ng\n",
            std::strerror(spawned));
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "tarnvell_bake: espeak-ng failed to speak \"%s\"\n", word.c_str());
        return false;
    }
    std::ifstream in(tempPath, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    std::remove(tempPath.c_str());
    if (!ReadWav16(bytes, signal, rate) || signal.empty()) {
        std::fprintf(stderr, "tarnvell_bake: espeak-ng wrote no usable sound for \"%s\"\n",
                     word.c_str());
        return false;
    }
    return true;
}

std::vector<float> PunchUpVoice(std::vector<float> signal, uint32_t rate) {
    // Trim the silence around the word, so it sounds the moment it is played.
    float loudest = 0.0f;
    for (float v : signal)
        loudest = std::max(loudest, std::fabs(v));
    float gate = loudest * 0.02f;
    size_t first = 0, last = signal.size();
    while (first < signal.size() && std::fabs(signal[first]) < gate)
        ++first;
    while (last > first && std::fabs(signal[last - 1]) < gate)
        --last;
    size_t lead = std::min(first, static_cast<size_t>(rate * 0.005));
    std::vector<float> word(signal.begin() + static_cast<long>(first - lead),
                            signal.begin() + static_cast<long>(last));
    // Some drive for presence, then a short slap-back so it sounds like a loudspeaker.
    Normalise(word, 1.0f);
    for (float& v : word)
        v = static_cast<float>(std::tanh(2.2 * v) / std::tanh(2.2));
    size_t delay = static_cast<size_t>(rate * 0.07);
    size_t tail = static_cast<size_t>(rate * 0.25);
    std::vector<float> out(word.size() + tail, 0.0f);
    for (size_t i = 0; i < word.size(); ++i) {
        out[i] += word[i];
        if (i + delay < out.size())
            out[i + delay] += 0.22f * word[i];
        if (i + 2 * delay < out.size())
            out[i + 2 * delay] += 0.08f * word[i];
    }
    // Fade the end of the echo to silence.
    size_t fade = std::min(out.size(), static_cast<size_t>(rate * 0.05));
    for (size_t i = 0; i < fade; ++i)
        out[out.size() - 1 - i] *= static_cast<float>(i) / fade;
    Normalise(out, 0.9f);
    return out;
}

} // namespace sounds
