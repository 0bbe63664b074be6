// The picture loader: checks the one TGA layout the game uses and converts it to RGB565.
#include "assets/tga.h"

#include <fcntl.h>
#include <unistd.h>

#include "assets/paths.h"

namespace {

uint32_t Word(const uint8_t* bytes) {
    return bytes[0] | (static_cast<uint32_t>(bytes[1]) << 8);
}

// Every picture of the game is stored in one layout; any other file would come out as noise,
// so it is refused instead.
bool IsGamePicture(const uint8_t* header, int32_t width, int32_t height) {
    return header[0] == 0             // no image ID: the colour map starts at byte 18
           && header[1] == 1          // a colour map is present
           && header[2] == 1          // uncompressed, colour-mapped
           && Word(header + 3) == 0   // the map starts at index 0 ...
           && Word(header + 5) == 256 // ... and holds 256 entries ...
           && header[7] == 24         // ... of blue, green and red bytes
           && Word(header + 12) == static_cast<uint32_t>(width) &&
           Word(header + 14) == static_cast<uint32_t>(height) && header[16] == 8 // a byte a pixel
           && (header[17] & 0xF0) == 0; // bottom row first, left to right, not interleaved
}

} // namespace

int32_t LoadTgaPicture(const char* path, int32_t width, int32_t height, uint16_t* destination) {
    if (path == nullptr || destination == nullptr || width <= 0 || height <= 0 || width > 0xFFFF ||
        height > 0xFFFF)
        return 0;
    int file = open(path, O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return 0;

    // Header and colour map; entries a short file lacks stay black.
    uint8_t head[TgaPixelOffset] = {};
    size_t headBytes = ReadUpTo(file, head, sizeof head);
    if (headBytes < static_cast<size_t>(TgaHeaderBytes) || !IsGamePicture(head, width, height)) {
        close(file);
        return 0;
    }
    uint16_t colours[256];
    for (int32_t i = 0; i < 256; ++i) {
        const int32_t entryOffset = TgaHeaderBytes + 3 * i;
        const uint8_t* entry = head + entryOffset;
        colours[i] = TgaColour(entry[0], entry[1], entry[2]);
    }

    // The indices come bottom row first: file row k is picture row height - 1 - k. They are
    // converted as they stream in, so no picture-sized scratch buffer is needed.
    const size_t rowPixels = static_cast<size_t>(width);
    const size_t total = rowPixels * static_cast<size_t>(height);
    size_t done = 0;
    size_t column = 0;
    uint16_t* row = destination + total - rowPixels; // the first file row is the bottom row
    bool ended = headBytes < sizeof head;
    uint8_t chunk[16384];
    while (done < total) {
        size_t want = total - done < sizeof chunk ? total - done : sizeof chunk;
        size_t got = ended ? 0 : ReadUpTo(file, chunk, want);
        if (got < want)
            ended = true;
        for (size_t i = 0; i < want; ++i) {
            row[column] = i < got ? colours[chunk[i]] : 0; // what the file lacks is black
            if (++column == rowPixels && row != destination) {
                column = 0;
                row -= rowPixels;
            }
        }
        done += want;
    }
    close(file);
    return 1;
}
