// Fuzz target: the input-script and recording reader. The bytes are a script; when it reads,
// its events are delivered pass by pass to the window procedure while a recording is made,
// and the recording must read back as a script in its turn.
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/session.h"
#include "app/window.h"
#include "base/input.h"
#include "fuzz_files.h"
#include "platform/device.h"

namespace {

bool Sorted(const std::vector<ScriptEvent>& events) {
    for (size_t i = 1; i < events.size(); ++i) {
        if (events[i].pass < events[i - 1].pass)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InstallKeyList(GXGetDefaultKeys(GX_NORMALKEYS));
    RegisterWindowClass("Tarnvell", GameWindowProcedure);
    MainWindow = CreateTopWindow("Tarnvell", "Tarnvell", 0, 0, 240, 320);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = ScratchFolder() + "script.txt";
    const std::string recordingPath = ScratchFolder() + "recording.txt";
    if (!WriteScratchFile(path, data, size))
        return 0;
    std::string error;
    std::vector<ScriptEvent> events;
    std::istringstream text(std::string(reinterpret_cast<const char*>(data), size));
    const bool parsed = ParseInputScript(text, "script", events, error);
    if (parsed && !Sorted(events))
        __builtin_trap();
    if (LoadInputScript(path, error) != parsed)
        __builtin_trap();
    if (!parsed || !OpenRecording(recordingPath, error))
        return 0;
    // A quit in an earlier input closed the window: the next input gets a new one.
    if (FindWindowByClass("Tarnvell") == 0)
        MainWindow = CreateTopWindow("Tarnvell", "Tarnvell", 0, 0, 240, 320);

    // Only the passes that hold events are started: pass numbers may be huge.
    StartPass(0);
    for (const ScriptEvent& event : events)
        StartPass(event.pass);
    CloseSession();
    OverrideTickCount(false, 0);
    DeviceMessage message;
    while (PeekDeviceMessage(&message))
        GetDeviceMessage(&message);
    ResetAllInput();

    std::ifstream recorded(recordingPath);
    std::vector<ScriptEvent> replay;
    if (!ParseInputScript(recorded, "recording", replay, error))
        __builtin_trap();
    return 0;
}
