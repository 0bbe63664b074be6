// Presentation of the FrameBuffer in every display layout, on emulated display memory.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "base/frame.h"

namespace {

std::vector<uint16_t> Pattern() {
    std::vector<uint16_t> frame(240 * 320);
    for (int i = 0; i < 240 * 320; ++i)
        frame[i] = static_cast<uint16_t>(i * 2654435761u >> 7);
    return frame;
}

uint16_t Read16(const uint8_t* at) {
    uint16_t value;
    std::memcpy(&value, at, 2);
    return value;
}

TEST(Presentation, SixteenBitLayouts) {
    const std::vector<uint16_t> frame = Pattern();

    // Rows 480 bytes apart: byte for byte.
    std::vector<uint8_t> flat(153600, 0xAA);
    WriteFrameToDisplay(flat.data(), {16, 2, 480}, frame.data());
    EXPECT_EQ(0, std::memcmp(flat.data(), frame.data(), 153600));

    // Rows 512 bytes apart: bytes 480-511 of each row untouched.
    std::vector<uint8_t> wide(512 * 320, 0xAA);
    WriteFrameToDisplay(wide.data(), {16, 2, 512}, frame.data());
    for (int y = 0; y < 320; y += 37) {
        EXPECT_EQ(0, std::memcmp(&wide[y * 512], &frame[y * 240], 480));
        EXPECT_EQ(std::vector<uint8_t>(&wide[y * 512 + 480], &wide[y * 512 + 512]),
                  std::vector<uint8_t>(32, 0xAA));
    }

    // A landscape panel turned: pixel (x, y) at origin - 640 x + 2 y.
    std::vector<uint8_t> turned(640 * 240, 0);
    uint8_t* origin = turned.data() + 640 * 239;
    WriteFrameToDisplay(origin, {16, -640, 2}, frame.data());
    for (int y = 0; y < 320; y += 13) {
        for (int x = 0; x < 240; x += 11)
            ASSERT_EQ(frame[y * 240 + x], Read16(origin - 640 * x + 2 * y)) << x << "," << y;
    }

    // A negative row step starts 640 bytes on, and odd steps are made even.
    std::vector<uint8_t> upside(640 * 330, 0);
    uint8_t* start = upside.data() + 640 * 325;
    WriteFrameToDisplay(start, {16, 3, -641}, frame.data());
    EXPECT_EQ(std::make_tuple(frame[0], frame[1], frame[240]),
              std::make_tuple(Read16(start + 640), Read16(start + 642), Read16(start - 2)));
}

TEST(Presentation, GreyPanels) {
    std::vector<uint16_t> white(240 * 320, 0xFFFF);
    std::vector<uint8_t> grey4(38400, 0);
    WriteFrameToDisplay(grey4.data(), {4, 0, 0}, white.data());
    EXPECT_EQ(grey4, std::vector<uint8_t>(38400, 0xFF));

    // Pixel (0, 319) lands in the high four bits of the first byte; (0, 318) in the low.
    std::vector<uint16_t> frame(240 * 320, 0);
    frame[319 * 240] = 0xFFFF;   // grey (31 + 63 + 31) / 8 = 15
    frame[318 * 240] = 0x0841;   // (1 + 2 + 1) / 8 = 0
    frame[1 * 240 + 5] = 0x8410; // (16 + 32 + 16) / 8 = 8, at row 5, byte 159 high
    std::fill(grey4.begin(), grey4.end(), 0xAA);
    WriteFrameToDisplay(grey4.data(), {4, 0, 0}, frame.data());
    EXPECT_EQ(std::tuple(+grey4[0], +grey4[5 * 160 + 159]), std::tuple(0xF0, 0x80));

    // Two bits a pixel: the top two bits of red; leftmost pixel in the first byte's top bits.
    std::vector<uint16_t> two(240 * 320, 0x3FFF);
    two[0] = 0xC000, two[5] = 0x8000;
    std::vector<uint8_t> grey2(60 * 320, 0x55);
    WriteFrameToDisplay(grey2.data(), {2, 0, 60}, two.data());
    // Pixel 5 is the second of byte 1: bits 5-4.
    EXPECT_EQ(std::tuple(+grey2[0], +grey2[1], +grey2[60]), std::tuple(0xC0, 0x20, 0x00));

    // A 555 display would get 565 data unchanged; an unknown depth gets nothing.
    std::vector<uint8_t> untouched(1000, 0x11);
    WriteFrameToDisplay(untouched.data(), {8, 1, 240}, frame.data());
    EXPECT_EQ(untouched, std::vector<uint8_t>(1000, 0x11));
}

} // namespace
