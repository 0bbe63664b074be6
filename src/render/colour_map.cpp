// The ground colour of every cell: tiles blended by height, shadows cast, smoothed.
#include "render/colour_map.h"

#include "assets/assets.h"
#include "sound/sound.h"

namespace {

constexpr int32_t Size = 512;
constexpr int32_t Cells = Size * Size;
constexpr int32_t Tile = 128;

// (a * w + b * (64 - w)) >> 6 for each of red, green and blue separately.
inline uint16_t Blend(uint32_t a, uint32_t b, uint32_t w) {
    const uint32_t v = 64 - w;
    const uint32_t red = (((a >> 11) * w + (b >> 11) * v) >> 6);
    const uint32_t green = ((((a >> 5) & 63) * w + ((b >> 5) & 63) * v) >> 6);
    const uint32_t blue = (((a & 31) * w + (b & 31) * v) >> 6);
    return static_cast<uint16_t>((red << 11) | (green << 5) | blue);
}

// Each channel shifted right by one.
inline uint16_t Darken(uint16_t c) {
    return static_cast<uint16_t>((c >> 1) & 0x7BEF);
}

// Green moved to the upper half-word leaves room above every channel, so four colours sum
// without one channel carrying into the next.
inline uint32_t Spread(uint16_t c) {
    return (c | (uint32_t{c} << 16)) & 0x07E0F81Fu;
}
inline uint16_t Quarter(uint32_t sum) {
    const uint32_t q = (sum >> 2) & 0x07E0F81Fu;
    return static_cast<uint16_t>(q | (q >> 16));
}

} // namespace

void BuildTerrainColours(const uint8_t* heights, uint16_t* colours, int32_t s0, int32_t s1,
                         int32_t s2, int32_t s3) {
    const int32_t slots[4] = {s0, s1, s2, s3};
    const uint16_t* bands[5];
    for (int32_t i = 0; i < 4; ++i) {
        if (slots[i] < 0 || slots[i] > 3 || TileSlots[slots[i]] == nullptr)
            return;
        bands[i] = TileSlots[slots[i]];
    }
    bands[4] = bands[3]; // Kept: the top band blends its tile with itself
    if (heights == nullptr || colours == nullptr)
        return;

    for (int32_t cy = 0; cy < Size; ++cy) {
        const int32_t tileRow = (cy & (Tile - 1)) * Tile;
        for (int32_t cx = 0; cx < Size; ++cx) {
            const uint32_t h = heights[cx + cy * Size];
            const int32_t t = tileRow + (cx & (Tile - 1));
            const uint32_t band = h >> 6;
            // At the bottom of a band the band's own tile alone; near its top almost all of
            // the next one, so the colour follows the height without steps.
            const uint32_t w = 64 * (band + 1) - h;
            colours[cx + cy * Size] = Blend(bands[band][t], bands[band + 1][t], w);
        }
    }
    CastTerrainShadows(heights, colours);
    SmoothTerrainColours(colours);
    SmoothTerrainColours(colours);
    SmoothTerrainColours(colours);
}

void CastTerrainShadows(const uint8_t* heights, uint16_t* colours) {
    if (heights == nullptr || colours == nullptr)
        return;
    // The light rises 8 height steps for every 3 cells in x and 2 in y; ten steps reach
    // far enough for the tallest ridges. Only every second cell is tested, for 2 x 2 blocks.
    for (int32_t cy = 0; cy < Size; cy += 2) {
        for (int32_t cx = 0; cx < Size; cx += 2) {
            int32_t z = heights[cx + cy * Size];
            int32_t px = cx;
            int32_t py = cy;
            bool shadowed = false;
            for (int32_t step = 0; step < 10; ++step) {
                px = (px + 3) & (Size - 1);
                py = (py + 2) & (Size - 1);
                z += 8;
                if (z > 255)
                    break;
                if (z < heights[px + py * Size]) {
                    shadowed = true;
                    break;
                }
            }
            if (shadowed) {
                const int32_t i = cx + cy * Size;
                colours[i] = Darken(colours[i]);
                colours[i + 1] = Darken(colours[i + 1]);
                colours[i + Size] = Darken(colours[i + Size]);
                colours[i + Size + 1] = Darken(colours[i + Size + 1]);
            }
        }
    }
}

void SmoothTerrainColours(uint16_t* colours) {
    if (colours == nullptr)
        return;
    // Kept: in place and in order. Each entry reads itself and entries still ahead of it, except
    // at the end of the map, where the neighbours wrap to the first rows, already smoothed.
    constexpr int32_t Mask = Cells - 1;
    const auto wrapped = [colours](int32_t i) {
        colours[i] =
            Quarter(Spread(colours[i]) + Spread(colours[(i + 1) & Mask]) +
                    Spread(colours[(i + Size) & Mask]) + Spread(colours[(i + Size + 1) & Mask]));
    };
    for (int32_t row = 0; row < Size; ++row) {
        UpdateSound();
        if (row == Size - 1) {
            for (int32_t i = row * Size; i < Cells; ++i)
                wrapped(i);
            break;
        }
        uint16_t* entry = colours + row * Size;
        for (int32_t i = 0; i < Size - 1; ++i) {
            entry[i] = Quarter(Spread(entry[i]) + Spread(entry[i + 1]) + Spread(entry[i + Size]) +
                               Spread(entry[i + Size + 1]));
        }
        // The last entry of a row averages with the first entries of the next row; on the
        // second-last row its lower-right neighbour is entry 0.
        wrapped(row * Size + Size - 1);
    }
}
