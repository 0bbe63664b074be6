// The fonts and text routines, with a hand-made font sheet and small font.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/font.h"

namespace fs = std::filesystem;

namespace {

constexpr uint16_t Background = 0x1234; // in no palette entry below
constexpr int32_t Guard = 4;            // rows kept around every test surface

// The test sheet: each cell has a solid border and a pattern of transparent holes inside,
// and every pixel's colour depends on its cell, row and column.
uint8_t SheetIndex(int32_t px, int32_t py) {
    const int32_t cell = py / 40 * 16 + px / 16 + 1, cx = px % 16, cy = py % 40;
    if (cx >= 2 && cx <= 13 && cy >= 2 && cy <= 37 && (cx / 2 + cy / 3) % 3 == 0)
        return 0;
    return static_cast<uint8_t>(1 + (cell * 37 + cy * 11 + cx * 5) % 255);
}

// Small font glyph c, row r; 'A' row 3 is 0x81.
uint8_t SmallRow(int32_t c, int32_t r) {
    if (c == 'A' && r == 3)
        return 0x81;
    return static_cast<uint8_t>(c * 31 + r * 17);
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// A graph folder holding font.tga and, when asked, Antique.fnt. Ends with '/'.
std::string FontFolder(const std::string& name, bool withSmallFont) {
    fs::path dir = fs::temp_directory_path() / ("tarnvell_font_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::vector<uint8_t> tga(786 + 256 * 120, 0);
    const uint8_t header[18] = {0, 1, 1, 0, 0, 0, 1, 24, 0, 0, 0, 0, 0, 1, 120, 0, 8, 0};
    std::memcpy(tga.data(), header, 18);
    tga[20] = 0xFF; // entry 0: pure red, the transparent colour
    for (int32_t i = 1; i < 256; ++i) {
        tga[18 + 3 * i] = static_cast<uint8_t>(i);
        tga[19 + 3 * i] = static_cast<uint8_t>(255 - i);
        tga[20 + 3 * i] = static_cast<uint8_t>(i ^ 0x5A);
    }
    for (int32_t y = 0; y < 120; ++y)
        for (int32_t x = 0; x < 256; ++x)
            tga[786 + (119 - y) * 256 + x] = SheetIndex(x, y);
    WriteBytes(dir / "font.tga", tga);
    if (withSmallFont) {
        std::vector<uint8_t> fnt(4096);
        for (int32_t c = 0; c < 256; ++c)
            for (int32_t r = 0; r < 16; ++r)
                fnt[c * 16 + r] = SmallRow(c, r);
        WriteBytes(dir / "Antique.fnt", fnt);
    }
    return dir.string() + "/";
}

struct Surface {
    int32_t height;
    std::vector<uint16_t> pixels; // guard rows, the surface, guard rows
    explicit Surface(int32_t rows)
        : height(rows), pixels(static_cast<size_t>(rows + 2 * Guard) * 240, Background) {}
    uint16_t* Data() { return pixels.data() + Guard * 240; }
    uint16_t At(int32_t x, int32_t y) const { return pixels[(y + Guard) * 240 + x]; }
    bool GuardsIntact() const {
        for (int32_t i = 0; i < Guard * 240; ++i)
            if (pixels[i] != Background || pixels[pixels.size() - 1 - i] != Background)
                return false;
        return true;
    }
};

uint16_t CellPixel(int32_t cell, int32_t row, int32_t column) {
    return SheetFontPicture[((cell - 1) / 16 * 40 + row) * 256 + (cell - 1) % 16 * 16 + column];
}

// The sheet pixel the text puts at (px, py) by its own glyph, or -1 where it puts none.
int32_t GlyphPixelAt(const char* text, int64_t width, int64_t height, int64_t x, int64_t y,
                     int64_t px, int64_t py) {
    if (px < x || py < y || py >= y + height)
        return -1;
    const int64_t i = (px - x) / width;
    if (i >= static_cast<int64_t>(std::strlen(text)))
        return -1;
    const int32_t cell = GlyphIndex[static_cast<uint8_t>(text[i])];
    if (cell == 0)
        return -1;
    const uint16_t pixel = CellPixel(cell, static_cast<int32_t>(40 * (py - y) / height),
                                     static_cast<int32_t>(16 * (px - x - i * width) / width));
    return pixel == ColourKey ? -1 : pixel;
}

// What the whole text leaves at (px, py): its glyph pixel, else black where the pixel up and
// left of it is a glyph pixel, else the background.
uint16_t Expected(const char* text, int64_t width, int64_t height, int64_t x, int64_t y, int64_t px,
                  int64_t py) {
    int32_t own = GlyphPixelAt(text, width, height, x, y, px, py);
    if (own >= 0)
        return static_cast<uint16_t>(own);
    return GlyphPixelAt(text, width, height, x, y, px - 1, py - 1) >= 0 ? 0 : Background;
}

// Draws scaled text on a fresh surface and compares every pixel with the expectation.
void CheckScaled(const char* text, int32_t width, int32_t height, int32_t x, int32_t y,
                 int32_t rows) {
    Surface surface(rows);
    DrawSheetTextScaled(text, width, height, x, y, surface.Data(), rows);
    ASSERT_TRUE(surface.GuardsIntact()) << text << " at " << x << "," << y;
    for (int32_t py = 0; py < rows; ++py)
        for (int32_t px = 0; px < 240; ++px)
            ASSERT_EQ(surface.At(px, py), Expected(text, width, height, x, y, px, py))
                << text << " " << width << "x" << height << " at " << x << "," << y << ": pixel "
                << px << "," << py;
}

class Font : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ReleaseFonts();
        LoadFonts(FontFolder("full", true));
    }
};

} // namespace

