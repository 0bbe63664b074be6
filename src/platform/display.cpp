// The emulated display memory: five device layouts, and reading a frame back as a picture.
#include "platform/display.h"

#include <array>
#include <cstring>

namespace {

struct Profile {
    const char* name;
    GXDisplayProperties properties;
    int32_t memorySize; // bytes
    int32_t origin;     // byte offset of screen pixel (0, 0)
};

// The portrait panels are 240 x 320; "rotated" is a landscape panel turned a quarter, so
// pixel (x, y) lies at origin - 640 x + 2 y; the grey panels are packed several to a byte.
constexpr std::array<Profile, 5> Profiles = {{
    {"rgb565", {240, 320, 2, 480, 16, 0}, 480 * 320, 0},
    {"rgb565-512", {240, 320, 2, 512, 16, 0}, 512 * 320, 0},
    {"rotated", {240, 320, -640, 2, 16, 0}, 640 * 240, 640 * 239},
    {"gray4", {320, 240, 160, 1, 4, 0}, 160 * 240, 0},
    {"gray2", {240, 320, 1, 60, 2, 0}, 60 * 320, 0},
}};

constexpr int32_t MaxMemory = 512 * 320;

const Profile* current = &Profiles[0];
// Whole run. 4 bytes of slack past the largest layout: the 2-bit path stores whole words.
alignas(4) uint8_t memory[MaxMemory + 4];

void PutRgb565(uint8_t* rgb, uint16_t pixel) {
    const uint32_t r = pixel >> 11, g = (pixel >> 5) & 63, b = pixel & 31;
    rgb[0] = static_cast<uint8_t>((r << 3) | (r >> 2));
    rgb[1] = static_cast<uint8_t>((g << 2) | (g >> 4));
    rgb[2] = static_cast<uint8_t>((b << 3) | (b >> 2));
}

void PutGrey(uint8_t* rgb, uint32_t level, uint32_t maxLevel) {
    const auto value = static_cast<uint8_t>(level * 255 / maxLevel);
    rgb[0] = rgb[1] = rgb[2] = value;
}

} // namespace

bool IsDisplayProfile(const std::string& name) {
    for (const Profile& profile : Profiles) {
        if (name == profile.name)
            return true;
    }
    return false;
}

bool SelectDisplayProfile(const std::string& name) {
    for (const Profile& profile : Profiles) {
        if (name == profile.name) {
            current = &profile;
            ClearDisplayMemory();
            return true;
        }
    }
    return false;
}

const GXDisplayProperties& DisplayProfileProperties() {
    return current->properties;
}
uint8_t* DisplayMemory() {
    return memory;
}
int32_t DisplayMemorySize() {
    return current->memorySize;
}
uint8_t* DisplayOrigin() {
    return memory + current->origin;
}
void ClearDisplayMemory() {
    std::memset(memory, 0, sizeof memory);
}

void DecodeDisplay(uint8_t* rgb) {
    const GXDisplayProperties& p = current->properties;
    const uint8_t* origin = DisplayOrigin();
    for (int32_t y = 0; y < 320; ++y) {
        for (int32_t x = 0; x < 240; ++x) {
            uint8_t* out = rgb + (y * 240 + x) * 3;
            if (p.cBPP == 16) {
                const uint8_t* at = origin + static_cast<intptr_t>(p.cbxPitch) * x +
                                    static_cast<intptr_t>(p.cbyPitch) * y;
                uint16_t pixel;
                std::memcpy(&pixel, at, 2);
                PutRgb565(out, pixel);
            } else if (p.cBPP == 4) {
                // Display row x runs up screen column x, two pixels a byte, bottom first.
                const int32_t k = (319 - y) / 2;
                const uint8_t byte = memory[x * 160 + k];
                PutGrey(out, (y & 1) ? byte >> 4 : byte & 15, 15);
            } else {
                const uint8_t byte = memory[y * 60 + x / 4];
                PutGrey(out, (byte >> (6 - 2 * (x & 3))) & 3, 3);
            }
        }
    }
}
