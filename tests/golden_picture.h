// Golden pictures for tests: compare a rendered RGB565 picture with tests/golden/NAME.png.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// True when TARNVELL_UPDATE_GOLDEN=1: the comparisons rewrite the golden files instead.
bool UpdatingGoldenPictures();

// Writes an RGB565 picture (rows `width` pixels apart) as an 8-bit RGB PNG.
bool WriteRgb565Png(const std::string& path, const uint16_t* pixels, int32_t width, int32_t height);

// A PNG of exactly `width` x `height` as RGB565 again (each channel's top bits); empty when the
// file is missing, unreadable or of another size.
std::vector<uint16_t> ReadRgb565Png(const std::string& path, int32_t width = 240,
                                    int32_t height = 320);

// Compares the picture with tests/golden/NAME.png pixel for pixel. On a mismatch the picture
// is written as NAME.actual.png in the test process's own folder (kept when a test fails) and the
// message says where and how much differs. When updating, writes the golden file and succeeds.
::testing::AssertionResult MatchesGoldenPicture(const std::string& name, const uint16_t* pixels,
                                                int32_t width, int32_t height);
