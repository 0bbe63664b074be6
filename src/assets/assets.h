// The pictures and working arrays allocated once by the load step and kept until quit.
#pragma once
#include <cstdint>

// All pictures are RGB565, row by row, top row first. Null until the load step runs;
// allocated once there, released at quit, overwritten in place in between.
extern uint16_t* TerrainColours;   // 512 x 512, blended ground colours
extern uint16_t* PanelPicture;     // 240 x 80, race panel ("control.tga") with overview map
extern uint8_t* HeightMap;         // 512 x 512 height bytes; surface at 2x the byte
extern uint32_t* DepthBuffer;      // 240 x 240 view distances of the 3D view
extern uint16_t* SkyPicture;       // 256 x 256, "cloud.tga"
extern uint16_t* ExplosionPicture; // 256 x 256, "explode.tga", 4 x 4 frames of 64 x 64
extern uint16_t* LogoPicture;      // 240 x 80, "logo.tga"
extern uint16_t* TileSlots[4];     // 128 x 128 each (buffers of 19,200 pixels)
extern uint16_t* ExitIcon;         // 16 x 16, "exit.tga"

// Sizes fixed by the code that uses the pictures, in pixels.
constexpr int32_t PanelPictureWidth = 240, PanelPictureHeight = 80;
constexpr int32_t LogoPictureWidth = 240, LogoPictureHeight = 80;
constexpr int32_t SkyPictureSize = 256;       // square
constexpr int32_t ExplosionPictureSize = 256; // square
constexpr int32_t ExitIconSize = 16;          // square
constexpr int32_t TileSlotPixels = 19200;     // each slot's buffer; a 128 x 128 tile uses 16,384
