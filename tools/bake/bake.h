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

// 8-bit colour-mapped TGA in the game's one layout (image type 1, 256 entries of 24 bits from
// index 0, 8 bits a pixel, bottom row first) from 8-bit RGB, 3 bytes a pixel, top row first.
// The palette is chosen for the game's 16-bit screen: every entry is a colour the screen can
// show exactly, so nothing shifts when the game drops the low bits. Pure black in the input
// stays pure black (the billboards' transparent colour).
bool WriteTga(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height);
// The same, ordered-dithered before choosing colours: for smooth gradients (sky, glows).
bool WriteTgaDithered(const std::string& path, const std::vector<uint8_t>& rgb, int width,
                      int height);
// A picture already in palette form: `palette` holds 256 RGB entries (768 bytes), `indices`
// one entry number a pixel, top row first.
bool WriteTgaIndexed(const std::string& path, const std::vector<uint8_t>& palette,
                     const std::vector<uint8_t>& indices, int width, int height);
// The 16-bit screen colour the game makes of an 8-bit RGB colour (low bits dropped).
inline uint16_t ScreenColour(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}
