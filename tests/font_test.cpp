// The fonts and text routines, checked against a hand-made font sheet and small font.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/font.h"
#include "run_program.h"
#include "test_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr uint16_t Background = 0x1234; // in no palette entry below
constexpr int32_t Guard = 4;            // rows kept around every test surface

// Every cell has a solid border and transparent holes inside; every pixel's colour depends on
// its cell, row and column. Palette entry 0 is pure red, entry i (blue i, green 255 - i, red
// i ^ 0x5A).
uint8_t SheetIndex(int32_t px, int32_t py) {
    const int32_t cell = py / 40 * 16 + px / 16 + 1, cx = px % 16, cy = py % 40;
    if (cx >= 2 && cx <= 13 && cy >= 2 && cy <= 37 && (cx / 2 + cy / 3) % 3 == 0)
        return 0;
    return static_cast<uint8_t>(1 + (cell * 37 + cy * 11 + cx * 5) % 255);
}

uint8_t SmallRow(int32_t c, int32_t r) {
    return c == 'A' && r == 3 ? 0x81 : static_cast<uint8_t>(c * 31 + r * 17);
}

// A graph folder (ending with '/') with font.tga and Antique.fnt, or with nothing at all.
std::string FontFolder(const std::string& name, bool withFiles) {
    const fs::path dir = TestFolder("font_" + name);
    std::vector<uint8_t> stored;
    for (int32_t y = 119; y >= 0; --y)
        for (int32_t x = 0; x < 256; ++x)
            stored.push_back(SheetIndex(x, y));
    std::vector<uint8_t> tga = GameTgaBytes(256, 120, stored);
    tga[18] = tga[19] = 0, tga[20] = 0xFF; // entry 0 pure red
    std::vector<uint8_t> fnt;
    for (int32_t i = 0; i < 4096; ++i)
        fnt.push_back(SmallRow(i / 16, i % 16));
    if (withFiles)
        WriteFileBytes(dir / "font.tga", tga), WriteFileBytes(dir / "Antique.fnt", fnt);
    return dir.string() + "/";
}

struct Surface {
    int32_t rows;
    std::vector<uint16_t> pixels; // guard rows, the surface, guard rows
    explicit Surface(int32_t height)
        : rows(height), pixels(static_cast<size_t>(height + 2 * Guard) * 240, Background) {}
    uint16_t* Data() { return pixels.data() + Guard * 240; }
    uint16_t At(int32_t x, int32_t y) const { return pixels[(y + Guard) * 240 + x]; } // y >= -4
    bool Blank() const {
        return std::all_of(pixels.begin(), pixels.end(),
                           [](uint16_t p) { return p == Background; });
    }
};

uint16_t CellPixel(int32_t cell, int32_t row, int32_t column) {
    return SheetFontPicture[((cell - 1) / 16 * 40 + row) * 256 + (cell - 1) % 16 * 16 + column];
}

// The sheet pixel the text's own glyphs put at (px, py), or -1 where they put none.
int32_t GlyphPixelAt(const char* text, int64_t width, int64_t height, int64_t x, int64_t y,
                     int64_t px, int64_t py) {
    if (width <= 0 || height <= 0 || px < x || py < y || py >= y + height ||
        (px - x) / width >= static_cast<int64_t>(std::strlen(text)))
        return -1;
    const int64_t i = (px - x) / width;
    const int32_t cell = GlyphIndex[static_cast<uint8_t>(text[i])];
    if (cell == 0)
        return -1;
    const uint16_t pixel = CellPixel(cell, static_cast<int32_t>(40 * (py - y) / height),
                                     static_cast<int32_t>(16 * (px - x - i * width) / width));
    return pixel == ColourKey ? -1 : pixel;
}