TEST_F(Font, LoadsSheetAndGlyphIndex) {
    ASSERT_NE(SheetFontPicture, nullptr);
    for (int32_t y = 0; y < 120; y += 7)
        for (int32_t x = 0; x < 256; x += 3) {
            uint8_t i = SheetIndex(x, y);
            uint16_t colour = i == 0 ? ColourKey
                                     : static_cast<uint16_t>(((i ^ 0x5A) & 0xF8) << 8 |
                                                             ((255 - i) & 0xFC) << 3 | i >> 3);
            ASSERT_EQ(SheetFontPicture[y * 256 + x], colour) << x << "," << y;
        }
    EXPECT_EQ(GlyphIndex['A'], 1);
    EXPECT_EQ(GlyphIndex['Z'], 26);
    EXPECT_EQ(GlyphIndex['1'], 28);
    EXPECT_EQ(GlyphIndex['9'], 36);
    EXPECT_EQ(GlyphIndex['0'], 37);
    EXPECT_EQ(GlyphIndex['.'], 38);
    EXPECT_EQ(GlyphIndex['*'], 44);
    EXPECT_EQ(GlyphIndex[' '], 45);
    EXPECT_EQ(GlyphIndex[0], 46);
    EXPECT_EQ(GlyphIndex['a'], 0);
    EXPECT_EQ(GlyphIndex['?'], 0);
    EXPECT_EQ(GlyphIndex[200], 0);
}

TEST_F(Font, FullCellSizeReproducesTheCell) {
    // The digit 0 is cell 37, not its first place in the character string, cell 27.
    Surface surface(320);
    DrawSheetTextScaled("0", 16, 40, 10, 20, surface.Data(), 320);
    bool differsFrom27 = false;
    for (int32_t r = 0; r < 40; ++r)
        for (int32_t c = 0; c < 16; ++c) {
            uint16_t cell = CellPixel(37, r, c);
            if (cell != ColourKey) {
                EXPECT_EQ(surface.At(10 + c, 20 + r), cell) << c << "," << r;
            }
            differsFrom27 = differsFrom27 || surface.At(10 + c, 20 + r) != CellPixel(27, r, c);
        }
    EXPECT_TRUE(differsFrom27);
    CheckScaled("A0Z", 16, 40, 10, 20, 320);
}

