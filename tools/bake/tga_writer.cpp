// Palette TGA writer: median-cut quantiser in the game's 16-bit colour space, refined by a few
// k-means passes, nearest-colour mapping, optional ordered dithering.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "bake.h"

namespace {

// One distinct 16-bit screen colour of the picture and how many pixels have it.
struct ColourCount {
    uint16_t colour; // RGB565
    uint32_t count;
};

// Channels of an RGB565 value widened back to 8 bits the way the screen shows them.
int Red8(uint16_t c) {
    return ((c >> 11) << 3) | ((c >> 11) >> 2);
}
int Green8(uint16_t c) {
    return (((c >> 5) & 63) << 2) | (((c >> 5) & 63) >> 4);
}
int Blue8(uint16_t c) {
    return ((c & 31) << 3) | ((c & 31) >> 2);
}
int Channel8(uint16_t c, int channel) {
    return channel == 0 ? Red8(c) : channel == 1 ? Green8(c) : Blue8(c);
}

// Nearest screen colour to an 8-bit colour (rounded, not truncated, so the palette is fair).
uint16_t Round565(int r, int g, int b) {
    auto level = [](int v, int top) { return (std::clamp(v, 0, 255) * top + 127) / 255; };
    return static_cast<uint16_t>((level(r, 31) << 11) | (level(g, 63) << 5) | level(b, 31));
}

// Perceptual weights: the eye is most sensitive to green, least to blue.
int64_t Distance(uint16_t a, uint16_t b) {
    int64_t dr = Red8(a) - Red8(b), dg = Green8(a) - Green8(b), db = Blue8(a) - Blue8(b);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

// A box of the median cut: a run of the colour list.
struct Box {
    size_t begin, end;
    double error; // count-weighted squared spread, the reason to split it next
    int channel;  // channel of the largest spread
};

Box MeasureBox(const std::vector<ColourCount>& colours, size_t begin, size_t end) {
    Box box{begin, end, 0.0, 0};
    double total = 0, sum[3] = {0, 0, 0}, square[3] = {0, 0, 0};
    for (size_t i = begin; i < end; ++i) {
        double n = colours[i].count;
        total += n;
        for (int ch = 0; ch < 3; ++ch) {
            double v = Channel8(colours[i].colour, ch);
            sum[ch] += n * v;
            square[ch] += n * v * v;
        }
    }
    static const double Weight[3] = {3, 4, 2};
    double best = -1;
    for (int ch = 0; ch < 3; ++ch) {
        double spread = Weight[ch] * (square[ch] - sum[ch] * sum[ch] / total);
        box.error += spread;
        if (spread > best)
            best = spread, box.channel = ch;
    }
    if (end - begin < 2)
        box.error = -1;
    return box;
}

// Chooses at most `slots` screen colours for the counted colours.
std::vector<uint16_t> MedianCut(std::vector<ColourCount> colours, size_t slots) {
    std::vector<uint16_t> palette;
    if (colours.size() <= slots) {
        for (const ColourCount& c : colours)
            palette.push_back(c.colour);
        return palette;
    }
    std::vector<Box> boxes{MeasureBox(colours, 0, colours.size())};
    while (boxes.size() < slots) {
        auto worst = std::max_element(boxes.begin(), boxes.end(),
                                      [](const Box& a, const Box& b) { return a.error < b.error; });
        if (worst->error <= 0)
            break;
        Box box = *worst;
        int ch = box.channel;
        std::stable_sort(colours.begin() + static_cast<std::ptrdiff_t>(box.begin),
                         colours.begin() + static_cast<std::ptrdiff_t>(box.end),
                         [ch](const ColourCount& a, const ColourCount& b) {
                             return Channel8(a.colour, ch) < Channel8(b.colour, ch);
                         });
        uint64_t total = 0, running = 0;
        for (size_t i = box.begin; i < box.end; ++i)
            total += colours[i].count;
        size_t cut = box.begin + 1;
        for (size_t i = box.begin; i + 1 < box.end; ++i) {
            running += colours[i].count;
            cut = i + 1;
            if (running * 2 >= total)
                break;
        }
        *worst = MeasureBox(colours, box.begin, cut);
        boxes.push_back(MeasureBox(colours, cut, box.end));
    }
    for (const Box& box : boxes) {
        double total = 0, sum[3] = {0, 0, 0};
        for (size_t i = box.begin; i < box.end; ++i) {
            total += colours[i].count;
            for (int ch = 0; ch < 3; ++ch)
                sum[ch] += colours[i].count * static_cast<double>(Channel8(colours[i].colour, ch));
        }
        palette.push_back(Round565(static_cast<int>(sum[0] / total + 0.5),
                                   static_cast<int>(sum[1] / total + 0.5),
                                   static_cast<int>(sum[2] / total + 0.5)));
    }
    return palette;
}

size_t Nearest(const std::vector<uint16_t>& palette, uint16_t colour, size_t skip) {
    size_t best = 0;
    int64_t bestDistance = INT64_MAX;
    for (size_t i = 0; i < palette.size(); ++i) {
        if (i == skip)
            continue;
        int64_t d = Distance(palette[i], colour);
        if (d < bestDistance)
            bestDistance = d, best = i;
    }
    return best;
}

// 4 x 4 Bayer thresholds, 0..15.
constexpr int Bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

bool Quantise(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height,
              bool dither) {
    size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (width <= 0 || height <= 0 || rgb.size() < pixels * 3) {
        std::fprintf(stderr, "tarnvell_bake: bad picture for %s\n", path.c_str());
        return false;
    }
    // Each pixel as the screen colour it will become; dithering spreads the rounding of each
    // channel to its 5- or 6-bit step over a 4 x 4 pattern.
    std::vector<uint16_t> screen(pixels);
    for (size_t i = 0; i < pixels; ++i) {
        int r = rgb[i * 3], g = rgb[i * 3 + 1], b = rgb[i * 3 + 2];
        if (dither && (r | g | b) != 0) {
            int x = static_cast<int>(i % static_cast<size_t>(width));
            int y = static_cast<int>(i / static_cast<size_t>(width));
            int t = Bayer[y & 3][x & 3];
            r += (t * 8) / 16 - 4;
            g += (t * 4) / 16 - 2;
            b += (t * 8) / 16 - 4;
        }
        screen[i] = Round565(r, g, b);
        // Pure black is the billboards' transparent colour; only black input may become it.
        if (screen[i] == 0 && (rgb[i * 3] | rgb[i * 3 + 1] | rgb[i * 3 + 2]) != 0)
            screen[i] = 0x0821;
    }
    std::vector<uint32_t> histogram(65536, 0);
    for (uint16_t c : screen)
        ++histogram[c];
    bool hasBlack = histogram[0] != 0;
    std::vector<ColourCount> colours;
    for (uint32_t c = 1; c < 65536; ++c)
        if (histogram[c])
            colours.push_back({static_cast<uint16_t>(c), histogram[c]});

    size_t slots = hasBlack ? 255 : 256;
    std::vector<uint16_t> palette = MedianCut(colours, slots);
    // Refine with k-means over the distinct colours, keeping entries on screen colours.
    if (colours.size() > slots) {
        for (int pass = 0; pass < 4; ++pass) {
            std::vector<std::array<double, 4>> sums(palette.size(), {0, 0, 0, 0});
            for (const ColourCount& c : colours) {
                auto& s = sums[Nearest(palette, c.colour, SIZE_MAX)];
                s[0] += c.count * static_cast<double>(Red8(c.colour));
                s[1] += c.count * static_cast<double>(Green8(c.colour));
                s[2] += c.count * static_cast<double>(Blue8(c.colour));
                s[3] += c.count;
            }
            for (size_t i = 0; i < palette.size(); ++i) {
                if (sums[i][3] == 0)
                    continue;
                palette[i] = Round565(static_cast<int>(sums[i][0] / sums[i][3] + 0.5),
                                      static_cast<int>(sums[i][1] / sums[i][3] + 0.5),
                                      static_cast<int>(sums[i][2] / sums[i][3] + 0.5));
                if (palette[i] == 0)
                    palette[i] = 0x0821;
            }
        }
    }
    size_t blackIndex = SIZE_MAX;
    if (hasBlack) {
        blackIndex = palette.size();
        palette.push_back(0);
    }
    // Nearest entry for every distinct colour, black only for black.
    std::vector<uint8_t> lookup(65536, 0);
    if (hasBlack)
        lookup[0] = static_cast<uint8_t>(blackIndex);
    for (const ColourCount& c : colours)
        lookup[c.colour] = static_cast<uint8_t>(Nearest(palette, c.colour, blackIndex));

    std::vector<uint8_t> paletteBytes(768, 0);
    for (size_t i = 0; i < palette.size(); ++i) {
        paletteBytes[i * 3] = static_cast<uint8_t>(Red8(palette[i]));
        paletteBytes[i * 3 + 1] = static_cast<uint8_t>(Green8(palette[i]));
        paletteBytes[i * 3 + 2] = static_cast<uint8_t>(Blue8(palette[i]));
    }
    std::vector<uint8_t> indices(pixels);
    for (size_t i = 0; i < pixels; ++i)
        indices[i] = lookup[screen[i]];
    return WriteTgaIndexed(path, paletteBytes, indices, width, height);
}

} // namespace

bool WriteTgaIndexed(const std::string& path, const std::vector<uint8_t>& palette,
                     const std::vector<uint8_t>& indices, int width, int height) {
    size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535 || palette.size() < 768 ||
        indices.size() < pixels) {
        std::fprintf(stderr, "tarnvell_bake: bad picture for %s\n", path.c_str());
        return false;
    }
    std::vector<uint8_t> bytes(18 + 768 + pixels, 0);
    bytes[1] = 1; // a colour map follows
    bytes[2] = 1; // uncompressed, colour-mapped
    bytes[5] = 0; // colour map: 256 entries from index 0
    bytes[6] = 1;
    bytes[7] = 24;
    bytes[12] = static_cast<uint8_t>(width & 255);
    bytes[13] = static_cast<uint8_t>(width >> 8);
    bytes[14] = static_cast<uint8_t>(height & 255);
    bytes[15] = static_cast<uint8_t>(height >> 8);
    bytes[16] = 8;
    bytes[17] = 0; // lower-left origin: the bottom row comes first
    for (size_t i = 0; i < 256; ++i) {
        bytes[18 + i * 3] = palette[i * 3 + 2];
        bytes[19 + i * 3] = palette[i * 3 + 1];
        bytes[20 + i * 3] = palette[i * 3];
    }
    size_t w = static_cast<size_t>(width);
    for (size_t row = 0; row < static_cast<size_t>(height); ++row) {
        size_t fileRow = static_cast<size_t>(height) - 1 - row;
        std::copy(indices.begin() + static_cast<std::ptrdiff_t>(row * w),
                  indices.begin() + static_cast<std::ptrdiff_t>((row + 1) * w),
                  bytes.begin() + static_cast<std::ptrdiff_t>(786 + fileRow * w));
    }
    return WriteBytes(path, bytes);
}

bool WriteTga(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
    return Quantise(path, rgb, width, height, false);
}

bool WriteTgaDithered(const std::string& path, const std::vector<uint8_t>& rgb, int width,
                      int height) {
    return Quantise(path, rgb, width, height, true);
}
