// Painting kit of the picture baker: a float canvas, seamless noise and colour helpers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Linear RGB colour, each channel 0..1.
struct Colour {
    float r, g, b;
};

Colour Mix(Colour a, Colour b, float t);
Colour Scale(Colour a, float k);
Colour Add(Colour a, Colour b);
float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float v);

// A picture being painted: width x height colours, top row first.
struct Canvas {
    int width = 0, height = 0;
    std::vector<Colour> pixels;
    Canvas(int w, int h, Colour fill = {0, 0, 0});
    Colour& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    Colour At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // 8-bit RGB, 3 bytes a pixel, rounded.
    std::vector<uint8_t> Bytes() const;
};

// Seamless noise over the unit square: every function repeats when u or v grows by 1.
// `cells` is the lattice size across one repeat (a whole number, so the wrap is exact);
// `seed` picks an independent field.
float GradientNoise(float u, float v, int cells, uint32_t seed);                // about -1..1
float Fbm(float u, float v, int cells, int octaves, float gain, uint32_t seed); // about -1..1
float Ridged(float u, float v, int cells, int octaves, uint32_t seed); // 0..1, sharp crests
struct CellDistance {
    float f1, f2; // distances to the nearest and second-nearest feature point, in lattice units
    uint32_t id;  // identity of the nearest feature's lattice cell
};
CellDistance Cellular(float u, float v, int cells, uint32_t seed, float jitter = 1.0f);
uint32_t Hash(uint32_t a, uint32_t b, uint32_t c);
float HashUnit(uint32_t a, uint32_t b, uint32_t c); // 0..1

// Fills the canvas by calling paint(u, v) for every pixel centre, u and v in 0..1.
template <typename Paint> void PaintCanvas(Canvas& canvas, Paint paint) {
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
            canvas.At(x, y) = paint((x + 0.5f) / canvas.width, (y + 0.5f) / canvas.height);
}

// Reads a written TGA back as the game would show it (16-bit colours widened to 8 bits) for a
// preview, enlarged `zoom` times.
bool PreviewTga(const std::string& tgaPath, const std::string& pngPath, int width, int height,
                int zoom);
// Decodes a game-layout TGA into 8-bit RGB as the game shows it. False if the file is short.
bool ReadTgaScreen(const std::string& path, int width, int height, std::vector<uint8_t>& rgb);

// The parts of the picture set.
bool BakeTiles(const std::string& graph, const std::string& preview);
bool BakeSky(const std::string& graph, const std::string& preview);
bool BakeExplosion(const std::string& graph, const std::string& preview);
bool BakePanelPictures(const std::string& graph, const std::string& preview);
bool BakeIcons(const std::string& iconDir, const std::string& preview);
bool BakeSheetFont(const std::string& graph, const std::string& preview);
bool BakeSmallFont(const std::string& graph, const std::string& preview);

// Big lettering from the baker's TrueType font, for the logo and the panel: an 8-bit coverage
// mask (0..1), width x height, of `text` on an em of pixelWidth x pixelHeight with its baseline
// at `baseline`, horizontally centred on `centreX`, slanted forward by `slant` (x per y), with
// `tracking` extra pixels between letters.
bool RenderText(const std::string& text, int pixelWidth, int pixelHeight, float centreX,
                int baseline, float slant, float tracking, int width, int height,
                std::vector<float>& coverage);
