// The picture loader: colour conversion, row order, short files and refused files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/tga.h"

namespace {

// A TGA file in the game's layout: `indices` top row first, as a person would list them.
std::vector<uint8_t> GameTga(int32_t width, int32_t height, const std::vector<uint8_t>& palette,
                             const std::vector<uint8_t>& indices) {
    std::vector<uint8_t> bytes(786 + static_cast<size_t>(width) * height, 0);
    bytes[1] = 1;
    bytes[2] = 1;
    bytes[6] = 1; // 256 entries
    bytes[7] = 24;
    bytes[12] = static_cast<uint8_t>(width);
    bytes[13] = static_cast<uint8_t>(width >> 8);
    bytes[14] = static_cast<uint8_t>(height);
    bytes[15] = static_cast<uint8_t>(height >> 8);
    bytes[16] = 8;
    for (size_t i = 0; i < palette.size() && i < 768; ++i)
        bytes[18 + i] = palette[i];
    for (int32_t row = 0; row < height; ++row)
        for (int32_t x = 0; x < width; ++x)
            bytes[786 + static_cast<size_t>(height - 1 - row) * width + x] =
                indices[static_cast<size_t>(row) * width + x];
    return bytes;
}

std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "tarnvell_tga_test";
    std::filesystem::create_directories(dir);
    std::string path = (dir / name).string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file != nullptr) {
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

// Palette entry i is (blue i, green 255 - i, red i ^ 0x5A): every entry differs.
std::vector<uint8_t> RampPalette() {
    std::vector<uint8_t> palette(768);
    for (int32_t i = 0; i < 256; ++i) {
        palette[3 * i] = static_cast<uint8_t>(i);
        palette[3 * i + 1] = static_cast<uint8_t>(255 - i);
        palette[3 * i + 2] = static_cast<uint8_t>(i ^ 0x5A);
    }
    return palette;
}

uint16_t RampColour(int32_t i) {
    return TgaColour(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                     static_cast<uint8_t>(i ^ 0x5A));
}

} // namespace

TEST(Tga, ConvertsColourMapDroppingLowBits) {
    std::vector<uint8_t> palette(768, 0);
    auto set = [&](int i, uint8_t b, uint8_t g, uint8_t r) {
        palette[3 * i] = b;
        palette[3 * i + 1] = g;
        palette[3 * i + 2] = r;
    };
    set(5, 0x07, 0x03, 0xFF);
    set(6, 0xFF, 0xFF, 0xFF);
    set(7, 0x08, 0x04, 0x08);
    uint16_t picture[4] = {1, 1, 1, 1};
    ASSERT_EQ(
        LoadTgaPicture(WriteFile("red.tga", GameTga(2, 2, palette, {5, 5, 5, 5})), 2, 2, picture),
        1);
    for (uint16_t pixel : picture)
        EXPECT_EQ(pixel, 0xF800);

    ASSERT_EQ(
        LoadTgaPicture(WriteFile("mix.tga", GameTga(2, 2, palette, {6, 7, 0, 5})), 2, 2, picture),
        1);
    EXPECT_EQ(picture[0], 0xFFFF);
    EXPECT_EQ(picture[1], 0x0821);
    EXPECT_EQ(picture[2], 0x0000);
    EXPECT_EQ(picture[3], 0xF800);
}

TEST(Tga, FirstFileRowBecomesBottomRow) {
    std::vector<uint8_t> bytes = GameTga(3, 2, RampPalette(), {0, 0, 0, 0, 0, 0});
    const uint8_t fileRows[6] = {10, 11, 12, 20, 21, 22}; // as stored: bottom row first
    for (int i = 0; i < 6; ++i)
        bytes[786 + i] = fileRows[i];
    uint16_t picture[6] = {};
    ASSERT_EQ(LoadTgaPicture(WriteFile("rows.tga", bytes), 3, 2, picture), 1);
    const uint16_t expected[6] = {RampColour(20), RampColour(21), RampColour(22),
                                  RampColour(10), RampColour(11), RampColour(12)};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(picture[i], expected[i]) << "pixel " << i;
}

