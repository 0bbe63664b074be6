// The ground colour map: height blends, shadows and smoothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include "assets/assets.h"
#include "keep_global.h"
#include "render/colour_map.h"

namespace {

constexpr int32_t Cells = 512 * 512;

uint16_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint16_t>((r << 11) | (g << 5) | b);
}

// Four tiles of one colour each, lent to TileSlots while a test runs.
struct Tiles {
    std::vector<uint16_t> slots[4];
    KeepGlobal<decltype(TileSlots)> keep{TileSlots};
    explicit Tiles(const uint16_t (&colours)[4]) {
        for (int32_t i = 0; i < 4; ++i) {
            slots[i].assign(128 * 128, colours[i]);
            TileSlots[i] = slots[i].data();
        }
    }
};

uint16_t BuildFlat(uint8_t height, const uint16_t (&colours)[4]) {
    Tiles tiles(colours);
    std::vector<uint8_t> heights(Cells, height);
    std::vector<uint16_t> out(Cells, 0);
    BuildTerrainColours(heights.data(), out.data(), 0, 1, 2, 3);
    // Flat ground casts no shadow and smooths to itself: one colour everywhere.
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [&](uint16_t c) { return c == out[0]; }));
    return out[0];
}

} // namespace

TEST(ColourMap, HeightBandsBlendTheirTiles) {
    const uint16_t white = 0xFFFF;
    const uint16_t colours[4] = {white, 0, Rgb(10, 20, 30), Rgb(4, 8, 12)};
    const uint16_t bright[4] = {white, Rgb(20, 40, 10), Rgb(10, 20, 30), Rgb(4, 8, 12)};
    // h 32: half white, half black; h 64: slot 1 alone; h 63: 1/64 of slot 0 and 63/64 of
    // slot 1; 160: halfway between slots 2 and 3; the top band is slot 3 alone all the way up.
    const struct {
        uint8_t height;
        const uint16_t (&tiles)[4];
        uint16_t colour;
    } flats[] = {{32, colours, Rgb(15, 31, 15)},
                 {64, colours, 0},
                 {63, colours, 0},
                 {63, bright, Rgb((31 + 20 * 63) >> 6, (63 + 40 * 63) >> 6, (31 + 10 * 63) >> 6)},
                 {0, bright, white},
                 {128, bright, Rgb(10, 20, 30)},
                 {160, bright,
                  Rgb((10 * 32 + 4 * 32) >> 6, (20 * 32 + 8 * 32) >> 6, (30 * 32 + 12 * 32) >> 6)},
                 {192, bright, Rgb(4, 8, 12)},
                 {255, bright, Rgb(4, 8, 12)}};
    for (const auto& f : flats)
        EXPECT_EQ(BuildFlat(f.height, f.tiles), f.colour) << int(f.height);

    // Tiles repeat every 128 cells: a texel marks cells (5 + 128i, 9 + 128j).
    Tiles tiles(bright);
    tiles.slots[0][9 * 128 + 5] = 0;
    std::vector<uint8_t> heights(Cells, 0);
    std::vector<uint16_t> out(Cells, 1);
    const std::vector<uint16_t> before = out;
    BuildTerrainColours(heights.data(), out.data(), 0, 1, 2, 7); // no slot 7: nothing built
    EXPECT_EQ(out, before);
    BuildTerrainColours(heights.data(), out.data(), 0, 1, 2, 3);
    // After smoothing the black texel darkens itself and its three upper-left neighbours.
    for (int32_t j = 0; j < 4; ++j) {
        const int32_t cell = (5 + 128 * j) + (9 + 128 * j) * 512;
        EXPECT_TRUE(out[cell] != white && out[cell - 513] != white)
            << j << ": " << out[cell] << " " << out[cell - 513];
    }
    EXPECT_EQ(out[7 + 12 * 512], white);
}

