// Height maps, planet tiles and the race panel's overview map.
#pragma once
#include <cstdint>

constexpr int32_t MapSize = 512;        // cells a side of the HeightMap and TerrainColours
constexpr int32_t MapCells = 512 * 512; // 262,144
constexpr int32_t TileSize = 128;       // pixels a side of a planet tile

// The four tile files of each planet, for slots 0-3 (lowest ground first).
extern const char* const PlanetTiles[12][4];

// Reads width x height bytes from the start of the file at `path` (UTF-8) into
// `destination`. A shorter file fills only the first part. Returns false, leaving
// `destination` unchanged, when the file cannot be opened.
bool ReadRawFile(const char* path, int32_t width, int32_t height, uint8_t* destination);

// Reads "map<track + 1>.raw" from the map folder into the HeightMap; a missing file keeps
// the previous map. Tracks 0-4; any other number does nothing.
void LoadHeightMap(int32_t track);

// Loads the planet's four tiles into TileSlots 0-3; a missing file keeps its slot. Planets
// 0-11; any other number loads nothing. TerrainColours must be rebuilt afterwards.
void LoadPlanetTiles(int32_t planet);

// Draws the 80 x 80 overview map into columns 160-239 of the PanelPicture, sampling every
// 6th or 7th cell of TerrainColours. Called at the start of each race.
void BuildPanelMap();