TEST_F(Font, FixedSizeTakesEverySecondRow) {
    Surface fixed(320), scaled(320);
    DrawSheetText("HELLO 123", 40, 100, fixed.Data(), 320);
    DrawSheetTextScaled("HELLO 123", 16, 20, 40, 100, scaled.Data(), 320);
    EXPECT_EQ(fixed.pixels, scaled.pixels);
    EXPECT_EQ(fixed.At(40, 100), CellPixel(GlyphIndex['H'], 0, 0));
    EXPECT_EQ(fixed.At(40, 119), CellPixel(GlyphIndex['H'], 38, 0));
    EXPECT_EQ(fixed.At(56 + 15, 101), CellPixel(GlyphIndex['E'], 2, 15));
}

TEST_F(Font, HelloExtentWithShadow) {
    Surface surface(320);
    DrawSheetText("HELLO", 48, 80, surface.Data(), 320);
    int32_t minX = 240, maxX = -1, minY = 320, maxY = -1;
    for (int32_t y = 0; y < 320; ++y)
        for (int32_t x = 0; x < 240; ++x)
            if (surface.At(x, y) != Background) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    EXPECT_EQ(minX, 48);
    EXPECT_EQ(maxX, 128);
    EXPECT_EQ(minY, 80);
    EXPECT_EQ(maxY, 100);
    EXPECT_EQ(surface.At(128, 81), 0);  // shadow column
    EXPECT_EQ(surface.At(100, 100), 0); // shadow row
    EXPECT_EQ(surface.At(128, 80), Background);
    EXPECT_EQ(surface.At(48, 100), Background);
    CheckScaled("HELLO", 16, 20, 48, 80, 320);

    // Lower case has no sheet glyphs but takes its width: the 0 lands 80 pixels on.
    Surface lower(320);
    DrawSheetText("hello", 48, 80, lower.Data(), 320);
    EXPECT_TRUE(std::all_of(lower.pixels.begin(), lower.pixels.end(),
                            [](uint16_t p) { return p == Background; }));
    DrawSheetText("hello0", 48, 80, lower.Data(), 320);
    EXPECT_EQ(lower.At(128, 80), CellPixel(37, 0, 0));
    EXPECT_EQ(lower.At(127, 80), Background);
}

TEST_F(Font, ScaledSizesSampleNearestLower) {
    CheckScaled("MAIN MENU", 24, 40, 11, 10, 320);
    CheckScaled("POSITION", 10, 15, 75, 5, 80);
    CheckScaled("LAP 3", 7, 33, 3, 40, 80);
    CheckScaled("WIDE", 50, 9, 5, 200, 320);

    // Zero and negative sizes draw nothing.
    Surface surface(320);
    DrawSheetTextScaled("ZERO", 16, 0, 10, 10, surface.Data(), 320);
    DrawSheetTextScaled("ZERO", 0, 20, 10, 10, surface.Data(), 320);
    DrawSheetTextScaled("ZERO", -16, 20, 100, 10, surface.Data(), 320);
    DrawSheetTextScaled("ZERO", 16, -20, 10, 100, surface.Data(), 320);
    EXPECT_TRUE(std::all_of(surface.pixels.begin(), surface.pixels.end(),
                            [](uint16_t p) { return p == Background; }));
}

TEST_F(Font, SheetTextClipsAtEveryEdge) {
    struct Case {
        int32_t width, height, x, y, rows;
    };
    const Case cases[] = {
        {16, 20, -5, -7, 320},   {16, 20, -16, -20, 320}, {16, 20, -17, -21, 320},
        {16, 20, 230, 310, 320}, {16, 20, 239, 319, 320}, {16, 20, 240, 100, 320},
        {16, 20, 100, 320, 320}, {16, 20, 200, 70, 80},   {24, 40, -30, 300, 320},
        {10, 15, 180, 72, 80},   {31, 77, -40, -50, 80},  {16, 20, -200, 5, 320},
    };
    for (const Case& c : cases)
        CheckScaled("AB0 Z.!", c.width, c.height, c.x, c.y, c.rows);

    // Far-off positions and huge sizes stay inside and cost only the visible pixels.
    CheckScaled("HUGE", 100000, 100000, -50000, -50000, 320);
    CheckScaled("HUGE", 1000000, 3, -2000000000, 50, 320);
    CheckScaled("EDGE", 16, 20, 2147483647, 2147483647, 320);
    CheckScaled("EDGE", 16, 20, -2147483647 - 1, -2147483647 - 1, 320);
    CheckScaled("TALL", 2147483647, 2147483647, 0, 0, 80);

    // No surface, no text: nothing happens.
    DrawSheetText("NULL", 0, 0, nullptr, 320);
    Surface surface(80);
    DrawSheetText(nullptr, 0, 0, surface.Data(), 80);
    DrawSheetText("ROWS", 0, 0, surface.Data(), 0);
    EXPECT_TRUE(std::all_of(surface.pixels.begin(), surface.pixels.end(),
                            [](uint16_t p) { return p == Background; }));
}

