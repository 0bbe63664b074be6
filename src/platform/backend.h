// What a platform backend gives the emulated device: a screen, events, a clock, other copies.
#pragma once
#include <cstdint>

// One backend serves the whole run; chosen by the program entry (window or headless).
class DeviceBackend {
public:
    virtual ~DeviceBackend() = default;
    // Called when the game's window is created and destroyed.
    virtual bool OpenScreen(const char* title) = 0;
    virtual void CloseScreen() = 0;
    // Turns pending input and window events into device messages (PostDeviceMessage).
    virtual void PollEvents() = 0;
    // A frame has been written to display memory (GXEndDraw): show it, and pace.
    virtual void FramePresented() = 0;
    virtual uint32_t Ticks() = 0;
    // Another running copy of the game: find it, and bring its window to the front.
    virtual bool FindRunningCopy() = 0;
    virtual void ShowRunningCopy() = 0;
};

// Installs the backend the device calls; null restores the built-in quiet one.
void SetDeviceBackend(DeviceBackend* backend);
DeviceBackend& CurrentBackend();

// Asks the game to end as if its window had been closed (signals, the desktop's close).
void RequestDeviceClose();
