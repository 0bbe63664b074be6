// The screen state machine, the frame-rate rule, the window's shell state and option parsing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/main_loop.h"
#include "app/window.h"
#include "base/options.h"
#include "base/random.h"
#include "base/state.h"
#include "platform/device.h"

namespace {

// The way through the screens and back (each replacing itself on a stack under the main
// menu, results back to the menu's update step) is checked by the race tests and the front-end
// runs through the real program; here the stack's edges.
TEST(ScreenMachine, EmptyAndDeepStacks) {
    // An empty stack returns nowhere; a deep stack stays bounded.
    ResetScreenMachine();
    ReturnToPreviousScreen();
    EXPECT_EQ(std::tuple(GameState, GameStep), std::tuple(StateStart, StepEnter));
    for (int i = 0; i < 100; ++i)
        PushScreen(StateHelp);
    EXPECT_LE(ScreenStackDepth(), 8);
    ResetScreenMachine();
}

TEST(ScreenMachine, FrameRateRule) {
    // Doubled (12 and 22 are DesktopConfig's runs at 10 and 20 frames a second), at least 5.
    EXPECT_EQ((std::tuple{MeasuredFrameRate(2), MeasuredFrameRate(0)}), std::tuple(5, 5));
}

TEST(Window, ShellStateFollowsActivation) {
    ResetDevice();
    ASSERT_TRUE(RegisterWindowClass("Tarnvell", GameWindowProcedure));
    MainWindow = CreateTopWindow("Tarnvell", "Tarnvell", 0, 0, 240, 320);
    ASSERT_NE(0, MainWindow);
    const WindowHandle taskBar = FindWindowByClass("HHTaskbar");
    ASSERT_NE(0, taskBar);
    EXPECT_FALSE(IsDeviceWindowVisible(taskBar)); // hidden on creation
    EXPECT_EQ(MainWindow, FindWindowByClass("Tarnvell"));

    WindowRect before, after;
    GetDeviceWindowRect(MainWindow, &before);
    GameWindowProcedure(MainWindow, WM_ACTIVATE, WA_INACTIVE, 0);
    GetDeviceWindowRect(MainWindow, &after);
    EXPECT_TRUE(IsDeviceWindowVisible(taskBar));
    EXPECT_EQ(before.top + 26, after.top);

    // A click activation changes nothing; a real one hides the bar again.
    GameWindowProcedure(MainWindow, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_TRUE(IsDeviceWindowVisible(taskBar));
    GameWindowProcedure(MainWindow, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_FALSE(IsDeviceWindowVisible(taskBar));

    // Destroyed from outside: a quit message is posted for the main loop to act on.
    EXPECT_FALSE(QuitPosted());
    DestroyDeviceWindow(MainWindow);
    EXPECT_TRUE(QuitPosted());
    MainWindow = 0;
    ResetDevice();
}

TEST(Options, ParsesAndRefuses) {
    auto parse = [](std::vector<const char*> args, Options& options, std::string& message) {
        args.insert(args.begin(), "tarnvell");
        return ParseOptions(static_cast<int>(args.size()), args.data(), options, message);
    };
    Options options;
    std::string message;
    ASSERT_EQ(ParseResult::Run,
              parse({"--headless", "--frames", "30", "--shot", "30:s.png", "--shot", "5:a:b.png",
                     "--fps", "30", "--display", "gray2", "--seed", "4294967295", "--autopilot"},
                    options, message));
    ASSERT_EQ(2u, options.shots.size());
    EXPECT_EQ(std::tie(options.headless, options.frames, options.shots[1].path, options.fps,
                       options.display, options.seed, options.autopilot),
              std::make_tuple(true, 30, std::string("a:b.png"), 30, std::string("gray2"),
                              4294967295u, true));

    // clang-format off
    for (std::vector<const char*> bad : {std::vector<const char*>{"--frames"}, {"--frames", "0"},
             {"--frames", "-3"}, {"--fps", "20x"}, {"--scale", "99"}, {"--display", "cga"},
             {"--shot", "12"}, {"--shot", "x:a.png"}, {"--seed", "4294967296"}, {"--bogus"},
             {"--data", ""}}) {
        // clang-format on
        Options fresh;
        EXPECT_EQ(ParseResult::Error, parse(bad, fresh, message)) << bad[0];
        EXPECT_FALSE(message.empty());
        EXPECT_EQ(std::string::npos, message.find('\n')) << "one line: " << message;
    }
    Options fresh;
    EXPECT_EQ(ParseResult::Exit, parse({"--version"}, fresh, message));
    EXPECT_EQ(0u, message.find("tarnvell "));
}

} // namespace

namespace {

// The game's generator is fixed by its numbers, so a seed gives one race on every build.
TEST(GameRandom, SequencesForFixedSeeds) {
    struct Case {
        uint32_t seed;
        std::vector<int32_t> draws;
    };
    const Case cases[] = {
        // The C standard's example generator from seed 1.
        {1, {16838, 5758, 10113, 17515, 31051, 5627, 23010, 7419, 16212, 4086}},
        {7, {19564, 9806}},
        {4294967295u, {15929, 4409, 9862}},
    };
    for (const Case& c : cases) {
        SeedGameRandom(c.seed);
        for (size_t i = 0; i < c.draws.size(); ++i)
            EXPECT_EQ(c.draws[i], GameRandom()) << "seed " << c.seed << ", draw " << i;
    }
    // Reseeding starts the sequence again; results stay in 0..32767 over a long run.
    SeedGameRandom(0);
    const int32_t first = GameRandom();
    int32_t least = GameRandomMost, most = 0;
    for (int32_t i = 0; i < 100000; ++i) {
        const int32_t r = GameRandom();
        least = std::min(least, r);
        most = std::max(most, r);
    }
    SeedGameRandom(0);
    EXPECT_EQ(std::make_tuple(GameRandom(), least, most),
              std::make_tuple(first, 0, GameRandomMost));
}

} // namespace
