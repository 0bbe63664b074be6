// What every front-end screen draws around its buttons: the moving background and the logo.
#pragma once
#include <cstdint>

// The landscape from the Camera, then one step of the computer-flown ship the Camera follows.
void DrawFlyoverBackground();

// The current TerrainColours magnified twice and drifting diagonally. Each screen that uses
// it keeps its own scroll value; it grows by 2 a frame and is never reset.
void DrawScrollingBackground(uint32_t& scroll, const uint16_t* colours, uint16_t* surface);

// The LogoPicture into rows 240-319.
void DrawLogo(uint16_t* surface);

// The track seen from above: a 128 x 128 grey picture at columns 56-183, rows 66-193, one
// pixel for every fourth cell of every fourth row, light where the ground is high.
void DrawTrackPreview(const uint8_t* heightMap, uint16_t* surface);
uint16_t PreviewGrey(uint8_t height);

// Text of the screens' own, centred on column 120.
int32_t CentredX(const char* text, int32_t glyphWidth);
