// PNG files: screenshots written as 8-bit RGB, the window icon read as RGBA.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

bool WritePngFile(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height);

// Reads a PNG as 8-bit RGBA, 4 bytes a pixel, top row first. False on any failure.
bool ReadPngFile(const std::string& path, std::vector<uint8_t>& rgba, int32_t& width,
                 int32_t& height);
