// The port's input rules as the game sees them: device messages from keys and buttons on
// each kind of screen, held thrust, the menu focus, pause and leaving, and the picture's fit.
#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>
#include <utility>

#include "app/port_screen.h"
#include "base/state.h"
#include "device_messages.h"
#include "platform/device.h"
#include "platform/port.h"
#include "screens/layout.h"

namespace {

// A key of the default keyboard: a press and, unless held, its release.
void Press(ActionSet actions) {
    PortInput(actions, true, false, 0);
    PortInput(actions, false, false, 0);
}

// Presses each key in turn, the focus expected after each.
void Walk(std::initializer_list<std::pair<PortAction, int32_t>> moves) {
    for (const auto& [key, focus] : moves) {
        Press(ActionBit(key));
        EXPECT_EQ(PortFocusedItem(), focus) << "after key " << static_cast<int>(key);
    }
}

void ShowScreen(int32_t state) {
    GameState = state;
    SetPortScreen(DescribeScreen());
}

class PortTest : public testing::Test {
protected:
    void SetUp() override {
        ResetDevice();
        ResetPort();
        TakeMessages();
    }
    void TearDown() override {
        ResetPort();
        ResetDevice();
        GameState = StateStart;
    }
};

const Message KeyDownA{WM_KEYDOWN, KeyCodeA, 0};
const Message KeyDownB{WM_KEYDOWN, KeyCodeB, 0};

} // namespace

TEST_F(PortTest, HeldThrustPressesEveryPassWhateverTheArrowsDo) {
    ShowScreen(StateRace);
    const ActionSet z = ActionBit(PortAction::Accelerate),
                    space = ActionBit(PortAction::Accelerate);
    PortInput(z, true, false, 0);
    EXPECT_EQ(TakeMessages(), Messages{KeyDownA});
    for (int32_t pass = 0; pass < 6; ++pass) {
        // An arrow tapped between passes, and the desktop's repeat of Z: neither changes the
        // one press a pass.
        if (pass % 2 == 0)
            Press(ActionBit(PortAction::Left));
        PortInput(z, true, true, 0);
        Messages pump = TakeMessages();
        PortFramePresented();
        const Messages presented = TakeMessages();
        EXPECT_EQ(presented, Messages{KeyDownA}) << "pass " << pass;
        for (const Message& m : pump)
            EXPECT_NE(m.wParam, KeyCodeA) << "a repeat gave a second press";
    }
    // Space held too, Z let go: still held. Both let go: no more presses, one key-up.
    PortInput(space, true, false, 0);
    PortInput(z, false, false, 0);
    TakeMessages();
    PortFramePresented();
    EXPECT_EQ(TakeMessages(), Messages{KeyDownA});
    PortInput(space, false, false, 0);
    EXPECT_EQ(TakeMessages(), (Messages{{WM_KEYUP, KeyCodeA, 0}}));
    PortFramePresented();
    EXPECT_EQ(TakeMessages(), Messages{});

    // Brake holds the same way; arrows are held flags with one key-down each.
    PortInput(ActionBit(PortAction::Brake), true, false, 0);
    PortInput(ActionBit(PortAction::Right), true, false, 0);
    PortInput(ActionBit(PortAction::Right), true, true, 0);
    EXPECT_EQ(TakeMessages(), (Messages{KeyDownB, {WM_KEYDOWN, KeyCodeRight, 0}}));
    PortFramePresented();
    EXPECT_EQ(TakeMessages(), Messages{KeyDownB});
    // Held thrust belongs to races: on the results screen nothing more is pressed.
    ShowScreen(StateResults);
    PortFramePresented();
    EXPECT_EQ(TakeMessages(), Messages{});
}

