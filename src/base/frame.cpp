// The FrameBuffer and its presentation in every display layout, the message pump and the timer.
#include "base/frame.h"

#include <cstdlib>
#include <cstring>

#include "platform/device.h"

namespace {
constexpr int32_t FramePixels = ScreenWidth * ScreenHeight;
constexpr int32_t FrameBytes = FramePixels * 2; // 153,600
uint16_t* frameBuffer = nullptr;                // whole run
uint32_t timerStart = 0;                        // ms, tick count at the FrameTimer's start

// 16 bits a pixel: one block, 512-byte rows, or a per-pixel walk for stepped displays.
void WriteRgb565(uint8_t* origin, const DisplayLayout& layout, const uint16_t* frame) {
    if (layout.cbxPitch == 2 && layout.cbyPitch == 480) {
        std::memcpy(origin, frame, FrameBytes);
        return;
    }
    if (layout.cbxPitch == 2) {
        for (int32_t y = 0; y < ScreenHeight; ++y) {
            std::memcpy(origin + static_cast<intptr_t>(y) * 512, frame + y * ScreenWidth,
                        ScreenWidth * 2);
        }
        return;
    }
    // Kept: clearing the lowest bit keeps every step even, so an odd negative step moves one
    // further; no real display reports an odd step.
    const intptr_t xStep = layout.cbxPitch & ~1;
    const intptr_t yStep = layout.cbyPitch & ~1;
    uint8_t* rowStart = origin + (layout.cbyPitch < 0 ? 640 : 0);
    for (int32_t y = 0; y < ScreenHeight; ++y) {
        uint8_t* at = rowStart;
        for (int32_t x = 0; x < ScreenWidth; ++x) {
            std::memcpy(at, &frame[y * ScreenWidth + x], 2);
            at += xStep;
        }
        rowStart += yStep;
    }
}

uint32_t Grey16(uint16_t pixel) {
    return ((pixel >> 11) + ((pixel >> 5) & 63) + (pixel & 31)) / 8;
}

// 4 bits a pixel: a 320 x 240 landscape panel, each display row running up one screen column.
void WriteGrey4(uint8_t* origin, const uint16_t* frame) {
    for (int32_t x = 0; x < ScreenWidth; ++x) {
        uint8_t* row = origin + x * 160;
        for (int32_t k = 0; k < 160; ++k) {
            const uint32_t high = Grey16(frame[(319 - 2 * k) * ScreenWidth + x]);
            const uint32_t low = Grey16(frame[(318 - 2 * k) * ScreenWidth + x]);
            row[k] = static_cast<uint8_t>((high << 4) | low);
        }
    }
}

// 2 bits a pixel: sixteen pixels packed into a word, the leftmost in the first byte's top bits.
void WriteGrey2(uint8_t* origin, const DisplayLayout& layout, const uint16_t* frame) {
    uint8_t* at = origin;
    const intptr_t rowSkip = static_cast<intptr_t>((layout.cbyPitch - 60) / 4) * 4;
    for (int32_t y = 0; y < ScreenHeight; ++y) {
        const uint16_t* row = frame + y * ScreenWidth;
        for (int32_t word = 0; word < ScreenWidth / 16; ++word) {
            uint32_t packed = 0;
            for (int32_t i = 0; i < 16; ++i) {
                const uint32_t grey = row[word * 16 + i] >> 14;
                packed |= grey << (8 * (i / 4) + 6 - 2 * (i % 4));
            }
            std::memcpy(at, &packed, 4);
            at += 4;
        }
        at += rowSkip;
    }
}

} // namespace

DisplayLayout GameDisplay = {16, 2, 480};

bool AllocateFrameBuffer() {
    if (!frameBuffer)
        frameBuffer = static_cast<uint16_t*>(std::calloc(FramePixels, 2));
    return frameBuffer != nullptr;
}

void FreeFrameBuffer() {
    std::free(frameBuffer);
    frameBuffer = nullptr;
}

uint16_t* FrameBufferAddress() {
    return frameBuffer;
}

void ClearFrameBuffer(uint8_t value) {
    if (frameBuffer)
        std::memset(frameBuffer, value, FrameBytes);
}

void WriteFrameToDisplay(uint8_t* origin, const DisplayLayout& layout, const uint16_t* frame) {
    if (layout.cBPP == 16)
        WriteRgb565(origin, layout, frame);
    else if (layout.cBPP == 4)
        WriteGrey4(origin, frame);
    else if (layout.cBPP == 2)
        WriteGrey2(origin, layout, frame);
}

void PresentFrame() {
    const int32_t depth = GameDisplay.cBPP;
    if (!frameBuffer || (depth != 16 && depth != 4 && depth != 2))
        return;
    // A display that gives no address is not written through.
    if (auto* origin = static_cast<uint8_t*>(GXBeginDraw())) {
        WriteFrameToDisplay(origin, GameDisplay, frameBuffer);
    }
    GXEndDraw();
}

void PumpMessages(bool present) {
    if (present)
        PresentFrame();
    DeviceMessage message;
    while (PeekDeviceMessage(&message)) {
        GetDeviceMessage(&message);
        TranslateDeviceMessage(&message);
        DispatchDeviceMessage(&message);
    }
}

uint32_t ReadTickCount() {
    return GetTickCount();
}
void StartFrameTimer() {
    timerStart = GetTickCount();
}
uint32_t FrameTimerElapsed() {
    return GetTickCount() - timerStart;
}
