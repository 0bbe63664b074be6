// The data baker's parts: each writes its share of the data folder, deterministically.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// `dir` is the data folder (holding Map/, Graph/, Sound/, each ending in '/').
// `preview` is empty, or a folder for PNG previews a person can look at.
// Each returns false (after saying why on standard error) when it could not write a file.
bool BakeMaps(const std::string& dir, const std::string& preview);     // Map/map1-5.raw
bool BakePictures(const std::string& dir, const std::string& preview); // Graph/ pictures, fonts
bool BakeModel(const std::string& dir, const std::string& preview);    // Graph/plane1.md2, .tga
bool BakeSounds(const std::string& dir, const std::string& preview);   // Sound/ modules, effects

// Shared writers.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// 8-bit RGB picture, 3 bytes a pixel, top row first.
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height);