TEST_F(Font, SmallTextDrawsSetBitsAndClips) {
    Surface surface(320);
    DrawSmallText("A", 100, 50, 0xFFFF, surface.Data(), 320);
    for (int32_t c = 0; c < 8; ++c)
        EXPECT_EQ(surface.At(100 + c, 53), c == 0 || c == 7 ? 0xFFFF : Background) << c;

    // Lower case draws the file's glyphs, in the given colour, with no shadow.
    auto check = [](const char* text, int32_t x, int32_t y, int32_t rows) {
        Surface s(rows);
        DrawSmallText(text, x, y, 0x07E0, s.Data(), rows);
        ASSERT_TRUE(s.GuardsIntact()) << text << " at " << x << "," << y;
        const int64_t length = static_cast<int64_t>(std::strlen(text));
        for (int32_t py = 0; py < rows; ++py)
            for (int32_t px = 0; px < 240; ++px) {
                int64_t dx = px - static_cast<int64_t>(x), dy = py - static_cast<int64_t>(y);
                bool set = dx >= 0 && dy >= 0 && dy < 16 && dx / 8 < length &&
                           (SmallRow(static_cast<uint8_t>(text[dx / 8]), static_cast<int32_t>(dy)) &
                            (0x80 >> dx % 8)) != 0;
                ASSERT_EQ(s.At(px, py), set ? 0x07E0 : Background)
                    << text << " at " << x << "," << y << ": " << px << "," << py;
            }
    };
    check("hello", 48, 80, 320);
    check("hello", -3, -5, 320);
    check("edges of the surface", 235, 310, 320);
    check("panel", 0, 70, 80);
    check("far", -2147483647 - 1, 2147483647, 320);
    check("\xC3\xA9t\xC3\xA9", 10, 10, 320); // codes above 127 index the table like any other
}

TEST(FontFiles, MissingFilesDrawBlackOrNothing) {
    fs::path empty = fs::temp_directory_path() / "tarnvell_font_missing";
    fs::remove_all(empty);
    fs::create_directories(empty);
    std::memset(SmallFont, 0, sizeof SmallFont);
    ReleaseFonts();
    LoadFonts(empty.string() + "/");
    ASSERT_NE(SheetFontPicture, nullptr);
    for (int32_t i = 0; i < 256 * 120; ++i)
        ASSERT_EQ(SheetFontPicture[i], 0) << i;
    EXPECT_EQ(GlyphIndex['0'], 37);

    Surface small(320);
    DrawSmallText("NOTHING", 10, 10, 0xFFFF, small.Data(), 320);
    EXPECT_TRUE(std::all_of(small.pixels.begin(), small.pixels.end(),
                            [](uint16_t p) { return p == Background; }));
    // Without a sheet the capitals are black boxes: the game shows they are missing.
    Surface sheet(320);
    DrawSheetText("A", 0, 0, sheet.Data(), 320);
    EXPECT_EQ(sheet.At(0, 0), 0);
    EXPECT_EQ(sheet.At(15, 19), 0);
    EXPECT_EQ(sheet.At(16, 0), Background);

    // Back to the hand-made fonts for any test that follows.
    ReleaseFonts();
    LoadFonts(FontFolder("again", true));
}
