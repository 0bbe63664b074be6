// A small 5 x 7 pixel font for the notes the window draws over the picture (PAUSED, saved).
#pragma once
#include <cstdint>

constexpr int32_t OverlayGlyphWidth = 5;  // pixels
constexpr int32_t OverlayGlyphHeight = 7; // pixels
constexpr int32_t OverlayAdvance = 6;     // pixels from one character to the next

// Seven rows of the character's glyph, bit 4 the leftmost pixel. Lower case is drawn as
// upper case; a character the font lacks is blank.
const uint8_t* OverlayGlyph(char c);
