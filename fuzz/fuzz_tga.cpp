// Fuzz target: the picture loader over any file, at the size the file claims and at others.
#include <cstdint>
#include <vector>

#include "assets/tga.h"
#include "fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = ScratchFolder() + "picture.tga";
    if (!WriteScratchFile(path, data, size))
        return 0;
    // The size in the header, when it is a sensible one, so that whole pictures get read.
    int32_t width = 16, height = 16;
    if (size >= 16) {
        const int32_t w = data[12] | data[13] << 8, h = data[14] | data[15] << 8;
        if (w >= 1 && w <= 512 && h >= 1 && h <= 512) {
            width = w;
            height = h;
        }
    }
    // Exactly sized buffers: any write past the picture is an error the sanitizer sees.
    std::vector<uint16_t> picture(static_cast<size_t>(width) * height);
    LoadTgaPicture(path, width, height, picture.data());
    std::vector<uint16_t> other(static_cast<size_t>(width + 1) * height);
    LoadTgaPicture(path, width + 1, height, other.data());
    std::vector<uint16_t> tile(128 * 128);
    LoadTgaPicture(path, 128, 128, tile.data());
    return 0;
}
