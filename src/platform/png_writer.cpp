// PNG screenshots and icons through libpng's simplified interface.
#include "platform/png_writer.h"

#include <png.h>

bool WritePngFile(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, rgb, width * 3, nullptr) != 0;
}

bool ReadPngFile(const std::string& path, std::vector<uint8_t>& rgba, int32_t& width,
                 int32_t& height) {
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    // Icons are small; anything huge is not one of ours.
    if (image.width == 0 || image.height == 0 || image.width > 1024 || image.height > 1024) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
        return false;
    width = static_cast<int32_t>(image.width);
    height = static_cast<int32_t>(image.height);
    return true;
}
