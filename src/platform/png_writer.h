// Writes 8-bit RGB pictures as PNG files (screenshots).
#pragma once
#include <cstdint>
#include <string>

bool WritePngFile(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height);
