// Data tests of the baked pictures, fonts and icons: layout, seams, keys and shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "assets/tga.h"
#include "run_program.h"

namespace {

const std::string Graph = TARNVELL_DATA "/Graph/";

// A picture as the game sees it: 16-bit colours, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint16_t> pixels;
    std::vector<uint8_t> indices; // palette entry of each pixel, top row first
    uint16_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct Channels {
    static int Red(uint16_t c) { return (c >> 11) << 3; }
    static int Green(uint16_t c) { return ((c >> 5) & 63) << 2; }
    static int Blue(uint16_t c) { return (c & 31) << 3; }
    static int Brightness(uint16_t c) { return Red(c) + Green(c) + Blue(c); }
};
using C = Channels;

// Read through the game's own loader, which takes nothing but its layout (colour-mapped,
// uncompressed, 256 24-bit entries, 8 bits a pixel, bottom row first, the asked size); the
// file must hold exactly that picture. A failed check leaves the picture empty.
Picture LoadTga(const std::string& name, int width, int height) {
    Picture picture;
    const std::vector<uint8_t> bytes = ReadFileBytes(Graph + name);
    const size_t pixels = static_cast<size_t>(width) * height;
    picture.pixels.resize(pixels), picture.indices.resize(pixels);
    EXPECT_EQ(bytes.size(), TgaPixelOffset + pixels) << name;
    if (bytes.size() != TgaPixelOffset + pixels ||
        LoadTgaPicture(Graph + name, width, height, picture.pixels.data()) != 1) {
        ADD_FAILURE() << name << " is not a picture in the game's layout";
        return {};
    }
    picture.width = width, picture.height = height;
    for (size_t i = 0; i < pixels; ++i)
        picture.indices[i] = bytes[TgaPixelOffset + (height - 1 - i / width) * width + i % width];
    return picture;
}

int Difference(uint16_t a, uint16_t b) {
    return std::abs(C::Red(a) - C::Red(b)) + std::abs(C::Green(a) - C::Green(b)) +
           std::abs(C::Blue(a) - C::Blue(b));
}

// Mean difference between column (or row) i and the next one, wrapping around.
double Seam(const Picture& p, int i, bool columns) {
    const int along = columns ? p.height : p.width, across = columns ? p.width : p.height;
    double sum = 0;
    for (int j = 0; j < along; ++j)
        sum += columns ? Difference(p.At(i, j), p.At((i + 1) % across, j))
                       : Difference(p.At(j, i), p.At(j, (i + 1) % across));
    return sum / along;
}

// The wrap must be no rougher than the roughest seam inside the picture.
void ExpectSeamless(const Picture& p, const std::string& name) {
    for (bool columns : {true, false}) {
        const int across = columns ? p.width : p.height;
        double inside = 0;
        for (int i = 0; i + 1 < across; ++i)
            inside = std::max(inside, Seam(p, i, columns));
        EXPECT_LE(Seam(p, across - 1, columns), inside)
            << name << (columns ? " left-right" : " top-bottom");
    }
}

TEST(PicturesData, EveryPictureHasTheGameLayoutAndExactSize) {
    struct Expected {
        std::string name;
        int width, height;
    };
    std::vector<Expected> files = {{"cloud.tga", 256, 256},  {"explode.tga", 256, 256},
                                   {"control.tga", 240, 80}, {"logo.tga", 240, 80},
                                   {"exit.tga", 16, 16},     {"font.tga", 256, 120}};
    for (int t = 1; t <= 16; ++t)
        files.push_back({"tile" + std::to_string(t) + ".tga", 128, 128});
    for (const Expected& file : files) {
        Picture p = LoadTga(file.name, file.width, file.height);
        ASSERT_EQ(p.width, file.width) << file.name;
        // No picture is a blank placeholder: each shows at least a handful of colours.
        std::set<uint16_t> colours(p.pixels.begin(), p.pixels.end());
        EXPECT_GE(colours.size(), 8u) << file.name;
    }
}

TEST(PicturesData, TilesAndSkyRepeatWithoutSeams) {
    std::vector<Picture> tiles;
    for (int t = 1; t <= 16; ++t) {
        std::string name = "tile" + std::to_string(t) + ".tga";
        tiles.push_back(LoadTga(name, 128, 128));
        ASSERT_EQ(tiles.back().width, 128);
        ExpectSeamless(tiles.back(), name);
    }
    Picture sky = LoadTga("cloud.tga", 256, 256);
    ASSERT_EQ(sky.width, 256);
    ExpectSeamless(sky, "cloud.tga");
}

TEST(PicturesData, SheetFontCellsHoldDistinctKeyedGlyphs) {
    Picture font = LoadTga("font.tga", 256, 120);
    ASSERT_EQ(font.width, 256);
    // Only one palette entry in use may turn into the key colour: letters never vanish.
    std::set<uint8_t> keyEntries;
    for (size_t i = 0; i < font.pixels.size(); ++i)
        if (font.pixels[i] == 0xF800)
            keyEntries.insert(font.indices[i]);
    EXPECT_EQ(keyEntries.size(), 1u);
    // The light face of each cell as the game draws it at 16 x 20: every second row.
    auto cellMask = [&](int cell) {
        std::vector<bool> mask;
        int cx = ((cell - 1) % 16) * 16, cy = ((cell - 1) / 16) * 40;
        for (int row = 0; row < 40; row += 2)
            for (int col = 0; col < 16; ++col) {
                uint16_t c = font.At(cx + col, cy + row);
                mask.push_back(c != 0xF800 && C::Brightness(c) > 400); // the letter, not its edge
            }
        return mask;
    };
    for (int cell = 1; cell <= 44; ++cell) {
        std::vector<bool> mask = cellMask(cell);
        EXPECT_GE(std::count(mask.begin(), mask.end(), true), 4)
            << "cell " << cell << " is nearly empty";
        // Glyphs stay inside their cells: the top and bottom rows are clear.
        int cx = ((cell - 1) % 16) * 16, cy = ((cell - 1) / 16) * 40;
        for (int col = 0; col < 32; ++col)
            EXPECT_EQ(font.At(cx + col % 16, cy + col / 16 * 39), 0xF800) << "cell " << cell;
    }
    // The space and the unused cells are wholly transparent.
    for (int y = 80; y < 120; ++y)
        EXPECT_EQ(std::vector<uint16_t>(&font.pixels[y * 256 + 192], &font.pixels[y * 256 + 256]),
                  std::vector<uint16_t>(64, 0xF800))
            << "row " << y;
    // Letters are told apart; the two cells of the digit 0 hold the same glyph.
    for (int a = 1; a <= 44; ++a)
        for (int b = a + 1; b <= 44; ++b)
            if (!(a == 27 && b == 37)) {
                EXPECT_NE(cellMask(a), cellMask(b)) << a << " and " << b;
            }
    EXPECT_EQ(cellMask(27), cellMask(37));
}

TEST(PicturesData, SmallFontIsAConsoleFontTable) {
    std::vector<uint8_t> table = ReadFileBytes(Graph + "Antique.fnt");
    ASSERT_EQ(table.size(), 4096u);
    auto glyph = [&](int code) {
        return std::vector<uint8_t>(table.begin() + code * 16, table.begin() + code * 16 + 16);
    };
    auto empty = [](const std::vector<uint8_t>& g) {
        return std::all_of(g.begin(), g.end(), [](uint8_t b) { return b == 0; });
    };
    EXPECT_EQ(std::tuple(empty(glyph(0)), empty(glyph(' '))), std::tuple(true, true));
    std::set<std::vector<uint8_t>> seen;
    for (int code = 33; code < 127; ++code) {
        EXPECT_FALSE(empty(glyph(code))) << "character " << code;
        EXPECT_TRUE(seen.insert(glyph(code)).second) << "character " << code << " repeats a glyph";
    }
    // Codes follow Latin-1, not the console font's own glyph order: control codes are blank,
    // accented letters carry their accents.
    for (int code = 1; code < 32; ++code)
        EXPECT_TRUE(empty(glyph(code))) << "control code " << code;
    EXPECT_FALSE(empty(glyph(0xE9)));
    EXPECT_NE(glyph(0xE9), glyph('e'));
    EXPECT_NE(glyph('a'), glyph('A'));
}

TEST(PicturesData, ExplosionFramesStandApartOnBlack) {
    Picture sheet = LoadTga("explode.tga", 256, 256);
    ASSERT_EQ(sheet.width, 256);
    for (int frame = 0; frame < 16; ++frame) {
        int lit = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const uint16_t c = sheet.At((frame & 3) * 64 + x, (frame >> 2) * 64 + y);
                // The frame's border stays black (transparent), so frames never bleed.
                if (x == 0 || y == 0 || x == 63 || y == 63) {
                    EXPECT_EQ(c, 0) << "frame " << frame;
                }
                lit += c != 0;
            }
        // Something to see, on mostly transparent background.
        EXPECT_TRUE(lit > 60 && lit < 64 * 64 * 3 / 4) << "frame " << frame << ": " << lit;
    }
}

