// The two platform backends: a real window over SDL2, and a headless device for scripts.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "platform/backend.h"
#include "platform/port.h"

// The bindings of every action, as comma-separated names (see port.h); empty: unbound.
using Bindings = std::array<std::string, PortActionCount>;
Bindings DefaultKeyBindings();
Bindings DefaultPadBindings();

struct WindowBackendSettings {
    int32_t scale = 0; // whole-number window scale; 0 picks the largest that fits (<= 3)
    bool fullscreen = false;
    int32_t fps = 20;     // frames presented a second at most
    std::string iconPath; // PNG for the window's icon; empty for none
    ScalingMode scaling = ScalingMode::Fit;
    bool pauseOnFocusLoss = true;
    Bindings keys = DefaultKeyBindings();
    Bindings pads = DefaultPadBindings();
};

// Both live for the whole run; the entry installs one with SetDeviceBackend.
DeviceBackend* CreateWindowBackend(const WindowBackendSettings& settings);
// The clock advances 1000 / fps ms at each presented frame, so runs repeat exactly.
DeviceBackend* CreateHeadlessBackend(int32_t fps);

// Whether the window system knows this key name ("Z", "Space", "Keypad Enter") or this
// game-controller button name ("a", "dpup", "start"); case does not matter. Until the window
// backend has installed its checks (InstallWindowNameChecks) every name passes.
bool IsKeyName(const std::string& name);
bool IsPadButtonName(const std::string& name);
using NameCheck = bool (*)(const std::string& name);
void InstallNameChecks(NameCheck key, NameCheck pad);
// The window backend's checks, by SDL's own name tables.
void InstallWindowNameChecks();
// Splits a binding list at its commas, trimming spaces; calls `each` with every name.
template <typename Each> void ForEachBindingName(const std::string& list, Each each) {
    size_t at = 0;
    while (at <= list.size()) {
        size_t comma = list.find(',', at);
        if (comma == std::string::npos)
            comma = list.size();
        size_t first = at, last = comma;
        while (first < last && (list[first] == ' ' || list[first] == '\t'))
            ++first;
        while (last > first && (list[last - 1] == ' ' || list[last - 1] == '\t'))
            --last;
        if (last > first)
            each(list.substr(first, last - first));
        at = comma + 1;
    }
}
