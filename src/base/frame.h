// The FrameBuffer, its presentation on the display, the message pump and the FrameTimer.
#pragma once
#include <cstdint>

constexpr int32_t ScreenWidth = 240;  // pixels
constexpr int32_t ScreenHeight = 320; // pixels
constexpr int32_t ViewHeight = 240;   // rows 0-239 hold the 3D view, 240-319 the panel

// The 240 x 320 RGB565 FrameBuffer, row-major, 240 pixels a row. Allocated at start-up
// before anything else, freed at the very end; its address never changes.
uint16_t* FrameBufferAddress();

// Fills all 153,600 bytes with `value` (each pixel becomes value * 0x0101).
void ClearFrameBuffer(uint8_t value);

// Shows the FrameBuffer on the display in the display's own layout and depth.
void PresentFrame();

// Presents (when `present`) and then dispatches every waiting window message. Called once
// per main-loop pass, once before the loop, by the load step and by the sound start-up.
void PumpMessages(bool present);

// Milliseconds from the device's tick count (virtual when headless).
uint32_t ReadTickCount();
// The FrameTimer: remembers the tick count; elapsed is unsigned, so a wrap reads right.
void StartFrameTimer();
uint32_t FrameTimerElapsed();

// Start-up and shutdown of the FrameBuffer (the program entry's first and last steps).
bool AllocateFrameBuffer();
void FreeFrameBuffer();

// The display layout kept at start-up: depth and the two pixel steps.
struct DisplayLayout {
    int32_t cBPP;
    int32_t cbxPitch; // bytes
    int32_t cbyPitch; // bytes
};
extern DisplayLayout GameDisplay;

// Writes `frame` (240 x 320 RGB565) into display memory at `origin` in the given layout,
// exactly as the device's presentation does. Unhandled depths write nothing.
void WriteFrameToDisplay(uint8_t* origin, const DisplayLayout& layout, const uint16_t* frame);