TEST(ColourMap, ShadowsFallTowardLowXAndY) {
    std::vector<uint8_t> heights(Cells, 0);
    std::vector<uint16_t> colours(Cells, 0xFFFF);
    const uint16_t half = 0x7BEF; // every channel of white halved

    // A peak at cell (103, 102) shadows (100, 100), whose first ray step lands on it.
    heights[103 + 102 * 512] = 20;
    // A cell of 248 is lit whatever stands beside it; 240 is not.
    heights[200 + 200 * 512] = 248, heights[203 + 202 * 512] = 255;
    heights[300 + 300 * 512] = 240, heights[303 + 302 * 512] = 255;
    // Rays wrap: a peak at (1, 0) shadows the 2 x 2 block at (510, 510).
    heights[1 + 0 * 512] = 200;
    // A ray climbs 8 a step for ten steps and then gives up: a peak 11 steps away casts none.
    heights[33 + 22 * 512 + 40 * 512] = 255; // from (0, 40): (33, 62) is step 11
    CastTerrainShadows(heights.data(), colours.data());

    // One character a cell: 1 where it lies in shadow.
    const auto dark = [&](std::initializer_list<std::array<int32_t, 2>> cells) {
        std::string seen;
        for (const auto& c : cells)
            seen += colours[c[0] + c[1] * 512] == half ? '1' : '0';
        return seen;
    };
    EXPECT_EQ(dark({{100, 100}, {101, 100}, {100, 101}, {101, 101}}), "1111");
    EXPECT_EQ(dark({{300, 300}, {102, 100}, {200, 200}, {0, 40}}), "1000");
    EXPECT_EQ(dark({{510, 510}, {511, 510}, {510, 511}, {511, 511}}), "1111");
    EXPECT_EQ(dark({{1, 0}}), "0"); // the peaks themselves stand in the light
    // Only even cells are tested: a peak on an odd cell shadows the blocks 1, 3, 5, 7 and 9
    // steps back along the ray, one on an even cell also those 2, 4 ... 10 steps back (the
    // cells of 248 and 240 cast shadows too). 1 + 5 + 6 + 5 + 5 blocks of 4.
    EXPECT_EQ(dark({{194, 196}, {176, 184}, {6, 44}, {504, 506}}), "1111");
    EXPECT_EQ(dark({{170, 180}, {270, 280}, {164, 176}}), "110");
    EXPECT_EQ(std::count(colours.begin(), colours.end(), half), 88);
}

TEST(ColourMap, SmoothingAveragesInPlaceAndWraps) {
    // One colour everywhere stays as it is.
    std::vector<uint16_t> colours(Cells, 0xA5B3);
    SmoothTerrainColours(colours.data());
    EXPECT_TRUE(
        std::all_of(colours.begin(), colours.end(), [](uint16_t c) { return c == 0xA5B3; }));

    // A white cell in black: it and its three upper-left neighbours get a quarter each.
    const uint16_t quarter = Rgb(7, 15, 7);
    std::fill(colours.begin(), colours.end(), 0);
    colours[1000 + 512 * 3] = 0xFFFF;
    SmoothTerrainColours(colours.data());
    for (int32_t back : {0, 1, 512, 513})
        EXPECT_EQ(colours[1000 + 512 * 3 - back], quarter) << back;
    EXPECT_EQ(std::count(colours.begin(), colours.end(), 0), Cells - 4);

    // White at cell 0: the last rows average with the first ones, which this pass has already
    // smoothed, so they see a quarter of a quarter.
    std::fill(colours.begin(), colours.end(), 0);
    colours[0] = 0xFFFF;
    SmoothTerrainColours(colours.data());
    // (511, 511): the right neighbour wraps to 0; (0, 511): the lower one is 0; (511, 510): the
    // lower-right wraps to 0; (511, 0) averages with row 1 only.
    const uint16_t sixteenth = Rgb(1, 3, 1);
    EXPECT_EQ(std::make_tuple(colours[0], colours[Cells - 1], colours[511 * 512],
                              colours[510 * 512 + 511], colours[511]),
              std::make_tuple(quarter, sixteenth, sixteenth, sixteenth, uint16_t{0}));
    EXPECT_EQ(std::count(colours.begin(), colours.end(), 0), Cells - 4);
}
