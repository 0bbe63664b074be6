// Front-end logic: the press animation, button rectangles, settings cycling, planet and track
// stepping, the track preview, the scrolling background, the results pulse and the help pages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "base/settings.h"
#include "screens/backdrop.h"
#include "screens/help.h"
#include "screens/layout.h"
#include "screens/press.h"
#include "screens/results.h"
#include "screens/selection.h"

TEST(MenuPress, SquashStretchAndEffectsPerStep) {
    for (int32_t step : {2, 1}) {
        PressAnimation press = {5, 0, 0, step};
        std::vector<int32_t> heights;
        int32_t immediateAt = 0, finalAt = 0;
        for (int32_t frame = 1; frame <= 40 && press.selected != 0; ++frame) {
            heights.push_back((10 - press.offset) * 2); // the label drawn this frame
            const PressResult result = AdvancePress(press);
            if (result.event == PressEvent::Immediate) {
                immediateAt = frame;
            } else if (result.event == PressEvent::Final) {
                EXPECT_EQ(result.item, 5);
                finalAt = frame;
            }
        }
        if (step == 2) {
            EXPECT_EQ(heights, (std::vector<int32_t>{20, 16, 12, 8, 4, 8, 12, 16, 20, 24}));
        } else {
            ASSERT_EQ(heights.size(), 20u);
            EXPECT_EQ(std::tuple(heights[9], heights[19]), std::tuple(2, 22));
        }
        EXPECT_TRUE(immediateAt == 10 / step && finalAt == 20 / step)
            << immediateAt << " " << finalAt;
    }
    PressAnimation idle = {0, 0, 0, 1};
    EXPECT_EQ((std::tuple{AdvancePress(idle).event, idle.counter}),
              std::tuple(PressEvent::None, 0));
}

TEST(MenuButtons, OpenRectanglesAndHiddenButtons) {
    auto hit = [](const Button* buttons, int32_t count, int32_t x, int32_t y,
                  const bool* shown = nullptr) { return HitTest(buttons, shown, count, x, y); };
    // EXIT's far corner (PLAY GAME's near edges are FrontEndRun's taps), then settings points
    // (200, 85 is below LEVEL, 50, 70 a label).
    EXPECT_EQ(hit(MainMenuButtons, MainMenuButtonCount, 89, 189), ExitItem);
    const int32_t points[7][3] = {
        {165, 150, 0}, {230, 150, 0}, {166, 150, DetailLine},    {229, 199, SkyLine},
        {200, 85, 0},  {50, 70, 0},   {120, 220, SettingsOkItem}};
    for (const auto& p : points)
        EXPECT_EQ(hit(SettingsButtons, SettingsButtonCount, p[0], p[1]), p[2])
            << p[0] << ", " << p[1];

    for (int32_t page = 0; page < HelpPageCount; ++page) {
        const bool shown[PageButtonCount] = {HelpShowsOk(page), HelpShowsPrevious(page),
                                             HelpShowsNext(page)};
        EXPECT_EQ(hit(PageButtons, PageButtonCount, 104, 230, shown), 0) << page;
        EXPECT_EQ(hit(PageButtons, PageButtonCount, 110, 230, shown), page == 2 ? OkItem : 0);
        EXPECT_EQ(hit(PageButtons, PageButtonCount, 70, 239, shown), page > 0 ? PreviousItem : 0);
        EXPECT_EQ(hit(PageButtons, PageButtonCount, 234, 221, shown), page < 2 ? NextItem : 0);
    }
}

TEST(MenuSettings, WordsCyclingAndValuesOutOfRange) {
    SetDefaultSettings();
    const auto words = [] {
        return std::string(SettingWord(LevelLine)) + "/" + SettingWord(DistanceLine) + "/" +
               SettingWord(DetailLine) + "/" + SettingLabel(SoundFxLine) + "/" + SettingLabel(7);
    };
    EXPECT_EQ(words(), "NORMAL/FAR/MEDIUM/SOUND FX/");
    // DETAIL, MUSIC and SOUND FX cycle in FrontEndRun's whole game; LEVEL here.
    EXPECT_EQ(CycleSetting(LevelLine), 2);
    EXPECT_EQ(CycleSetting(LevelLine), 0);

    // Values nobody can reach from the screen never index past the words.
    GameSettings.distance = 7, GameSettings.sfx = -3;
    EXPECT_STREQ(SettingWord(DistanceLine), "");
    EXPECT_EQ((std::tuple{CycleSetting(DistanceLine), CycleSetting(SoundFxLine), CycleSetting(0)}),
              std::tuple(0, 0, 0));
    SetDefaultSettings();
}

