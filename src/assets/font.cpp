// The font sheet and small font: loading them and drawing text into 240-pixel-wide surfaces.
#include "assets/font.h"

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "assets/paths.h"
#include "assets/tga.h"

uint16_t* SheetFontPicture = nullptr;
uint8_t GlyphIndex[256] = {};
uint8_t SmallFont[SmallFontBytes] = {};

namespace {

// The cells of the font sheet in order. Kept: "0" appears twice and its later cell wins.
constexpr char SheetCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234567890.,'!()* ";

constexpr int32_t SmallGlyphWidth = 8;   // pixels
constexpr int32_t SmallGlyphHeight = 16; // pixels, one byte a row

int64_t Min(int64_t a, int64_t b) {
    return a < b ? a : b;
}
int64_t Max(int64_t a, int64_t b) {
    return a > b ? a : b;
}

} // namespace

void LoadFonts(const std::string& graphFolder) {
    const size_t sheetPixels = static_cast<size_t>(SheetFontWidth) * SheetFontHeight;
    if (SheetFontPicture == nullptr)
        SheetFontPicture = new uint16_t[sheetPixels]();
    LoadTgaPicture(DataFilePath(graphFolder, "font.tga"), SheetFontWidth, SheetFontHeight,
                   SheetFontPicture);

    // Kept: position 45 is the string's terminating zero, so code 0 gets cell 46, which no
    // text reaches.
    std::memset(GlyphIndex, 0, sizeof GlyphIndex);
    for (int32_t i = 0; i < static_cast<int32_t>(sizeof SheetCharacters); ++i)
        GlyphIndex[static_cast<uint8_t>(SheetCharacters[i])] = static_cast<uint8_t>(i + 1);

    int file = open(DataFilePath(graphFolder, "Antique.fnt"), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return; // small text then draws nothing
    ReadUpTo(file, SmallFont, sizeof SmallFont);
    close(file);
}

void ReleaseFonts() {
    delete[] SheetFontPicture;
    SheetFontPicture = nullptr;
}

void DrawSheetText(const char* text, int32_t x, int32_t y, uint16_t* surface,
                   int32_t surfaceHeight) {
    // Every second row of the 40-row cell at its own width: exactly the scaled text at 16 x 20.
    DrawSheetTextScaled(text, SheetCellWidth, SheetCellHeight / 2, x, y, surface, surfaceHeight);
}

void DrawSheetTextScaled(const char* text, int32_t glyphWidth, int32_t glyphHeight, int32_t x,
                         int32_t y, uint16_t* surface, int32_t surfaceHeight) {
    if (text == nullptr || surface == nullptr || SheetFontPicture == nullptr || glyphWidth <= 0 ||
        glyphHeight <= 0 || surfaceHeight <= 0)
        return;
    // A pixel's shadow falls one right and one down, so the rows and columns worth visiting
    // run from one before the surface's first to its last. Skipping the rest changes nothing
    // inside the surface; it only keeps huge or far-off text from writing outside it.
    const int64_t firstRow = Max(0, -1 - static_cast<int64_t>(y));
    const int64_t lastRow = Min(glyphHeight - 1, static_cast<int64_t>(surfaceHeight) - 1 - y);
    if (firstRow > lastRow)
        return;
    int32_t sourceColumns[TextSurfaceWidth + 1];
    for (int64_t i = 0; text[i] != 0; ++i) {
        const int64_t left = static_cast<int64_t>(x) + glyphWidth * i;
        if (left >= TextSurfaceWidth)
            break; // this and every later glyph lies to the right
        const int32_t cell = GlyphIndex[static_cast<uint8_t>(text[i])];
        if (cell == 0)
            continue; // no glyph, but the place is taken
        const int64_t firstColumn = Max(0, -1 - left);
        const int64_t lastColumn = Min(glyphWidth - 1, TextSurfaceWidth - 1 - left);
        if (firstColumn > lastColumn)
            continue;
        for (int64_t c = firstColumn; c <= lastColumn; ++c)
            sourceColumns[c - firstColumn] = static_cast<int32_t>(SheetCellWidth * c / glyphWidth);
        const int32_t cellOffset =
            (cell - 1) / 16 * SheetCellHeight * SheetFontWidth + (cell - 1) % 16 * SheetCellWidth;
        const uint16_t* cellPixels = SheetFontPicture + cellOffset;
        for (int64_t j = firstRow; j <= lastRow; ++j) {
            const uint16_t* source =
                cellPixels + SheetCellHeight * j / glyphHeight * SheetFontWidth;
            const int64_t outY = y + j;
            for (int64_t c = firstColumn; c <= lastColumn; ++c) {
                const uint16_t pixel = source[sourceColumns[c - firstColumn]];
                if (pixel == ColourKey)
                    continue;
                const int64_t outX = left + c;
                // Shadow first: the glyph's own later pixels and the next glyph cover it
                // wherever they are opaque, leaving a black edge below and right.
                if (outX + 1 < TextSurfaceWidth && outY + 1 < surfaceHeight)
                    surface[(outY + 1) * TextSurfaceWidth + outX + 1] = 0;
                if (outX >= 0 && outY >= 0)
                    surface[outY * TextSurfaceWidth + outX] = pixel;
            }
        }
    }
}

void DrawSmallText(const char* text, int32_t x, int32_t y, uint16_t colour, uint16_t* surface,
                   int32_t surfaceHeight) {
    if (text == nullptr || surface == nullptr || surfaceHeight <= 0)
        return;
    const int64_t firstRow = Max(0, -static_cast<int64_t>(y));
    const int64_t lastRow = Min(SmallGlyphHeight - 1, static_cast<int64_t>(surfaceHeight) - 1 - y);
    if (firstRow > lastRow)
        return;
    for (int64_t i = 0; text[i] != 0; ++i) {
        const int64_t left = static_cast<int64_t>(x) + SmallGlyphWidth * i;
        if (left >= TextSurfaceWidth)
            break;
        const int32_t glyphOffset = static_cast<uint8_t>(text[i]) * SmallGlyphHeight;
        const uint8_t* glyph = SmallFont + glyphOffset;
        for (int64_t j = firstRow; j <= lastRow; ++j) {
            uint16_t* out = surface + (y + j) * TextSurfaceWidth;
            for (int32_t bit = 0; bit < SmallGlyphWidth; ++bit) {
                const int64_t outX = left + bit;
                if ((glyph[j] & (0x80 >> bit)) != 0 && outX >= 0 && outX < TextSurfaceWidth)
                    out[outX] = colour;
            }
        }
    }
}
