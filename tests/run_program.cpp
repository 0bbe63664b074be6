// The real program run headless by the end-to-end tests, and what a run leaves behind.
#include "run_program.h"

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

int64_t ProgramRun::At(int64_t pass, const char* key) const {
    return pass >= 1 && pass <= static_cast<int64_t>(trace.size())
               ? TraceField(trace[pass - 1], key)
               : -1;
}

int64_t ProgramRun::FirstPassIn(int32_t state) const {
    for (int64_t pass = 1; pass <= static_cast<int64_t>(trace.size()); ++pass) {
        if (At(pass, "state") == state)
            return pass;
    }
    return 0;
}

ProgramRun RunProgram(const std::filesystem::path& folder, std::string arguments,
                      const std::string& script) {
    ProgramRun run;
    run.folder = folder;
    if (!script.empty())
        std::ofstream(folder / "input.txt") << script;
    for (size_t at = arguments.find("{dir}"); at != std::string::npos; at = arguments.find("{dir}"))
        arguments.replace(at, 5, folder.string());
    const std::string output = (folder / "output.txt").string();
    const std::string command =
        std::string("'") + TARNVELL_BINARY + "' " + arguments + " > '" + output + "' 2>&1";
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(output);
    run.output.assign(std::istreambuf_iterator<char>(in), {});
    run.trace = ReadLines(folder / "trace.jsonl");
    return run;
}

double TraceNumber(const std::string& line, const char* key) {
    const std::string pattern = std::string("\"") + key + "\":";
    const size_t at = line.find(pattern);
    return at == std::string::npos ? -1.0 : std::atof(line.c_str() + at + pattern.size());
}

int64_t TraceField(const std::string& line, const char* key) {
    return static_cast<int64_t>(TraceNumber(line, key)); // whole numbers, truncated as read
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> GameTgaBytes(int32_t width, int32_t height, std::vector<uint8_t> stored,
                                  std::vector<uint8_t> palette) {
    std::vector<uint8_t> bytes = {0, 1, 1, 0, 0, 0, 1, 24, 0, 0, 0, 0};
    for (int32_t v : {width, height})
        bytes.insert(bytes.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)});
    bytes.insert(bytes.end(), {8, 0});
    for (int32_t i = 0; palette.empty() && i < 256; ++i)
        bytes.insert(bytes.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                   static_cast<uint8_t>(i ^ 0x5A)});
    if (stored.empty())
        stored.assign(static_cast<size_t>(width) * height, 0);
    bytes.insert(bytes.end(), palette.begin(), palette.end());
    bytes.insert(bytes.end(), stored.begin(), stored.end());
    return bytes;
}

WavSound ReadWav(const std::filesystem::path& path) {
    const std::vector<uint8_t> b = ReadFileBytes(path);
    const auto le = [&b](size_t at, int bytes) {
        uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | b[at + i];
        return value;
    };
    WavSound wav;
    if (b.size() < 44 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0 || le(4, 4) + 8 != b.size())
        return wav;
    uint32_t format = 0, bits = 0, rate = 0, channels = 0;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = le(at + 4, 4);
        if (size > b.size() - at - 8)
            return wav;
        if (std::memcmp(&b[at], "fmt ", 4) == 0 && size >= 16) {
            format = le(at + 8, 2), channels = le(at + 10, 2), rate = le(at + 12, 4);
            bits = le(at + 22, 2);
        } else if (std::memcmp(&b[at], "data", 4) == 0) {
            if (format != 1 || (bits != 8 && bits != 16) || channels == 0)
                return wav;
            for (size_t i = at + 8; i + bits / 8 <= at + 8 + size; i += bits / 8)
                wav.samples.push_back(
                    static_cast<int16_t>(bits == 16 ? le(i, 2) : (b[i] - 128) * 256));
            wav.rate = static_cast<int32_t>(rate);
            wav.channels = static_cast<int32_t>(channels);
            return wav;
        }
        at += 8 + size + (size & 1);
    }
    return wav;
}

double WavSound::Level(size_t first, size_t last) const {
    last = std::min(last, samples.size());
    double sum = 0.0;
    for (size_t i = first; i < last; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return last > first ? std::sqrt(sum / static_cast<double>(last - first)) : 0.0;
}
