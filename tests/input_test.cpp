// Key flags, stylus taps and drags as the window procedure sets them.
#include <gtest/gtest.h>

#include <tuple>

#include "app/window.h"
#include "base/input.h"
#include "platform/device.h"

namespace {

void Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    GameWindowProcedure(0, message, wParam, lParam);
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallKeyList(GXGetDefaultKeys(GX_NORMALKEYS));
        ResetAllInput();
        ResetInput();
    }
};

TEST_F(InputTest, KeysTakenAndHeld) {
    // Holding Left and pressing Right: both held until each is released.
    Send(WM_KEYDOWN, KeyCodeLeft, 0), Send(WM_KEYDOWN, KeyCodeRight, 0);
    EXPECT_EQ((std::tuple{LeftHeld(), RightHeld()}), std::tuple(true, true));
    Send(WM_KEYUP, KeyCodeLeft, 0);
    EXPECT_EQ((std::tuple{LeftHeld(), RightHeld()}), std::tuple(false, true));
    Send(WM_KEYUP, KeyCodeRight, 0);
    EXPECT_FALSE(RightHeld());

    // A is taken once; releasing it changes nothing, a press never taken stays set.
    Send(WM_KEYDOWN, KeyCodeA, 0), Send(WM_KEYUP, KeyCodeA, 0), Send(WM_KEYDOWN, KeyCodeB, 0);
    EXPECT_TRUE(TakeKeyA());
    EXPECT_EQ((std::tuple{TakeKeyA(), TakeKeyB()}), std::tuple(false, true));

    // Only the low 16 bits of the code count; Up and Down are level flags too.
    Send(WM_KEYDOWN, 0x10000 | KeyCodeUp, 0);
    EXPECT_TRUE(UpHeld());
    Send(WM_KEYDOWN, KeyCodeDown, 0), Send(WM_KEYUP, KeyCodeDown, 0);
    EXPECT_EQ((std::tuple{DownHeld(), UpHeld()}), std::tuple(false, true));
}

TEST_F(InputTest, TapsAndDrags) {
    EXPECT_FALSE(TakeTap()); // none pending at start-up
    Send(WM_LBUTTONDOWN, 1, PackPoint(10, 20)), Send(WM_LBUTTONUP, 0, 0);
    Send(WM_LBUTTONDOWN, 1, PackPoint(100, 300));
    // Two taps between frames: one reported, at the second position.
    EXPECT_TRUE(TakeTap());
    EXPECT_FALSE(TakeTap());
    // Pressing does not move the drag position; moving does.
    EXPECT_EQ(std::make_tuple(TapX(), TapY(), StylusDown(), DragX()),
              std::make_tuple(100, 300, true, 0));
    Send(WM_MOUSEMOVE, 0, PackPoint(30, 301));
    EXPECT_EQ(std::make_tuple(DragX(), DragY()), std::make_tuple(30, 301));
    Send(WM_LBUTTONUP, 0, 0);
    EXPECT_FALSE(StylusDown());
    // A tap stays pending until someone takes it, whatever happens in between.
    Send(WM_LBUTTONDOWN, 1, PackPoint(239, 319)), Send(WM_KEYDOWN, KeyCodeA, 0);
    EXPECT_EQ((std::tuple{TakeKeyA(), TakeTap()}), std::tuple(true, true));
    EXPECT_EQ(239, TapX());
}

} // namespace
