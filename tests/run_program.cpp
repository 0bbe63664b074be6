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
    const std::string pattern = std::string("\"") + key + "\":";
    const size_t at = line.find(pattern);
    return at == std::string::npos ? -1
                                   : std::strtoll(line.c_str() + at + pattern.size(), nullptr, 10);
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

WavSound ReadWav(const std::filesystem::path& path) {
    const std::vector<uint8_t> b = ReadFileBytes(path);
    WavSound wav;
    uint16_t channels = 0, bits = 0;
    if (b.size() < 44 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 36, "data", 4) != 0)
        return wav;
    std::memcpy(&channels, b.data() + 22, 2);
    std::memcpy(&bits, b.data() + 34, 2);
    if (bits != 16)
        return wav;
    wav.channels = channels;
    std::memcpy(&wav.rate, b.data() + 24, 4);
    wav.samples.resize((b.size() - 44) / 2);
    std::memcpy(wav.samples.data(), b.data() + 44, wav.samples.size() * 2);
    return wav;
}

double WavSound::Level(size_t first, size_t last) const {
    last = std::min(last, samples.size());
    double sum = 0.0;
    for (size_t i = first; i < last; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return last > first ? std::sqrt(sum / static_cast<double>(last - first)) : 0.0;
}