TEST(Tga, LargePictureCrossesReadChunks) {
    // 200 x 130 = 26,000 indices: more than one read of the loader, rows not chunk aligned.
    const int32_t width = 200, height = 130;
    std::vector<uint8_t> indices(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            indices[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(x * 7 + y * 13);
    std::vector<uint16_t> picture(indices.size(), 0x1234);
    ASSERT_EQ(LoadTgaPicture(WriteFile("large.tga", GameTga(width, height, RampPalette(), indices)),
                             width, height, picture.data()),
              1);
    for (size_t i = 0; i < indices.size(); ++i)
        ASSERT_EQ(picture[i], RampColour(indices[i])) << "pixel " << i;
}

TEST(Tga, ShortFileFillsWhatItHoldsAndBlackensTheRest) {
    // A 4 x 3 picture cut after its first stored row (the bottom row) and one more pixel.
    std::vector<uint8_t> indices = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::vector<uint8_t> bytes = GameTga(4, 3, RampPalette(), indices);
    bytes.resize(786 + 5);
    std::vector<uint16_t> picture(12, 0x1234);
    ASSERT_EQ(LoadTgaPicture(WriteFile("short.tga", bytes), 4, 3, picture.data()), 1);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(picture[i], i == 4 ? RampColour(5) : 0) << i;
    for (int i = 8; i < 12; ++i)
        EXPECT_EQ(picture[i], RampColour(indices[i])) << i;

    // Cut inside the colour map: no index is there, so every pixel is black.
    std::vector<uint8_t> cut = GameTga(2, 1, RampPalette(), {1, 200});
    cut.resize(18 + 3 * 100);
    uint16_t pair[2] = {7, 7};
    ASSERT_EQ(LoadTgaPicture(WriteFile("cutmap.tga", cut), 2, 1, pair), 1);
    EXPECT_EQ(pair[0], 0);
    EXPECT_EQ(pair[1], 0);
}

TEST(Tga, MissingAndForeignFilesLeaveThePictureUntouched) {
    const std::vector<uint8_t> good = GameTga(2, 2, RampPalette(), {1, 2, 3, 4});
    struct Case {
        const char* name;
        size_t offset;
        uint8_t value;
    };
    const Case cases[] = {
        {"rle.tga", 2, 9},           {"truecolour.tga", 2, 2}, {"grey.tga", 2, 3},
        {"nomap.tga", 1, 0},         {"imageid.tga", 0, 4},    {"mapstart.tga", 3, 1},
        {"mapempty.tga", 6, 0},      {"map16bit.tga", 7, 16},  {"wide.tga", 12, 3},
        {"tall.tga", 14, 1},         {"16bpp.tga", 16, 16},    {"topdown.tga", 17, 0x20},
        {"rightleft.tga", 17, 0x10},
    };
    std::vector<uint16_t> picture(4, 0xABCD);
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        bytes[c.offset] = c.value;
        EXPECT_EQ(LoadTgaPicture(WriteFile(c.name, bytes), 2, 2, picture.data()), 0) << c.name;
    }
    std::vector<uint8_t> header(good.begin(), good.begin() + 10);
    EXPECT_EQ(LoadTgaPicture(WriteFile("header.tga", header), 2, 2, picture.data()), 0);
    EXPECT_EQ(LoadTgaPicture(WriteFile("empty.tga", {}), 2, 2, picture.data()), 0);
    EXPECT_EQ(LoadTgaPicture("/nonexistent/folder/cloud.tga", 2, 2, picture.data()), 0);
    // The right file asked for at another size is refused too.
    std::string path = WriteFile("good.tga", good);
    EXPECT_EQ(LoadTgaPicture(path, 4, 1, picture.data()), 0);
    EXPECT_EQ(LoadTgaPicture(path, 0, 2, picture.data()), 0);
    EXPECT_EQ(LoadTgaPicture(path, 2, 2, nullptr), 0);
    EXPECT_EQ(LoadTgaPicture(nullptr, 2, 2, picture.data()), 0);
    for (uint16_t pixel : picture)
        EXPECT_EQ(pixel, 0xABCD);
    // Attribute bits of the descriptor do not change the layout: still accepted.
    std::vector<uint8_t> attributes = good;
    attributes[17] = 0x08;
    EXPECT_EQ(LoadTgaPicture(WriteFile("attr.tga", attributes), 2, 2, picture.data()), 1);
    EXPECT_EQ(picture[0], RampColour(1));
}
