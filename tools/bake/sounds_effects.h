// The sound baker's effects: synthesised blips and bangs, and the spoken countdown.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sounds {

// 16-bit mono PCM WAV file bytes of a signal in -1 .. 1.
std::vector<uint8_t> WavBytes(const std::vector<float>& signal, uint32_t rate);
// Reads a 16-bit mono PCM WAV; false for anything else.
bool ReadWav16(const std::vector<uint8_t>& bytes, std::vector<float>& signal, uint32_t& rate);

std::vector<float> MenuBlip(uint32_t rate);
std::vector<float> CrashSound(uint32_t rate);
std::vector<float> ExplosionSound(uint32_t rate);

// Runs espeak-ng to speak `word` into `tempPath` and reads it back; false (after saying
// why) when espeak-ng is missing or fails.
bool SpeakWord(const std::string& word, const std::string& tempPath, std::vector<float>& signal,
               uint32_t& rate);
// Trims, drives and adds a short loudspeaker echo to a spoken word.
std::vector<float> PunchUpVoice(std::vector<float> signal, uint32_t rate);

} // namespace sounds
