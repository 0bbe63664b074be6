// Golden pictures for tests: PNG files under tests/golden/, rewritten on request.
#include "golden_picture.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/png_writer.h"
#include "test_folder.h"

namespace {

std::vector<uint8_t> ToRgb(const uint16_t* pixels, int32_t width, int32_t height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int32_t i = 0; i < width * height; ++i) {
        const uint32_t p = pixels[i];
        const uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
        // Bits repeated into the low end, so white is 255 and each 565 value maps to one colour.
        rgb[i * 3 + 0] = static_cast<uint8_t>((r << 3) | (r >> 2));
        rgb[i * 3 + 1] = static_cast<uint8_t>((g << 2) | (g >> 4));
        rgb[i * 3 + 2] = static_cast<uint8_t>((b << 3) | (b >> 2));
    }
    return rgb;
}

std::string GoldenPath(const std::string& name) {
    return std::string(TARNVELL_SOURCE) + "/tests/golden/" + name + ".png";
}

} // namespace

bool UpdatingGoldenPictures() {
    const char* value = std::getenv("TARNVELL_UPDATE_GOLDEN");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

bool WriteRgb565Png(const std::string& path, const uint16_t* pixels, int32_t width,
                    int32_t height) {
    return WritePngFile(path, ToRgb(pixels, width, height).data(), width, height);
}

std::vector<uint16_t> ReadRgb565Png(const std::string& path, int32_t width, int32_t height) {
    std::vector<uint8_t> rgba; // the game's own reader
    int32_t w = 0, h = 0;
    if (!ReadPngFile(path, rgba, w, h) || w != width || h != height)
        return {};
    std::vector<uint16_t> pixels(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint16_t>(((rgba[i * 4] >> 3) << 11) |
                                          ((rgba[i * 4 + 1] >> 2) << 5) | (rgba[i * 4 + 2] >> 3));
    return pixels;
}

// Every 565 value is written as one colour whose top bits it is, so comparing the golden read
// back as 565 compares the written colours.
::testing::AssertionResult MatchesGoldenPicture(const std::string& name, const uint16_t* pixels,
                                                int32_t width, int32_t height) {
    const std::string path = GoldenPath(name);
    if (UpdatingGoldenPictures()) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (!WriteRgb565Png(path, pixels, width, height))
            return ::testing::AssertionFailure() << "could not write " << path;
        return ::testing::AssertionSuccess();
    }
    const std::vector<uint16_t> expected = ReadRgb565Png(path, width, height);
    if (expected.empty()) {
        return ::testing::AssertionFailure()
               << "no golden picture " << path << " of " << width << " x " << height
               << " (make it with TARNVELL_UPDATE_GOLDEN=1)";
    }
    int32_t differing = 0, first = -1;
    for (int32_t i = 0; i < width * height; ++i) {
        if (pixels[i] != expected[i])
            first = first < 0 ? i : first, ++differing;
    }
    if (differing == 0)
        return ::testing::AssertionSuccess();
    const std::string written = (TestRoot() / (name + ".actual.png")).string();
    WriteRgb565Png(written, pixels, width, height);
    return ::testing::AssertionFailure()
           << differing << " pixels differ from " << path << ", the first at column "
           << first % width << ", row " << first / width << "; the picture is in " << written
           << " (if the change is meant, rerun with TARNVELL_UPDATE_GOLDEN=1)";
}
