// Storage of the loaded pictures and working arrays.
#include "assets/assets.h"

uint16_t* TerrainColours = nullptr;
uint16_t* PanelPicture = nullptr;
uint8_t* HeightMap = nullptr;
uint32_t* DepthBuffer = nullptr;
uint16_t* SkyPicture = nullptr;
uint16_t* ExplosionPicture = nullptr;
uint16_t* LogoPicture = nullptr;
uint16_t* TileSlots[4] = {};
uint16_t* ExitIcon = nullptr;