TEST_F(PortTest, MenuFocusMovesOverTheScreensButtonsAndTapsTheirCentres) {
    ShowScreen(StateMainMenu);
    EXPECT_EQ(PortFocusedItem(), PlayItem);
    // Down the list and round; the keys reach the game as nothing but focus moves.
    using A = PortAction;
    Walk({{A::Down, SettingsItem},
          {A::Down, HelpItem},
          {A::Down, ExitItem},
          {A::Down, PlayItem},
          {A::Up, ExitItem},
          {A::Left, ExitItem},
          {A::Up, HelpItem}});
    EXPECT_EQ(TakeMessages(), Messages{});

    // Enter taps HELP at the middle of its rectangle (88-152 x 140-160); the next pass lifts.
    Press(ActionBit(PortAction::Start));
    Press(ActionBit(PortAction::Accelerate)); // a second before the lift is the same tap
    EXPECT_EQ(TakeMessages(), (Messages{{WM_LBUTTONDOWN, 1, PackPoint(120, 150)}}));
    ShowScreen(StateMainMenu);
    EXPECT_EQ(TakeMessages(), (Messages{{WM_LBUTTONUP, 0, 0}}));

    // Escape on the hub has no way back: it shows EXIT, and taps nothing.
    Walk({{A::Back, ExitItem}});
    EXPECT_EQ(TakeMessages(), Messages{});

    // Settings start on OK; up climbs the value column; left and right stay in it; back is
    // OK tapped.
    ShowScreen(StateSettings);
    EXPECT_EQ(PortFocusedItem(), SettingsOkItem);
    Walk({{A::Up, 6},
          {A::Up, 5},
          {A::Up, 4},
          {A::Up, 3},
          {A::Up, 2},
          {A::Up, 1},
          {A::Left, 1},
          {A::Right, 1}});
    Press(ActionBit(PortAction::Back));
    EXPECT_EQ(TakeMessages(), (Messages{{WM_LBUTTONDOWN, 1, PackPoint(120, 220)}}));

    // The selections: OK first, PREV and NEXT beside it.
    ShowScreen(StatePlanet);
    TakeMessages();
    EXPECT_EQ(PortFocusedItem(), OkItem);
    Walk({{A::Left, PreviousItem}, {A::Right, OkItem}, {A::Right, NextItem}});

    // After a click the first key only shows the focus again.
    PortMouseUsed();
    EXPECT_FALSE(ReadPortOverlay(0).focusShown);
    Walk({{A::Left, NextItem}});
    EXPECT_EQ(std::tuple(ReadPortOverlay(0).focusShown, ReadPortOverlay(0).focus.left),
              std::tuple(true, 171));
}

TEST_F(PortTest, PauseStopsTheClockAndEscapeAgainLeavesByTheExitIcon) {
    ShowScreen(StateMainMenu);
    PausePort(true, 100);
    EXPECT_FALSE(PortPaused()) << "only races pause";

    ShowScreen(StateRace);
    Press(ActionBit(PortAction::Back));
    EXPECT_EQ((std::tuple{PortPaused(), ReadPortOverlay(0).paused}), std::tuple(true, true));
    EXPECT_EQ(TakeMessages(), Messages{});
    // Another key resumes and does nothing else; 700 ms paused are left out of the clock.
    PortInput(ActionBit(PortAction::Left), true, false, 700);
    EXPECT_EQ((std::tuple{PortPaused(), PortPausedMilliseconds(5000)}), std::tuple(false, 700u));
    EXPECT_EQ(TakeMessages(), Messages{});

    // The pad's B is brake in a race, not pause; its Start pauses.
    PortInput(ActionBit(PortAction::Brake) | ActionBit(PortAction::Back), true, false, 2000);
    EXPECT_FALSE(PortPaused());
    EXPECT_EQ(TakeMessages(), Messages{KeyDownB});
    PortInput(ActionBit(PortAction::Start) | ActionBit(PortAction::Pause), true, false, 2000);
    EXPECT_TRUE(PortPaused());

    // Back while paused: the exit icon is pressed and held until the race has gone.
    PortInput(ActionBit(PortAction::Back), true, false, 2500);
    EXPECT_EQ((std::tuple{PortPaused(), PortPausedMilliseconds(9000)}), std::tuple(false, 1200u));
    const intptr_t icon = PackPoint(232, 8);
    EXPECT_EQ(TakeMessages(), (Messages{{WM_MOUSEMOVE, 0, icon}, {WM_LBUTTONDOWN, 1, icon}}));
    ShowScreen(StateRace);
    EXPECT_EQ(TakeMessages(), Messages{});
    ShowScreen(StateMainMenu);
    EXPECT_EQ(TakeMessages(), (Messages{{WM_LBUTTONUP, 0, 0}}));

    // Losing the window's focus pauses a race when asked to, and only then.
    ShowScreen(StateCountdown);
    SetPauseOnFocusLoss(false);
    PortFocusChanged(false, 3000);
    EXPECT_FALSE(PortPaused());
    SetPauseOnFocusLoss(true);
    PortFocusChanged(false, 3000);
    EXPECT_TRUE(PortPaused());
    // A click brings the game back through the backend; here the race ends under the pause
    // (the window closed), and no pause is left behind.
    ShowScreen(StateStart);
    EXPECT_FALSE(PortPaused());
}

