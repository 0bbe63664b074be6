// The two fonts (capitals cut from "font.tga", the 8 x 16 small font) and the text routines.
#pragma once
#include <cstdint>
#include <string>

#include "assets/assets.h"
#include "base/frame.h"

constexpr int32_t SheetFontWidth = 256;   // pixels: 16 cells across
constexpr int32_t SheetFontHeight = 120;  // pixels: 3 rows of cells
constexpr int32_t SheetCellWidth = 16;    // pixels
constexpr int32_t SheetCellHeight = 40;   // pixels; the fixed-size text takes every second row
constexpr uint16_t ColourKey = 0xF800;    // pure red: transparent in the font sheet, no shadow
constexpr int32_t SmallFontBytes = 4096;  // 256 glyphs of 16 rows, bit 7 the leftmost pixel
constexpr int32_t TextSurfaceWidth = 240; // pixels a row of every surface text is drawn into

// Whole run, from LoadFonts to ReleaseFonts. The picture is black where "font.tga" is
// missing; the small font is all clear bits where "Antique.fnt" is missing.
extern uint16_t* SheetFontPicture; // 256 x 120 RGB565
extern uint8_t GlyphIndex[256];    // character code -> font sheet cell from 1; 0 no glyph
extern uint8_t SmallFont[SmallFontBytes];

// Called once by the load step before any text is drawn: allocates and loads the font sheet
// and reads "Antique.fnt", both from `graphFolder` (ends with '/').
void LoadFonts(const std::string& graphFolder);
// Frees the font sheet picture (the release step at quit).
void ReleaseFonts();

// Text goes into a surface of 240-pixel rows: the FrameBuffer (320 rows) unless another picture
// is given, such as PanelPicture (80 rows). Every routine clips to the surface, so any
// position and size is safe; characters without a glyph draw nothing but take their place.

// Sheet capitals at 16 x 20 with a one-pixel black shadow below right; character i at
// (x + 16i, y).
void DrawSheetText(const char* text, int32_t x, int32_t y, uint16_t* surface = FrameBufferAddress(),
                   int32_t surfaceHeight = ScreenHeight);
// Sheet capitals scaled to glyphWidth x glyphHeight (nearest lower source pixel, with the
// shadow); character i at (x + glyphWidth * i, y). A size of 0 or less draws nothing.
void DrawSheetTextScaled(const char* text, int32_t glyphWidth, int32_t glyphHeight, int32_t x,
                         int32_t y, uint16_t* surface = FrameBufferAddress(),
                         int32_t surfaceHeight = ScreenHeight);
// Small font in one colour, no shadow; character i at (x + 8i, y).
void DrawSmallText(const char* text, int32_t x, int32_t y, uint16_t colour,
                   uint16_t* surface = FrameBufferAddress(), int32_t surfaceHeight = ScreenHeight);