TEST(PicturesData, PanelLeavesRoomForTheGamesOwnDrawing) {
    Picture panel = LoadTga("control.tga", 240, 80);
    ASSERT_EQ(panel.width, 240);
    // The read-out under POSITION and LAP (x 75 on, rows 5-69) is dark, so the letters read.
    for (int y = 5; y < 70; ++y)
        for (int x = 75; x < 156; ++x)
            EXPECT_LT(C::Brightness(panel.At(x, y)), 200) << x << "," << y;
    // The accelerate pad is the yellow circle the help page names, inside the game's touch
    // area (x below 80): yellow across its middle, not in the corners of its square.
    const auto yellow = [](uint16_t c) {
        return C::Red(c) > 150 && C::Green(c) > 110 && C::Blue(c) < C::Green(c) / 2;
    };
    int inside = 0, corners = 0;
    for (int y = 12; y < 68; ++y)
        for (int x = 9; x < 65; ++x)
            inside += (x - 37) * (x - 37) + (y - 40) * (y - 40) < 22 * 22 && yellow(panel.At(x, y));
    for (int y : {1, 2, 3, 76, 77, 78})
        for (int x : {1, 2, 3, 72, 73})
            corners += yellow(panel.At(x, y));
    // Of about 1500 pixels; the chevrons and the word take the rest.
    EXPECT_TRUE(inside > 750 && corners == 0) << inside << " inside, " << corners << " in corners";
    for (int y = 0; y < 80; ++y)
        for (int x = 80; x < 240; ++x)
            EXPECT_FALSE(yellow(panel.At(x, y))) << x << "," << y; // nothing else looks like it
    Picture exit = LoadTga("exit.tga", 16, 16);
    ASSERT_EQ(exit.width, 16);
    EXPECT_GT(C::Brightness(exit.At(8, 8)), 600);                  // the white cross
    EXPECT_GT(C::Red(exit.At(3, 8)), 2 * C::Green(exit.At(3, 8))); // on red
}

TEST(PicturesData, ProgramIconsArePngsOfEachSize) {
    for (int size : {16, 32, 48, 64, 128, 256, 512}) {
        std::vector<uint8_t> png =
            ReadFileBytes(TARNVELL_DATA "/icons/tarnvell-" + std::to_string(size) + ".png");
        ASSERT_GE(png.size(), 33u) << size;
        const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        EXPECT_TRUE(std::equal(signature, signature + 8, png.begin())) << size;
        // IHDR width and height, big-endian; RGBA, so the rounded corners are transparent.
        EXPECT_EQ(std::make_tuple(png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19],
                                  png[20] << 24 | png[21] << 16 | png[22] << 8 | png[23], png[25]),
                  std::make_tuple(size, size, uint8_t{6}))
            << size;
    }
}

} // namespace
