// Scratch files for the fuzz targets: each input becomes a real file the loaders open.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A folder of this process's own under $TMPDIR (or /tmp), ending with '/'.
inline const std::string& ScratchFolder() {
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string path = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                           "/tarnvell_fuzz_" + std::to_string(getpid()) + "/";
        std::system(("mkdir -p '" + path + "Map' '" + path + "Graph' '" + path + "Sound'").c_str());
        return path;
    }();
    return folder;
}

// Writes `size` bytes to `path`; false when the file cannot be written.
inline bool WriteScratchFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}
