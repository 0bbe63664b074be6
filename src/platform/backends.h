// The two platform backends: a real window over SDL2, and a headless device for scripts.
#pragma once
#include <cstdint>
#include <string>

#include "platform/backend.h"

struct WindowBackendSettings {
    int32_t scale = 0; // whole-number window scale; 0 picks the largest that fits (<= 3)
    bool fullscreen = false;
    int32_t fps = 20;     // frames presented a second at most
    std::string iconPath; // PNG for the window's icon; empty for none
};

// Both live for the whole run; the entry installs one with SetDeviceBackend.
DeviceBackend* CreateWindowBackend(const WindowBackendSettings& settings);
// The clock advances 1000 / fps ms at each presented frame, so runs repeat exactly.
DeviceBackend* CreateHeadlessBackend(int32_t fps);