// Draws scaled text on a fresh surface: nothing outside it, and each pixel inside is the
// glyph's own, else black where the pixel up and left is a glyph's, else untouched.
void CheckScaled(const char* text, int32_t width, int32_t height, int32_t x, int32_t y,
                 int32_t rows) {
    Surface surface(rows);
    DrawSheetTextScaled(text, width, height, x, y, surface.Data(), rows);
    auto glyph = [&](int64_t px, int64_t py) {
        return GlyphPixelAt(text, width, height, x, y, px, py);
    };
    for (int32_t py = -Guard; py < rows + Guard; ++py)
        for (int32_t px = 0; px < 240; ++px) {
            const int32_t own = glyph(px, py);
            const uint16_t expected = py < 0 || py >= rows         ? Background
                                      : own >= 0                   ? static_cast<uint16_t>(own)
                                      : glyph(px - 1, py - 1) >= 0 ? 0
                                                                   : Background;
            ASSERT_EQ(surface.At(px, py), expected)
                << text << " " << width << "x" << height << " at " << x << "," << y << ": " << px
                << "," << py;
        }
}

class Font : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ReleaseFonts();
        LoadFonts(FontFolder("full", true));
    }
};

} // namespace

TEST_F(Font, GlyphsComeFromTheirCells) {
    const uint8_t index = SheetIndex(100, 50);
    EXPECT_EQ(SheetFontPicture[50 * 256 + 100],
              (((index ^ 0x5A) & 0xF8) << 8) | (((255 - index) & 0xFC) << 3) | (index >> 3));
    const std::pair<char, int> cells[] = {{'A', 1},  {'Z', 26}, {'1', 28}, {'9', 36},
                                          {'0', 37}, {'.', 38}, {'*', 44}, {' ', 45},
                                          {0, 46},   {'a', 0},  {'?', 0},  {'\xC8', 0}};
    for (const auto& [c, cell] : cells)
        EXPECT_EQ(GlyphIndex[static_cast<uint8_t>(c)], cell) << int(c);

    // The fixed size is the scaled text at 16 x 20: every second row of the cell.
    Surface fixed(320), scaled(320);
    DrawSheetText("HELLO 123", 40, 100, fixed.Data(), 320);
    DrawSheetTextScaled("HELLO 123", 16, 20, 40, 100, scaled.Data(), 320);
    EXPECT_EQ(fixed.pixels, scaled.pixels);
    EXPECT_EQ(fixed.At(40, 119), CellPixel(GlyphIndex['H'], 38, 0));
}

TEST_F(Font, HelloExtentWithShadow) {
    // x 48-127 and rows 80-99, the shadow in column 128 and row 100, nothing else (the fixed
    // size is the scaled text at 16 x 20, as GlyphsComeFromTheirCells holds).
    CheckScaled("HELLO", 16, 20, 48, 80, 320);

    // Lower case draws nothing but takes its width: the 0 after it lands 80 pixels on.
    Surface lower(320);
    DrawSheetText("hello", 48, 80, lower.Data(), 320);
    EXPECT_TRUE(lower.Blank());
    DrawSheetText("hello0", 48, 80, lower.Data(), 320);
    EXPECT_EQ(std::tuple(lower.At(128, 80), lower.At(127, 80)),
              std::tuple(CellPixel(37, 0, 0), Background));
}

