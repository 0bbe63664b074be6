// The real game run inside this process on a headless device whose input comes from a hook.
#include "game_driver.h"

#include "app/main_loop.h"
#include "app/session.h"
#include "app/window.h"
#include "assets/paths.h"
#include "base/options.h"
#include "platform/backend.h"
#include "platform/device.h"
#include "platform/display.h"

namespace {

// The headless device's virtual clock, with input from the hook once a pass.
class DrivenBackend final : public DeviceBackend {
public:
    bool OpenScreen(const char*) override { return true; }
    void CloseScreen() override {}
    void PollEvents() override {
        const int64_t pass = CurrentPass();
        if (hook_ != nullptr && pass != lastPass_) {
            lastPass_ = pass;
            hook_(pass);
        }
    }
    void FramePresented() override { microseconds_ += 1000000 / 20; }
    uint32_t Ticks() override { return static_cast<uint32_t>(microseconds_ / 1000); }
    bool FindRunningCopy() override { return false; }
    void ShowRunningCopy() override {}

    void Start(PassHook hook) {
        hook_ = hook;
        lastPass_ = -1;
        microseconds_ = 0;
    }

private:
    PassHook hook_ = nullptr;
    int64_t lastPass_ = -1;
    uint64_t microseconds_ = 0;
};

DrivenBackend Backend;

} // namespace

int32_t RunDrivenGame(const DrivenRun& run) {
    GameOptions = Options{};
    GameOptions.dataDir = run.dataDir != nullptr ? run.dataDir : "";
    GameOptions.headless = true;
    GameOptions.hasSeed = true;
    GameOptions.seed = run.seed;
    GameOptions.autopilot = run.autopilot;
    GameOptions.frames = run.frames;
    if (!InitDataPaths() || !SelectDisplayProfile(GameOptions.display))
        return -1;
    Backend.Start(run.hook);
    SetDeviceBackend(&Backend);
    const int32_t code = RunGame();
    SetDeviceBackend(nullptr);
    return code;
}

void PostStylus(uint32_t message, int32_t x, int32_t y) {
    PostDeviceMessage(0, message, message == WM_LBUTTONDOWN ? 1 : 0,
                      message == WM_LBUTTONUP ? 0 : PackPoint(x, y));
}

void PostKey(uint32_t message, uint16_t code) {
    PostDeviceMessage(0, message, code, 0);
}
