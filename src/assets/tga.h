// The picture loader: 8-bit colour-mapped TGA files into RGB565 pictures.
#pragma once
#include <cstdint>
#include <string>

// The one file layout the game's pictures use (byte offsets from the start of the file).
constexpr int32_t TgaHeaderBytes = 18;     // header, checked against the layout below
constexpr int32_t TgaColourMapBytes = 768; // 256 entries of blue, green, red
constexpr int32_t TgaPixelOffset = 786;    // one colour index a pixel, bottom row first

// The screen colour of a colour-map entry: the low bits are dropped, not rounded.
constexpr uint16_t TgaColour(uint8_t blue, uint8_t green, uint8_t red) {
    return static_cast<uint16_t>(((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3));
}

// Reads `path` (UTF-8 bytes) as a width x height picture into `destination` (width x height
// RGB565 pixels, top row first, owned by the caller). The file must be an uncompressed
// colour-mapped TGA (image type 1, no image ID, 256 colour-map entries of 24 bits from index 0,
// 8 bits a pixel, bottom row first) of exactly this width and height.
// Returns 1 when the picture was read; a short file of that kind fills what it holds and the
// rest of the picture is black. Returns 0, leaving `destination` untouched, when the file
// cannot be opened or is of any other kind. Allocates nothing: safe during menus and races.
int32_t LoadTgaPicture(const char* path, int32_t width, int32_t height, uint16_t* destination);
inline int32_t LoadTgaPicture(const std::string& path, int32_t width, int32_t height,
                              uint16_t* destination) {
    return LoadTgaPicture(path.c_str(), width, height, destination);
}