TEST_F(PortTest, AnyKeyEndsTheResultsAsATapAndPlainScreensGetTheDeviceKeys) {
    ShowScreen(StateResults);
    Press(ActionBit(PortAction::Down));
    EXPECT_EQ(TakeMessages(), (Messages{{WM_LBUTTONDOWN, 1, PackPoint(120, 160)}}));
    // Full screen and screenshot are the window's, on every screen.
    PortInput(ActionBit(PortAction::Screenshot) | ActionBit(PortAction::Fullscreen), true, false,
              0);
    EXPECT_EQ((std::tuple{TakePortScreenshotRequest(), TakePortFullscreenRequest()}),
              std::tuple(true, true));
    EXPECT_FALSE(TakePortScreenshotRequest());

    ShowScreen(StateStart);
    TakeMessages();
    PortInput(ActionBit(PortAction::C), true, false, 0);
    PortInput(ActionBit(PortAction::C), true, true, 0);
    PortInput(ActionBit(PortAction::C), false, false, 0);
    EXPECT_EQ(
        TakeMessages(),
        (Messages{{WM_KEYDOWN, KeyCodeC, 0}, {WM_KEYDOWN, KeyCodeC, 0}, {WM_KEYUP, KeyCodeC, 0}}));
}

TEST(PortPicture, FitsEveryWindowWithoutCroppingAndMapsTheMouseBack) {
    const struct {
        int32_t w, h;
        ScalingMode mode;
        PictureRect expected;
    } cases[] = {
        {240, 320, ScalingMode::Integer, {0, 0, 240, 320, 1}},
        {720, 960, ScalingMode::Fit, {0, 0, 720, 960, 3}},
        {1200, 900, ScalingMode::Integer, {360, 130, 480, 640, 2}},
        {1200, 900, ScalingMode::Fit, {262, 0, 675, 900, 2}},
        {1000, 1000, ScalingMode::Fit, {125, 0, 750, 1000, 3}},
        {100, 100, ScalingMode::Integer, {12, 0, 75, 100, 1}}, // too small: shrunk, whole
        {0, 0, ScalingMode::Fit, {-1, -1, 3, 4, 1}},
    };
    for (const auto& c : cases) {
        const PictureRect r = FitPicture(c.w, c.h, c.mode), e = c.expected;
        EXPECT_EQ(std::tie(r.x, r.y, r.width, r.height, r.upscale),
                  std::tie(e.x, e.y, e.width, e.height, e.upscale))
            << c.w << "x" << c.h;
        EXPECT_EQ(r.width * 4, r.height * 3) << "the picture keeps its shape";
    }

    const PictureRect fit = FitPicture(1200, 900, ScalingMode::Fit);
    int32_t x = -1, y = -1;
    ASSERT_TRUE(PictureToScreen(fit, 262, 0, x, y));
    EXPECT_EQ(std::tie(x, y), std::make_tuple(0, 0));
    ASSERT_TRUE(PictureToScreen(fit, 262 + 674, 899, x, y));
    EXPECT_EQ(std::tie(x, y), std::make_tuple(239, 319));
    EXPECT_FALSE(PictureToScreen(fit, 261, 450, x, y)) << "the border is not the screen";
    EXPECT_FALSE(PictureToScreen(fit, 262 + 675, 450, x, y));
}
