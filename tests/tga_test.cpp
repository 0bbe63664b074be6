// The picture loader: colour conversion, row order, short files and refused files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "assets/tga.h"
#include "run_program.h"
#include "test_folder.h"

namespace {

// Palette entry i of GameTgaBytes' own colour map.
uint16_t Ramp(int32_t i) {
    return TgaColour(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                     static_cast<uint8_t>(i ^ 0x5A));
}

std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    static const std::filesystem::path dir = TestFolder("tga");
    const std::string path = (dir / name).string();
    WriteFileBytes(path, bytes);
    return path;
}

} // namespace

TEST(Tga, ConvertsColoursAndTurnsRowsOver) {
    std::vector<uint8_t> palette(768, 0);
    const uint8_t entries[3][4] = {{5, 0x07, 0x03, 0xFF}, {6, 0xFF, 0xFF, 0xFF}, {7, 8, 4, 8}};
    for (const auto& e : entries)
        std::copy(e + 1, e + 4, palette.begin() + 3 * e[0]);
    uint16_t four[4] = {};
    ASSERT_EQ(
        LoadTgaPicture(WriteFile("red.tga", GameTgaBytes(2, 2, {5, 5, 5, 5}, palette)), 2, 2, four),
        1);
    EXPECT_EQ(std::vector<uint16_t>(four, four + 4), std::vector<uint16_t>(4, 0xF800));
    ASSERT_EQ(
        LoadTgaPicture(WriteFile("mix.tga", GameTgaBytes(2, 2, {6, 7, 0, 5}, palette)), 2, 2, four),
        1);
    // The first stored row is the bottom row of the picture.
    EXPECT_EQ(std::vector<uint16_t>(four, four + 4),
              (std::vector<uint16_t>{0x0000, 0xF800, 0xFFFF, 0x0821}));

    // 200 x 130 indices take more than one read, and the reads end mid-row.
    std::vector<uint8_t> stored(200 * 130);
    for (size_t i = 0; i < stored.size(); ++i)
        stored[i] = static_cast<uint8_t>(i * 7 + i / 200 * 13);
    std::vector<uint16_t> picture(stored.size());
    ASSERT_EQ(LoadTgaPicture(WriteFile("large.tga", GameTgaBytes(200, 130, stored)), 200, 130,
                             picture.data()),
              1);
    for (size_t y = 0; y < 130; ++y)
        for (size_t x = 0; x < 200; ++x)
            ASSERT_EQ(picture[y * 200 + x], Ramp(stored[(129 - y) * 200 + x])) << x << "," << y;
}

TEST(Tga, ShortFileFillsWhatItHoldsAndBlackensTheRest) {
    // A 4 x 3 picture cut after its bottom row and one pixel of the middle row.
    std::vector<uint8_t> bytes = GameTgaBytes(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    bytes.resize(786 + 5);
    std::vector<uint16_t> picture(12, 0x1234);
    ASSERT_EQ(LoadTgaPicture(WriteFile("short.tga", bytes), 4, 3, picture.data()), 1);
    const std::vector<uint16_t> expected = {0, 0, 0,       0,       Ramp(5), 0,
                                            0, 0, Ramp(1), Ramp(2), Ramp(3), Ramp(4)};
    EXPECT_EQ(picture, expected);
    bytes.resize(18 + 300); // cut inside the colour map: no index at all
    ASSERT_EQ(LoadTgaPicture(WriteFile("cutmap.tga", bytes), 4, 3, picture.data()), 1);
    EXPECT_EQ(picture, std::vector<uint16_t>(12, 0));
}

TEST(Tga, MissingAndForeignFilesLeaveThePictureUntouched) {
    const std::vector<uint8_t> good = GameTgaBytes(2, 2, {1, 2, 3, 4});
    // Header byte and the value that makes it another kind of file: RLE, true colour, grey,
    // no colour map, an image ID, a map from entry 1, an empty map, 16-bit entries, another
    // width or height, 16 bits a pixel, top-down rows, right-to-left rows.
    const uint8_t changes[][2] = {{2, 9},   {2, 2},     {2, 3},    {1, 0},  {0, 4},
                                  {3, 1},   {6, 0},     {7, 16},   {12, 3}, {14, 1},
                                  {16, 16}, {17, 0x20}, {17, 0x10}};
    std::vector<uint16_t> picture(4, 0xABCD);
    for (const auto& change : changes) {
        std::vector<uint8_t> bytes = good;
        bytes[change[0]] = change[1];
        EXPECT_EQ(LoadTgaPicture(WriteFile("foreign.tga", bytes), 2, 2, picture.data()), 0)
            << "byte " << int(change[0]) << " = " << int(change[1]);
    }
    // A cut header, an empty file, none at all, another size asked for, no picture, no name.
    const std::string path = WriteFile("good.tga", good);
    const std::vector<uint8_t> header(good.begin(), good.begin() + 10);
    EXPECT_EQ(
        (std::tuple{LoadTgaPicture(WriteFile("header.tga", header), 2, 2, picture.data()),
                    LoadTgaPicture(WriteFile("empty.tga", {}), 2, 2, picture.data()),
                    LoadTgaPicture("/nonexistent/folder/cloud.tga", 2, 2, picture.data()),
                    LoadTgaPicture(path, 4, 1, picture.data()),
                    LoadTgaPicture(path, 0, 2, picture.data()), LoadTgaPicture(path, 2, 2, nullptr),
                    LoadTgaPicture(nullptr, 2, 2, picture.data())}),
        std::tuple(0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(picture, std::vector<uint16_t>(4, 0xABCD));
    // Attribute bits of the descriptor leave the layout as it is: accepted.
    std::vector<uint8_t> attributes = good;
    attributes[17] = 0x08;
    EXPECT_EQ(LoadTgaPicture(WriteFile("attr.tga", attributes), 2, 2, picture.data()), 1);
    EXPECT_EQ(picture[0], Ramp(3));
}
