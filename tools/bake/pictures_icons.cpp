// Program icons (icons/tarnvell-N.png): a racing ship over mountains at dusk, in a rounded
// square, drawn afresh at each size so that even 16 pixels reads.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "bake.h"
#include "pictures_art.h"

namespace {

struct Point {
    float x, y;
};

// Height of a ridge line (y grows downward) at x, through points sorted by x.
float Ridge(const Point* points, int count, float x) {
    for (int i = 0; i + 1 < count; ++i)
        if (x <= points[i + 1].x) {
            float t = (x - points[i].x) / (points[i + 1].x - points[i].x);
            return points[i].y + (points[i + 1].y - points[i].y) * t;
        }
    return points[count - 1].y;
}

bool InTriangle(Point p, Point a, Point b, Point c) {
    auto side = [](Point p, Point a, Point b) {
        return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    };
    float d1 = side(p, a, b), d2 = side(p, b, c), d3 = side(p, c, a);
    bool negative = d1 < 0 || d2 < 0 || d3<0, positive = d1> 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

const Point BackRange[] = {{0.0f, 0.64f},  {0.16f, 0.50f}, {0.32f, 0.62f}, {0.52f, 0.42f},
                           {0.72f, 0.60f}, {0.88f, 0.50f}, {1.0f, 0.60f}};
const Point FrontRange[] = {{0.0f, 0.80f},  {0.22f, 0.66f}, {0.44f, 0.82f},
                            {0.64f, 0.70f}, {0.84f, 0.82f}, {1.0f, 0.74f}};

// The icon's colour at a point of the unit square, or alpha 0 outside the rounded square.
Colour IconColour(float x, float y, int size, float& alpha) {
    float inset = 0.5f / size; // keep the rim inside the pixel grid
    float radius = 0.2f;
    float qx = std::fabs(x - 0.5f) - (0.5f - inset - radius),
          qy = std::fabs(y - 0.5f) - (0.5f - inset - radius);
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) +
                    std::min(std::max(qx, qy), 0.0f) - radius;
    alpha = outside <= 0 ? 1.0f : 0.0f;
    // Dusk sky.
    Colour c =
        Mix(Colour{0.08f, 0.12f, 0.36f}, Colour{0.98f, 0.55f, 0.25f}, SmoothStep(0.1f, 0.62f, y));
    // The mountains: a hazy far range with snow on its peaks, a dark near range.
    float back = Ridge(BackRange, 7, x), front = Ridge(FrontRange, 6, x);
    if (y > back) {
        c = Mix(Colour{0.36f, 0.26f, 0.52f}, Colour{0.22f, 0.16f, 0.36f}, Clamp01((y - back) * 4));
        if (y < 0.545f)
            c = Colour{0.95f, 0.92f, 1.0f}; // the snow line
    }
    if (y > front)
        c = Mix(Colour{0.12f, 0.10f, 0.22f}, Colour{0.05f, 0.05f, 0.12f}, Clamp01((y - front) * 5));
    // The ship: a dart climbing away to the upper right, its engine glowing.
    float angle = 0.55f, ca = std::cos(angle), sa = std::sin(angle);
    float dx = (x - 0.48f) / 0.85f, dy = (y - 0.42f) / 0.85f;
    float lx = dx * ca + dy * sa; // the ship's own axes: +lx its right wing, +ly its nose
    float ly = dx * sa - dy * ca;
    Point p{lx, ly};
    Point nose{0, 0.32f}, leftTip{-0.28f, -0.16f}, rightTip{0.28f, -0.16f}, notch{0, -0.05f};
    bool hull = InTriangle(p, nose, leftTip, notch) || InTriangle(p, nose, notch, rightTip);
    float glow = std::hypot(lx, ly + 0.07f);
    if (glow < 0.09f)
        c = Mix(c, Colour{1.0f, 0.85f, 0.45f}, SmoothStep(0.09f, 0.03f, glow));
    if (hull) {
        // Lit from the left: the left half bright, the right half steel, a red stripe down the
        // spine.
        c = lx < 0 ? Colour{0.96f, 0.97f, 1.0f} : Colour{0.62f, 0.68f, 0.80f};
        if (std::fabs(lx) < 0.035f && ly > -0.02f)
            c = Colour{0.90f, 0.12f, 0.10f};
        if (ly > 0.10f && std::fabs(lx) < 0.045f && ly < 0.20f && size >= 48)
            c = Colour{0.15f, 0.35f, 0.70f};
    }
    // A thin bright rim around the square.
    if (outside > -1.5f / size && outside <= 0)
        c = Mix(c, Colour{0.9f, 0.9f, 1.0f}, 0.35f);
    return c;
}

bool WritePngRgba(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                  int height) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), width * 4, nullptr)) {
        std::fprintf(stderr, "tarnvell_bake: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

bool BakeIcons(const std::string& iconDir, const std::string& preview) {
    bool ok = true;
    // 512 is for phones' home screens and app stores; the preview shows the sizes up to 256.
    const int Sizes[] = {16, 32, 48, 64, 128, 256, 512};
    std::vector<uint8_t> strip; // sizes side by side on grey, for the preview
    int stripWidth = 16 + 32 + 48 + 64 + 128 + 256 + 7 * 8, stripHeight = 256 + 16;
    strip.assign(static_cast<size_t>(stripWidth) * stripHeight * 3, 96);
    int placeX = 8;
    for (int size : Sizes) {
        std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
        constexpr int Samples = 6;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                Colour sum{0, 0, 0};
                float cover = 0;
                for (int s = 0; s < Samples * Samples; ++s) {
                    float px = (x + (s % Samples + 0.5f) / Samples) / size;
                    float py = (y + (s / Samples + 0.5f) / Samples) / size;
                    float alpha;
                    Colour c = IconColour(px, py, size, alpha);
                    sum = Add(sum, Scale(c, alpha));
                    cover += alpha;
                }
                size_t o = (static_cast<size_t>(y) * size + x) * 4;
                Colour c = cover > 0 ? Scale(sum, 1.0f / cover) : Colour{0, 0, 0};
                rgba[o] = static_cast<uint8_t>(std::lround(Clamp01(c.r) * 255));
                rgba[o + 1] = static_cast<uint8_t>(std::lround(Clamp01(c.g) * 255));
                rgba[o + 2] = static_cast<uint8_t>(std::lround(Clamp01(c.b) * 255));
                rgba[o + 3] = static_cast<uint8_t>(std::lround(cover / (Samples * Samples) * 255));
                float a = cover / (Samples * Samples);
                for (int ch = 0; ch < 3 && size <= 256; ++ch) {
                    size_t t = (static_cast<size_t>(y + 8) * stripWidth + placeX + x) * 3 + ch;
                    strip[t] = static_cast<uint8_t>(std::lround(rgba[o + ch] * a + 96 * (1 - a)));
                }
            }
        ok =
            WritePngRgba(iconDir + "tarnvell-" + std::to_string(size) + ".png", rgba, size, size) &&
            ok;
        if (size <= 256)
            placeX += size + 8;
    }
    if (ok && !preview.empty())
        ok = WritePng(preview + "icons.png", strip, stripWidth, stripHeight);
    return ok;
}
