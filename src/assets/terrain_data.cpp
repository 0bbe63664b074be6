// Height maps, planet tiles and the race panel's overview map.
#include "assets/terrain_data.h"

#include <fcntl.h>
#include <unistd.h>

#include "assets/assets.h"
#include "assets/paths.h"
#include "assets/tga.h"

const char* const PlanetTiles[12][4] = {
    {"tile1.tga", "tile2.tga", "tile3.tga", "tile4.tga"},
    {"tile10.tga", "tile9.tga", "tile16.tga", "tile16.tga"},
    {"tile13.tga", "tile14.tga", "tile14.tga", "tile14.tga"},
    {"tile5.tga", "tile6.tga", "tile6.tga", "tile6.tga"},
    {"tile15.tga", "tile11.tga", "tile15.tga", "tile11.tga"},
    {"tile7.tga", "tile12.tga", "tile8.tga", "tile8.tga"},
    {"tile10.tga", "tile4.tga", "tile4.tga", "tile4.tga"},
    {"tile1.tga", "tile1.tga", "tile1.tga", "tile1.tga"},
    {"tile8.tga", "tile13.tga", "tile13.tga", "tile13.tga"},
    {"tile16.tga", "tile5.tga", "tile16.tga", "tile5.tga"},
    {"tile1.tga", "tile13.tga", "tile13.tga", "tile13.tga"},
    {"tile8.tga", "tile8.tga", "tile8.tga", "tile8.tga"},
};

namespace {

constexpr const char* TrackMaps[5] = {"map1.raw", "map2.raw", "map3.raw", "map4.raw", "map5.raw"};
constexpr int32_t OverviewSize = 80;  // pixels a side
constexpr int32_t OverviewLeft = 160; // first column in the PanelPicture
constexpr int32_t PanelWidth = 240;   // pixels a row of the PanelPicture

} // namespace

bool ReadRawFile(const char* path, int32_t width, int32_t height, uint8_t* destination) {
    if (path == nullptr || destination == nullptr)
        return false;
    // Plain descriptor calls: a stdio stream would allocate its buffer, and the track
    // selection reloads maps in the middle of the menus.
    const int file = open(path, O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return false;
    if (width > 0 && height > 0) {
        // Straight into the array; a short file fills only its first part.
        ReadUpTo(file, destination, static_cast<size_t>(width) * static_cast<size_t>(height));
    }
    close(file);
    return true;
}

void LoadHeightMap(int32_t track) {
    if (track < 0 || track >= 5)
        return;
    ReadRawFile(DataFilePath(MapFolder(), TrackMaps[track]), MapSize, MapSize, HeightMap);
}

void LoadPlanetTiles(int32_t planet) {
    if (planet < 0 || planet >= 12)
        return;
    for (int32_t slot = 0; slot < 4; ++slot) {
        if (TileSlots[slot] == nullptr)
            continue;
        LoadTgaPicture(DataFilePath(GraphFolder(), PlanetTiles[planet][slot]), TileSize, TileSize,
                       TileSlots[slot]);
    }
}

void BuildPanelMap() {
    if (PanelPicture == nullptr || TerrainColours == nullptr)
        return;
    for (int32_t j = 0; j < OverviewSize; ++j) {
        const int32_t row = MapSize * j / OverviewSize;
        for (int32_t i = 0; i < OverviewSize; ++i) {
            const int32_t column = MapSize * i / OverviewSize;
            PanelPicture[j * PanelWidth + OverviewLeft + i] =
                TerrainColours[row * MapSize + column];
        }
    }
}