TEST(MenuSelection, CaptionsThatFit) {
    char caption[16];
    for (int32_t i = 0; i < PlanetCount + TrackCount; ++i) {
        const bool planet = i < PlanetCount;
        const int32_t index = planet ? i : i - PlanetCount;
        ChoiceCaption(index, planet ? PlanetName(index) : TrackName(index), caption,
                      sizeof caption);
        // Whole glyphs and their shadow on screen, in characters the SheetFont has.
        EXPECT_LE(std::strlen(caption) * 16, 238u) << caption;
        EXPECT_EQ(std::strspn(caption, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789. "),
                  std::strlen(caption));
    }
    ChoiceCaption(11, PlanetName(11), caption, sizeof caption);
    EXPECT_EQ(std::strncmp(caption, "12. ", 4), 0);
    EXPECT_STREQ(PlanetName(12), "");
}

TEST(MenuBackgrounds, TrackPreviewAndScrolling) {
    EXPECT_EQ(std::tuple(PreviewGrey(0), PreviewGrey(128), PreviewGrey(255)),
              std::tuple(0x0000, 0x8410, 0xFFFF));
    std::vector<uint8_t> map(512 * 512, 7);
    map[4 * 512 + 8] = 128;   // preview (2, 1)
    map[508 * 512 + 508] = 0; // preview (127, 127)
    map[1] = 255;             // between samples: never shown
    std::vector<uint16_t> frame(240 * 320, 0x1234);
    DrawTrackPreview(map.data(), frame.data());
    const int32_t pixels[][3] = {{67, 58, 0x8410},
                                 {193, 183, 0},
                                 {66, 57, PreviewGrey(7)},
                                 {66, 55, 0x1234},
                                 {194, 184, 0x1234}};
    for (const auto& p : pixels)
        EXPECT_EQ(frame[p[0] * 240 + p[1]], p[2]) << p[0] << "," << p[1];

    std::vector<uint16_t> colours(512 * 512);
    for (uint32_t i = 0; i < colours.size(); ++i)
        colours[i] = static_cast<uint16_t>(i * 2654435761u >> 16);
    auto cell = [&](uint32_t t, uint32_t x, uint32_t y) {
        return colours[((y / 2 + 2 * t) % 512) * 512 + (t + x / 2) % 512];
    };
    // Far into a long run the drift wraps around the map without a jump.
    for (uint32_t start : {0u, 0xFFFFFFFEu}) {
        uint32_t scroll = start;
        DrawScrollingBackground(scroll, colours.data(), frame.data());
        EXPECT_EQ(scroll, start + 2);
        EXPECT_EQ(
            std::make_tuple(frame[1], frame[100 * 240 + 31], frame[239 * 240 + 239]),
            std::make_tuple(cell(scroll, 0, 0), cell(scroll, 31, 100), cell(scroll, 239, 239)));
        EXPECT_EQ(frame[240 * 240], 0x1234); // the logo rows stay
    }
}

TEST(MenuResults, PulseTimingAndPlaceWords) {
    ResultsPulse pulse;
    StartPulse(pulse);
    std::vector<int32_t> sizes;
    int32_t endFrame = 0, firstTapFrame = 0;
    for (int32_t frame = 1; frame <= 300 && endFrame == 0; ++frame) {
        sizes.push_back(pulse.size);
        endFrame = AdvancePulse(pulse) ? frame : 0;
        firstTapFrame = firstTapFrame == 0 && TapsEndResults(pulse) ? frame : firstTapFrame;
    }
    EXPECT_EQ(std::tie(endFrame, firstTapFrame), std::make_tuple(264, 72));
    // Widest on the 13th frame.
    EXPECT_EQ(std::tuple(sizes[0], sizes[12], sizes[23], sizes[24]), std::tuple(0, 24, 2, 0));
    EXPECT_EQ(std::string(PlaceWord(1)) + "/" + PlaceWord(3), "1ST PLACE/3RD PLACE");
    EXPECT_EQ(std::tuple(PlaceWord(0), PlaceWord(100)), std::tuple(nullptr, nullptr));
}

TEST(MenuHelp, LinesFitAndStayInPlace) {
    const int32_t expectedCounts[HelpPageCount] = {9, 12, 9};
    const int32_t firstRows[HelpPageCount] = {60, 20, 50};
    for (int32_t page = 0; page < HelpPageCount; ++page) {
        int32_t count = 0;
        const HelpLine* lines = HelpPageLines(page, count);
        ASSERT_EQ(count, expectedCounts[page]);
        EXPECT_EQ(lines[0].y, firstRows[page]);
        for (int32_t i = 0; i < count; ++i) {
            EXPECT_LE(std::strlen(lines[i].text), 27u) << lines[i].text;
            EXPECT_EQ(lines[i].y, firstRows[page] + 16 * i);
            EXPECT_LE(lines[i].y + 16, 220); // clear of the buttons
        }
    }
    int32_t count = 0;
    EXPECT_STREQ(HelpPageLines(0, count)[1].text, "                           ");
    EXPECT_STREQ(HelpPageLines(1, count)[5].text, " Button A/Yellow circle on");
    EXPECT_STREQ(HelpPageLines(2, count)[8].text, "Email: dev@tarnvell.example");
    EXPECT_EQ((std::tuple{HelpPageLines(3, count), count}), std::tuple(nullptr, 0));
}
