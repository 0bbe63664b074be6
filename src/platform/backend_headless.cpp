// The headless device: memory display, no window, and a virtual clock driven by frames.
#include "platform/backends.h"

namespace {

class HeadlessBackend final : public DeviceBackend {
public:
    explicit HeadlessBackend(int32_t fps) : fps_(fps > 0 ? fps : 20) {}
    bool OpenScreen(const char*) override { return true; }
    void CloseScreen() override {}
    void PollEvents() override {}
    void FramePresented() override { microseconds_ += 1000000 / static_cast<uint64_t>(fps_); }
    uint32_t Ticks() override { return static_cast<uint32_t>(microseconds_ / 1000); }
    // Headless runs never see each other, so tests can run in parallel.
    bool FindRunningCopy() override { return false; }
    void ShowRunningCopy() override {}

private:
    int32_t fps_;
    uint64_t microseconds_ = 0;
};

} // namespace

DeviceBackend* CreateHeadlessBackend(int32_t fps) {
    static HeadlessBackend backend(fps);
    return &backend;
}
