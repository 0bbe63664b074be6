// The real program run headless by the end-to-end tests, and what a run leaves behind.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The arguments of a headless run over the baked data.
#define BAKED_RUN "--headless --data '" TARNVELL_DATA "' "

struct ProgramRun {
    std::filesystem::path folder;
    int exitCode = -1;              // -1: ended by a signal
    std::string output;             // standard output and standard error
    std::vector<std::string> trace; // the folder's trace.jsonl, one line a pass

    // A field of the trace line of `pass` (counted from 1); -1 when there is none.
    int64_t At(int64_t pass, const char* key) const;
    // The first pass whose trace line shows `state`; 0 when none does.
    int64_t FirstPassIn(int32_t state) const;
    std::filesystem::path File(const std::string& name) const { return folder / name; }
};

// Runs the built program with `arguments` in `folder`, which names the folder's files as
// {dir}/name. A `script` that is not empty is written to {dir}/input.txt first.
ProgramRun RunProgram(const std::filesystem::path& folder, std::string arguments,
                      const std::string& script = "");

// The number after "key": in a trace line; -1 when the line has no such field. The first
// match wins, so a ship field finds ship 0's.
double TraceNumber(const std::string& line, const char* key);
int64_t TraceField(const std::string& line, const char* key);

std::vector<std::string> ReadLines(const std::filesystem::path& path);
std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
bool WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
std::string ReadText(const std::filesystem::path& path);

// A picture in the game's TGA layout: a colour map of 256 (blue, green, red) entries, then one
// index a pixel, the bottom row first. An empty `palette` gives entry i (i, 255 - i, i ^ 0x5A);
// empty `stored` indices are all 0.
std::vector<uint8_t> GameTgaBytes(int32_t width, int32_t height, std::vector<uint8_t> stored = {},
                                  std::vector<uint8_t> palette = {});

// A PCM WAV file of 8 or 16 bits, its samples interleaved as 16-bit values (8-bit ones moved
// up). The RIFF size must be the file's and every chunk inside it.
struct WavSound {
    int32_t rate = 0; // 0 when the file is not such a WAV
    int32_t channels = 0;
    std::vector<int16_t> samples;
    // Root-mean-square level of samples [first, last), clipped to what there is; 0 when empty.
    double Level(size_t first, size_t last) const;
};
WavSound ReadWav(const std::filesystem::path& path);
