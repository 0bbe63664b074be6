// Shared file writers of the baker: raw bytes and PNG previews.
#include <png.h>

#include <cstdio>

#include "bake.h"

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "tarnvell_bake: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        std::fprintf(stderr, "tarnvell_bake: cannot write %s\n", path.c_str());
    return ok;
}

bool WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    if (rgb.size() < static_cast<size_t>(width) * height * 3 ||
        !png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), width * 3, nullptr)) {
        std::fprintf(stderr, "tarnvell_bake: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}
