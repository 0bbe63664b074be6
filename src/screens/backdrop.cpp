// Backgrounds, logo and track preview shared by the front-end screens.
#include "screens/backdrop.h"

#include <cstddef>
#include <cstring>

#include "assets/assets.h"
#include "assets/terrain_data.h"
#include "base/frame.h"
#include "render/terrain_view.h"
#include "screens/race_screen.h"

namespace {
constexpr int32_t LogoRows = 80;
constexpr int32_t PreviewLeft = 56;    // FrameBuffer column
constexpr int32_t PreviewTop = 66;     // FrameBuffer row
constexpr int32_t PreviewSize = 128;   // pixels a side
constexpr int32_t PreviewCellStep = 4; // height-map cells per preview pixel
} // namespace

void DrawFlyoverBackground() {
    DrawTerrainView();
    AttractFlight();
}

void DrawScrollingBackground(uint32_t& scroll, const uint16_t* colours, uint16_t* surface) {
    scroll += 2;
    if (colours == nullptr) {
        return;
    }
    // Unsigned, so the drift wraps cleanly after years of frames; 2^32 is a multiple of 512.
    const uint32_t t = scroll;
    for (uint32_t y = 0; y < static_cast<uint32_t>(ViewHeight); ++y) {
        const uint32_t row = (y / 2 + 2 * t) % MapSize;
        const uint16_t* source = colours + static_cast<size_t>(row) * MapSize;
        uint16_t* out = surface + static_cast<size_t>(y) * ScreenWidth;
        for (uint32_t x = 0; x < static_cast<uint32_t>(ScreenWidth); ++x) {
            out[x] = source[(t + x / 2) % MapSize];
        }
    }
}

void DrawLogo(uint16_t* surface) {
    if (LogoPicture == nullptr) {
        return;
    }
    std::memcpy(surface + static_cast<ptrdiff_t>(ViewHeight) * ScreenWidth, LogoPicture,
                sizeof(uint16_t) * ScreenWidth * LogoRows);
}

uint16_t PreviewGrey(uint8_t height) {
    return static_cast<uint16_t>(((height >> 3) << 11) | ((height >> 2) << 5) | (height >> 3));
}

void DrawTrackPreview(const uint8_t* heightMap, uint16_t* surface) {
    if (heightMap == nullptr) {
        return;
    }
    for (int32_t j = 0; j < PreviewSize; ++j) {
        const uint8_t* cells = heightMap + static_cast<ptrdiff_t>(j) * PreviewCellStep * MapSize;
        uint16_t* out =
            surface + static_cast<ptrdiff_t>(PreviewTop + j) * ScreenWidth + PreviewLeft;
        for (int32_t i = 0; i < PreviewSize; ++i) {
            out[i] = PreviewGrey(cells[static_cast<ptrdiff_t>(i) * PreviewCellStep]);
        }
    }
}

int32_t CentredX(const char* text, int32_t glyphWidth) {
    const int32_t width = static_cast<int32_t>(std::strlen(text)) * glyphWidth;
    return width >= ScreenWidth ? 0 : (ScreenWidth - width) / 2;
}
