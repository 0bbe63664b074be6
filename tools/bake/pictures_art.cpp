// Painting kit of the picture baker: colour helpers, seamless noise, TGA read-back for previews.
#include "pictures_art.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "bake.h"

Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Colour Scale(Colour a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
Colour Add(Colour a, Colour b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
float Clamp01(float v) {
    return v < 0 ? 0 : v > 1 ? 1 : v;
}
float SmoothStep(float edge0, float edge1, float v) {
    float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

Canvas::Canvas(int w, int h, Colour fill)
    : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

std::vector<uint8_t> Canvas::Bytes() const {
    std::vector<uint8_t> bytes(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
        bytes[i * 3] = static_cast<uint8_t>(std::lround(Clamp01(pixels[i].r) * 255));
        bytes[i * 3 + 1] = static_cast<uint8_t>(std::lround(Clamp01(pixels[i].g) * 255));
        bytes[i * 3 + 2] = static_cast<uint8_t>(std::lround(Clamp01(pixels[i].b) * 255));
    }
    return bytes;
}

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h =
        a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float HashUnit(uint32_t a, uint32_t b, uint32_t c) {
    return static_cast<float>(Hash(a, b, c) >> 8) / 16777216.0f;
}

namespace {

uint32_t Wrap(int i, int cells) {
    int m = i % cells;
    return static_cast<uint32_t>(m < 0 ? m + cells : m);
}

float Fade(float t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

float Corner(int ix, int iy, int cells, uint32_t seed, float dx, float dy) {
    uint32_t h = Hash(Wrap(ix, cells), Wrap(iy, cells), seed);
    float angle = static_cast<float>(h & 0xFFFF) / 65536.0f * 6.2831853f;
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

} // namespace

float GradientNoise(float u, float v, int cells, uint32_t seed) {
    float x = u * cells, y = v * cells;
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float dx = x - fx, dy = y - fy;
    float n00 = Corner(ix, iy, cells, seed, dx, dy);
    float n10 = Corner(ix + 1, iy, cells, seed, dx - 1, dy);
    float n01 = Corner(ix, iy + 1, cells, seed, dx, dy - 1);
    float n11 = Corner(ix + 1, iy + 1, cells, seed, dx - 1, dy - 1);
    float sx = Fade(dx), sy = Fade(dy);
    float top = n00 + (n10 - n00) * sx, bottom = n01 + (n11 - n01) * sx;
    return (top + (bottom - top) * sy) * 1.41f;
}

float Fbm(float u, float v, int cells, int octaves, float gain, uint32_t seed) {
    float sum = 0, amplitude = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * GradientNoise(u, v, cells << i, seed + static_cast<uint32_t>(i) * 101);
        norm += amplitude;
        amplitude *= gain;
    }
    return sum / norm;
}

float Ridged(float u, float v, int cells, int octaves, uint32_t seed) {
    float sum = 0, amplitude = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        float n =
            1 - std::fabs(GradientNoise(u, v, cells << i, seed + static_cast<uint32_t>(i) * 77));
        sum += amplitude * n * n;
        norm += amplitude;
        amplitude *= 0.5f;
    }
    return sum / norm;
}

CellDistance Cellular(float u, float v, int cells, uint32_t seed, float jitter) {
    float x = u * cells, y = v * cells;
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    CellDistance result{1e9f, 1e9f, 0};
    for (int oy = -2; oy <= 2; ++oy)
        for (int ox = -2; ox <= 2; ++ox) {
            int cx = ix + ox, cy = iy + oy;
            uint32_t wx = Wrap(cx, cells), wy = Wrap(cy, cells);
            float px = cx + 0.5f + (HashUnit(wx, wy, seed) - 0.5f) * jitter;
            float py = cy + 0.5f + (HashUnit(wx, wy, seed + 1) - 0.5f) * jitter;
            float d = std::hypot(px - x, py - y);
            if (d < result.f1) {
                result.f2 = result.f1;
                result.f1 = d;
                result.id = Hash(wx, wy, seed + 2);
            } else if (d < result.f2) {
                result.f2 = d;
            }
        }
    return result;
}

bool ReadTgaScreen(const std::string& path, int width, int height, std::vector<uint8_t>& rgb) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    size_t pixels = static_cast<size_t>(width) * height;
    std::vector<uint8_t> bytes(786 + pixels);
    size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (got != bytes.size())
        return false;
    rgb.assign(pixels * 3, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            size_t index = bytes[786 + static_cast<size_t>(height - 1 - y) * width + x];
            uint16_t c =
                ScreenColour(bytes[20 + index * 3], bytes[19 + index * 3], bytes[18 + index * 3]);
            size_t o = (static_cast<size_t>(y) * width + x) * 3;
            rgb[o] = static_cast<uint8_t>(((c >> 11) << 3) | (c >> 13));
            rgb[o + 1] = static_cast<uint8_t>((((c >> 5) & 63) << 2) | (((c >> 5) & 63) >> 4));
            rgb[o + 2] = static_cast<uint8_t>(((c & 31) << 3) | ((c & 31) >> 2));
        }
    return true;
}

bool PreviewTga(const std::string& tgaPath, const std::string& pngPath, int width, int height,
                int zoom) {
    std::vector<uint8_t> rgb;
    if (!ReadTgaScreen(tgaPath, width, height, rgb)) {
        std::fprintf(stderr, "tarnvell_bake: cannot read back %s\n", tgaPath.c_str());
        return false;
    }
    std::vector<uint8_t> big(rgb.size() * zoom * zoom);
    int bigWidth = width * zoom;
    for (int y = 0; y < height * zoom; ++y)
        for (int x = 0; x < bigWidth; ++x)
            for (int ch = 0; ch < 3; ++ch)
                big[(static_cast<size_t>(y) * bigWidth + x) * 3 + ch] =
                    rgb[(static_cast<size_t>(y / zoom) * width + x / zoom) * 3 + ch];
    return WritePng(pngPath, big, bigWidth, height * zoom);
}