TEST_F(Font, ScaledTextSamplesAndClips) {
    // Width, height, x, y, surface rows; the last six: far-off places and huge sizes stay
    // inside the surface.
    // clang-format off
    const int32_t cases[][5] = {
        {16, 40, 10, 20, 320}, {24, 40, 11, 10, 320}, {10, 15, 75, 5, 80}, {7, 33, 3, 40, 80}, {50, 9, 5, 200, 320},
        {16, 0, 10, 10, 320}, {0, 20, 10, 10, 320}, {-16, 20, 100, 10, 320},
        {16, -20, 10, 100, 320}, {16, 20, -5, -7, 320}, {16, 20, -16, -20, 320},
        {16, 20, -17, -21, 320}, {16, 20, 230, 310, 320}, {16, 20, 239, 319, 320},
        {16, 20, 240, 100, 320}, {16, 20, 100, 320, 320}, {16, 20, 200, 70, 80},
        {31, 77, -40, -50, 80}, {16, 20, -200, 5, 320}, {100000, 100000, -50000, -50000, 320},
        {1000000, 3, -2000000000, 50, 320}, {16, 20, INT32_MAX, INT32_MAX, 320},
        {16, 20, INT32_MIN, INT32_MIN, 320}, {INT32_MAX, INT32_MAX, 0, 0, 80}};
    // clang-format on
    for (const auto& c : cases)
        CheckScaled("AB0 Z.!", c[0], c[1], c[2], c[3], c[4]);
    DrawSheetText("NULL", 0, 0, nullptr, 320);
    Surface surface(80);
    DrawSheetText(nullptr, 0, 0, surface.Data(), 80);
    DrawSheetText("ROWS", 0, 0, surface.Data(), 0);
    EXPECT_TRUE(surface.Blank());
}

TEST_F(Font, SmallTextDrawsSetBitsAndClips) {
    const int32_t cases[][3] = {
        {100, 50, 320}, {-3, -5, 320}, {235, 310, 320}, {0, 70, 80}, {INT32_MIN, INT32_MAX, 320}};
    for (const auto& c : cases) {
        const char* text = "A hello \xC3\xA9t\xC3\xA9"; // codes above 127 index the table too
        Surface s(c[2]);
        DrawSmallText(text, c[0], c[1], 0x07E0, s.Data(), c[2]);
        for (int32_t py = -Guard; py < c[2] + Guard; ++py)
            for (int32_t px = 0; px < 240; ++px) {
                const int64_t dx = px - int64_t{c[0]}, dy = py - int64_t{c[1]};
                const bool inside = py >= 0 && py < c[2] && dx >= 0 && dy >= 0 && dy < 16 &&
                                    dx / 8 < static_cast<int64_t>(std::strlen(text));
                const bool set = inside && (SmallRow(static_cast<uint8_t>(text[dx / 8]),
                                                     static_cast<int32_t>(dy)) &
                                            (0x80 >> dx % 8)) != 0;
                ASSERT_EQ(s.At(px, py), set ? 0x07E0 : Background)
                    << c[0] << "," << c[1] << ": " << px << "," << py;
            }
    }
    Surface a(320); // 0x81 in a row: its leftmost and rightmost pixels
    DrawSmallText("A", 100, 50, 0xFFFF, a.Data(), 320);
    EXPECT_EQ(std::vector<uint16_t>(&a.pixels[(53 + Guard) * 240 + 100],
                                    &a.pixels[(53 + Guard) * 240 + 108]),
              (std::vector<uint16_t>{0xFFFF, Background, Background, Background, Background,
                                     Background, Background, 0xFFFF}));
}

TEST(FontFiles, MissingFilesDrawBlackOrNothing) {
    std::memset(SmallFont, 0, sizeof SmallFont);
    ReleaseFonts();
    LoadFonts(FontFolder("missing", false));
    ASSERT_NE(SheetFontPicture, nullptr);
    EXPECT_EQ(std::vector<uint16_t>(SheetFontPicture, SheetFontPicture + 256 * 120),
              std::vector<uint16_t>(256 * 120, 0));
    EXPECT_EQ(GlyphIndex['0'], 37);
    Surface small(320), sheet(320);
    DrawSmallText("NOTHING", 10, 10, 0xFFFF, small.Data(), 320);
    EXPECT_TRUE(small.Blank());
    // Without a sheet the capitals are black boxes: what is missing shows.
    DrawSheetText("A", 0, 0, sheet.Data(), 320);
    EXPECT_EQ(std::tuple(sheet.At(15, 19), sheet.At(16, 0)), std::tuple(0, Background));
    ReleaseFonts();
    LoadFonts(FontFolder("again", true)); // for any test that follows
}
