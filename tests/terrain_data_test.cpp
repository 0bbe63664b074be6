// Height maps, planet tiles and the overview map.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "assets/paths.h"
#include "assets/terrain_data.h"
#include "assets/tga.h"
#include "keep_global.h"
#include "race/course.h"
#include "run_program.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(WriteFileBytes(path, bytes)) << path;
}

// A 128 x 128 picture of one colour in the game's TGA layout.
void WriteTile(const fs::path& path, uint8_t blue, uint8_t green, uint8_t red) {
    std::vector<uint8_t> bytes = GameTgaBytes(128, 128);
    bytes[18] = blue, bytes[19] = green, bytes[20] = red; // entry 0
    WriteFile(path, bytes);
}

// A data folder of our own, in use while the test runs.
struct DataFolder {
    fs::path root = TestFolder("terrain_data");
    // The folder in use before, put back afterwards (MapFolder() is it followed by "Map/").
    std::string previous =
        MapFolder().substr(0, MapFolder().size() >= 4 ? MapFolder().size() - 4 : 0);
    DataFolder() {
        for (const char* folder : {"Map", "Graph", "Sound"})
            fs::create_directories(root / folder);
        SetDataFolder(root.string());
    }
    ~DataFolder() {
        if (!previous.empty())
            SetDataFolder(previous);
    }
};

} // namespace

TEST(TerrainData, ReadRawFileReadsWhatIsThere) {
    DataFolder data;
    std::vector<uint8_t> dest(16, 0xAA);
    EXPECT_FALSE(ReadRawFile((data.root / "missing.raw").c_str(), 4, 4, dest.data()));
    EXPECT_EQ(dest, std::vector<uint8_t>(16, 0xAA));

    // A short file fills the first part only; a long one gives only width x height bytes.
    WriteFile(data.root / "short.raw", {1, 2, 3});
    EXPECT_TRUE(ReadRawFile((data.root / "short.raw").c_str(), 4, 4, dest.data()));
    EXPECT_EQ(std::vector<uint8_t>(dest.begin(), dest.begin() + 4),
              (std::vector<uint8_t>{1, 2, 3, 0xAA}));
    WriteFile(data.root / "long.raw", std::vector<uint8_t>(40, 7));
    EXPECT_TRUE(ReadRawFile((data.root / "long.raw").c_str(), 2, 3, dest.data()));
    EXPECT_TRUE(ReadRawFile((data.root / "long.raw").c_str(), 0, 3, dest.data()));
    EXPECT_EQ(std::tuple(+dest[5], +dest[6]), std::tuple(7, 0xAA));
    EXPECT_FALSE(ReadRawFile(nullptr, 2, 2, dest.data()));
}

TEST(TerrainData, TrackMapsByNumber) {
    DataFolder data;
    const KeepGlobal<uint8_t*> keep(HeightMap);
    std::vector<uint8_t> heights(512 * 512, 0);
    HeightMap = heights.data();
    for (int32_t track = 0; track < 5; ++track) {
        std::vector<uint8_t> map(512 * 512, static_cast<uint8_t>(10 + track));
        map[512 * 512 - 1] = static_cast<uint8_t>(100 + track);
        WriteFile(data.root / "Map" / ("map" + std::to_string(track + 1) + ".raw"), map);
    }
    LoadTrackMap(4);
    EXPECT_EQ(std::tuple(+heights[0], +heights[512 * 512 - 1]), std::tuple(14, 104));
    // Out of range nothing is read; a missing file keeps the previous map.
    fs::remove(data.root / "Map" / "map3.raw");
    for (int32_t track : {0, 5, -1, 2}) {
        LoadTrackMap(track);
        EXPECT_EQ(heights[1000], 10) << track;
    }
}

TEST(TerrainData, PlanetTilesFillTheFourSlots) {
    DataFolder data;
    // tileN is red N * 8, so each slot tells which file it came from.
    for (int32_t n = 1; n <= 16; ++n) {
        WriteTile(data.root / "Graph" / ("tile" + std::to_string(n) + ".tga"), 0, 0,
                  static_cast<uint8_t>(n * 8));
    }
    std::vector<uint16_t> slots[4];
    const KeepGlobal<decltype(TileSlots)> keep(TileSlots);
    for (int32_t i = 0; i < 4; ++i) {
        slots[i].assign(TileSlotPixels, 0x1234);
        TileSlots[i] = slots[i].data();
    }
    // The tile number in each slot.
    const auto tilesIn = [&] {
        std::vector<int32_t> tiles;
        for (const auto& slot : slots)
            tiles.push_back(slot[5000] >> 11);
        return tiles;
    };
    const std::pair<int32_t, std::vector<int32_t>> planets[] = {
        {7, {1, 1, 1, 1}},
        {11, {8, 8, 8, 8}},
        {4, {15, 11, 15, 11}},
        {1, {10, 9, 16, 16}},
        // No planet 12, no planet -1: no slot changes.
        {12, {10, 9, 16, 16}},
        {-1, {10, 9, 16, 16}}};
    for (const auto& [planet, tiles] : planets) {
        LoadPlanetTiles(planet);
        EXPECT_EQ(tilesIn(), tiles) << planet;
    }
    EXPECT_EQ(slots[0][128 * 128], 0x1234); // nothing written beyond the tile
    // A missing file keeps its slot.
    fs::remove(data.root / "Graph" / "tile9.tga");
    LoadPlanetTiles(0);
    LoadPlanetTiles(1);
    EXPECT_EQ(std::tuple(tilesIn()[0], tilesIn()[1]), std::tuple(10, 2));
}

TEST(TerrainData, OverviewMapSamplesEverySixthOrSeventhCell) {
    const KeepGlobal<uint16_t*> keepPanel(PanelPicture), keepColours(TerrainColours);
    std::vector<uint16_t> panel(240 * 80, 0xBEEF);
    std::vector<uint16_t> colours(512 * 512);
    for (int32_t i = 0; i < 512 * 512; ++i)
        colours[i] = static_cast<uint16_t>((i % 512) + (i / 512) * 61);
    PanelPicture = panel.data(), TerrainColours = colours.data();
    BuildPanelMap();
    // Panel (row, column) against map (row, column).
    const int32_t samples[][4] = {
        {79, 239, 505, 505}, {0, 160, 0, 0}, {1, 161, 6, 6}, {3, 162, 19, 12}, {40, 200, 256, 256}};
    for (const auto& c : samples)
        EXPECT_EQ(panel[c[0] * 240 + c[1]], colours[c[2] * 512 + c[3]]) << c[0] << "," << c[1];
    // The labels left of column 160 stay.
    for (int32_t i = 0; i < 240 * 80; ++i)
        ASSERT_TRUE(i % 240 >= 160 || panel[i] == 0xBEEF) << i << ": " << panel[i];
}
