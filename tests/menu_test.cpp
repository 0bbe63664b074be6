// Front-end logic: the press animation, button rectangles, settings cycling, planet and track
// stepping, the track preview, the results pulse and the help pages.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/input.h"
#include "screens/backdrop.h"
#include "screens/help.h"
#include "screens/layout.h"
#include "screens/press.h"
#include "screens/results.h"
#include "screens/selection.h"
#include "screens/settings.h"

namespace {

// Drives an animation from a fresh selection to its end; records the label height drawn on
// each frame and the advance on which each effect came.
struct PressRun {
    std::vector<int32_t> heights;
    std::vector<int32_t> offsets;
    int32_t immediateAt = 0;
    int32_t finalAt = 0;
};

PressRun RunPress(int32_t step) {
    PressAnimation press = {0, 0, 0, step};
    press.selected = 5;
    PressRun run;
    for (int32_t frame = 1; frame <= 40 && press.selected != 0; ++frame) {
        run.heights.push_back((10 - press.offset) * 2);
        run.offsets.push_back(press.offset);
        const PressResult result = AdvancePress(press);
        if (result.event == PressEvent::Immediate) {
            EXPECT_EQ(result.item, 5);
            run.immediateAt = frame;
        } else if (result.event == PressEvent::Final) {
            EXPECT_EQ(result.item, 5);
            run.finalAt = frame;
        }
    }
    return run;
}

int32_t Hit(const Button* buttons, int32_t count, int32_t x, int32_t y,
            const bool* shown = nullptr) {
    return HitTest(buttons, shown, count, x, y);
}

} // namespace

TEST(PressAnimation, StepTwoSquashesStretchesAndActsOnTime) {
    const PressRun run = RunPress(2);
    EXPECT_EQ(run.heights, (std::vector<int32_t>{20, 16, 12, 8, 4, 8, 12, 16, 20, 24}));
    EXPECT_EQ(run.offsets, (std::vector<int32_t>{0, 2, 4, 6, 8, 6, 4, 2, 0, -2}));
    EXPECT_EQ(run.immediateAt, 5);
    EXPECT_EQ(run.finalAt, 10);
}

TEST(PressAnimation, StepOneTakesTwentyFrames) {
    const PressRun run = RunPress(1);
    ASSERT_EQ(run.heights.size(), 20u);
    EXPECT_EQ(run.heights.front(), 20);
    EXPECT_EQ(run.heights[9], 2);   // squashed flattest
    EXPECT_EQ(run.heights.back(), 22); // stretched tallest
    EXPECT_EQ(run.immediateAt, 10);
    EXPECT_EQ(run.finalAt, 20);

    PressAnimation idle = {0, 0, 0, 1};
    EXPECT_EQ(AdvancePress(idle).event, PressEvent::None);
    EXPECT_EQ(idle.counter, 0);
}

TEST(PressAnimation, TapDuringAnimationWaitsForTheEnd) {
    GameSettings.sfx = 0; // the click is not what is tested here
    PressAnimation press = {0, 0, 0, 2};
    while (TakeTap()) {
    }
    // PLAY GAME, then a tap on SETTINGS while PLAY GAME animates.
    StylusDownMessage((81 << 16) | 49);
    StylusUpMessage();
    PressResult result = StepPress(press, MainMenuButtons, nullptr, MainMenuButtonCount);
    EXPECT_EQ(result.event, PressEvent::Picked);
    EXPECT_EQ(result.item, PlayItem);
    StylusDownMessage((120 << 16) | 100);
    StylusUpMessage();
    int32_t finals = 0;
    for (int32_t frame = 0; frame < 10; ++frame) {
        result = StepPress(press, MainMenuButtons, nullptr, MainMenuButtonCount);
        finals += result.event == PressEvent::Final ? 1 : 0;
    }
    EXPECT_EQ(finals, 1);
    EXPECT_EQ(result.item, PlayItem);
    result = StepPress(press, MainMenuButtons, nullptr, MainMenuButtonCount);
    EXPECT_EQ(result.event, PressEvent::Picked);
    EXPECT_EQ(result.item, SettingsItem);

    // A tap that hits nothing is consumed without effect.
    ClearPress(press);
    StylusDownMessage((90 << 16) | 48);
    StylusUpMessage();
    EXPECT_EQ(StepPress(press, MainMenuButtons, nullptr, MainMenuButtonCount).event,
              PressEvent::None);
    EXPECT_FALSE(TakeTap());
    GameSettings.sfx = 1;
}

TEST(Buttons, MainMenuRectanglesAreOpen) {
    const Button* b = MainMenuButtons;
    const int32_t n = MainMenuButtonCount;
    EXPECT_EQ(Hit(b, n, 48, 90), 0);
    EXPECT_EQ(Hit(b, n, 100, 80), 0);
    EXPECT_EQ(Hit(b, n, 49, 81), PlayItem);
    EXPECT_EQ(Hit(b, n, 191, 99), PlayItem);
    EXPECT_EQ(Hit(b, n, 192, 99), 0);
    EXPECT_EQ(Hit(b, n, 100, 100), 0); // between PLAY GAME and SETTINGS
    EXPECT_EQ(Hit(b, n, 57, 111), SettingsItem);
    EXPECT_EQ(Hit(b, n, 120, 150), HelpItem);
    EXPECT_EQ(Hit(b, n, 89, 189), ExitItem);
    EXPECT_EQ(Hit(b, n, 152, 180), 0);
}

TEST(Buttons, SettingsOnlyTheValueColumnReacts) {
    const Button* b = SettingsButtons;
    const int32_t n = SettingsButtonCount;
    EXPECT_EQ(Hit(b, n, 165, 150), 0);
    EXPECT_EQ(Hit(b, n, 230, 150), 0);
    EXPECT_EQ(Hit(b, n, 166, 150), DetailLine);
    EXPECT_EQ(Hit(b, n, 229, 61), LevelLine);
    EXPECT_EQ(Hit(b, n, 200, 100), SoundFxLine);
    EXPECT_EQ(Hit(b, n, 200, 120), MusicLine);
    EXPECT_EQ(Hit(b, n, 200, 170), DistanceLine);
    EXPECT_EQ(Hit(b, n, 200, 199), SkyLine);
    EXPECT_EQ(Hit(b, n, 200, 85), 0);  // the gap below LEVEL
    EXPECT_EQ(Hit(b, n, 50, 60 + 10), 0); // a label
    EXPECT_EQ(Hit(b, n, 120, 220), SettingsOkItem);
    EXPECT_EQ(Hit(b, n, 120, 230), 0);
}

TEST(Buttons, PageButtonsHiddenCannotBeHit) {
    const Button* b = PageButtons;
    const int32_t n = PageButtonCount;
    EXPECT_EQ(Hit(b, n, 6, 221), PreviousItem);
    EXPECT_EQ(Hit(b, n, 70, 239), PreviousItem);
    EXPECT_EQ(Hit(b, n, 71, 230), 0);
    EXPECT_EQ(Hit(b, n, 172, 230), NextItem);
    EXPECT_EQ(Hit(b, n, 235, 230), 0);
    EXPECT_EQ(Hit(b, n, 120, 220), 0);

    for (int32_t page = 0; page < HelpPageCount; ++page) {
        const bool shown[PageButtonCount] = {HelpShowsOk(page), HelpShowsPrevious(page),
                                             HelpShowsNext(page)};
        EXPECT_EQ(Hit(b, n, 104, 230, shown), 0) << page; // on OK's border
        EXPECT_EQ(Hit(b, n, 110, 230, shown), page == 2 ? OkItem : 0) << page;
        EXPECT_EQ(Hit(b, n, 30, 230, shown), page > 0 ? PreviousItem : 0) << page;
        EXPECT_EQ(Hit(b, n, 200, 230, shown), page < 2 ? NextItem : 0) << page;
    }
}

TEST(Settings, DefaultsWordsAndCycling) {
    GameSettings = {0, 0, 0, 0, 0, 0};
    SetDefaultSettings();
    EXPECT_STREQ(SettingWord(LevelLine), "NORMAL");
    EXPECT_STREQ(SettingWord(SoundFxLine), "ON");
    EXPECT_STREQ(SettingWord(MusicLine), "ON");
    EXPECT_STREQ(SettingWord(DetailLine), "MEDIUM");
    EXPECT_STREQ(SettingWord(DistanceLine), "FAR");
    EXPECT_STREQ(SettingWord(SkyLine), "ON");
    EXPECT_STREQ(SettingLabel(SoundFxLine), "SOUND FX");
    EXPECT_STREQ(SettingLabel(DistanceLine), "DISTANCE");

    // DETAIL tapped four times from the default.
    const char* expected[] = {"HIGH", "LOW", "MEDIUM", "HIGH"};
    for (const char* word : expected) {
        CycleSetting(DetailLine);
        EXPECT_STREQ(SettingWord(DetailLine), word);
    }
    EXPECT_EQ(GameSettings.detail, 2);
    EXPECT_EQ(CycleSetting(MusicLine), 0);
    EXPECT_FALSE(MusicOn());
    EXPECT_EQ(CycleSetting(MusicLine), 1);
    EXPECT_EQ(CycleSetting(LevelLine), 2);
    EXPECT_EQ(CycleSetting(LevelLine), 0);
    EXPECT_STREQ(SettingWord(LevelLine), "EASY");
    EXPECT_EQ(CycleSetting(SkyLine), 0);
    EXPECT_FALSE(SkyOn());

    // Values nobody can reach from the screen never index past the words.
    GameSettings.distance = 7;
    EXPECT_STREQ(SettingWord(DistanceLine), "");
    EXPECT_EQ(CycleSetting(DistanceLine), 0);
    GameSettings.sfx = -3;
    EXPECT_STREQ(SettingWord(SoundFxLine), "");
    EXPECT_EQ(CycleSetting(SoundFxLine), 0);
    EXPECT_STREQ(SettingWord(0), "");
    EXPECT_STREQ(SettingLabel(7), "");
    EXPECT_EQ(CycleSetting(7), 0);
    SetDefaultSettings();
}

TEST(Selection, PlanetsAndTracksWrapBothWays) {
    EXPECT_EQ(NextPlanet(11), 0);
    EXPECT_EQ(PreviousPlanet(0), 11);
    EXPECT_EQ(NextPlanet(4), 5);
    EXPECT_EQ(PreviousPlanet(5), 4);
    EXPECT_EQ(NextTrack(4), 0);
    EXPECT_EQ(PreviousTrack(0), 4);
    EXPECT_EQ(NextTrack(1), 2);
    EXPECT_EQ(PreviousTrack(3), 2);

    // Every caption fits the screen with its shadow, in the SheetFont's characters only.
    char caption[16];
    for (int32_t planet = 0; planet < PlanetCount; ++planet) {
        ChoiceCaption(planet, PlanetName(planet), caption, sizeof caption);
        EXPECT_LE(std::strlen(caption) * 16, 238u) << caption;
        EXPECT_EQ(std::strspn(caption, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789., "),
                  std::strlen(caption))
            << caption;
    }
    ChoiceCaption(11, PlanetName(11), caption, sizeof caption);
    EXPECT_EQ(std::strncmp(caption, "12. ", 4), 0);
    for (int32_t track = 0; track < TrackCount; ++track) {
        ChoiceCaption(track, TrackName(track), caption, sizeof caption);
        EXPECT_LE(std::strlen(caption) * 16, 238u) << caption;
    }
    EXPECT_STREQ(PlanetName(12), "");
    EXPECT_STREQ(TrackName(-1), "");
}

TEST(TrackPreview, GreysAndSampledCells) {
    EXPECT_EQ(PreviewGrey(0), 0x0000);
    EXPECT_EQ(PreviewGrey(128), 0x8410);
    EXPECT_EQ(PreviewGrey(255), 0xFFFF);

    std::vector<uint8_t> map(512 * 512, 7);
    map[0] = 255;                  // preview (0, 0)
    map[4 * 512 + 8] = 128;        // preview (2, 1)
    map[508 * 512 + 508] = 0;      // preview (127, 127)
    map[1] = 255;                  // between samples: never shown
    std::vector<uint16_t> frame(240 * 320, 0x1234);
    DrawTrackPreview(map.data(), frame.data());
    EXPECT_EQ(frame[66 * 240 + 56], 0xFFFF);
    EXPECT_EQ(frame[67 * 240 + 58], 0x8410);
    EXPECT_EQ(frame[193 * 240 + 183], 0x0000);
    EXPECT_EQ(frame[66 * 240 + 57], PreviewGrey(7));
    // Nothing outside columns 56-183, rows 66-193.
    EXPECT_EQ(frame[66 * 240 + 55], 0x1234);
    EXPECT_EQ(frame[66 * 240 + 184], 0x1234);
    EXPECT_EQ(frame[65 * 240 + 100], 0x1234);
    EXPECT_EQ(frame[194 * 240 + 100], 0x1234);
}

TEST(ScrollingBackground, MagnifiesAndDrifts) {
    std::vector<uint16_t> colours(512 * 512);
    for (uint32_t i = 0; i < colours.size(); ++i) {
        colours[i] = static_cast<uint16_t>(i * 2654435761u >> 16);
    }
    std::vector<uint16_t> frame(240 * 320, 0xABCD);
    uint32_t scroll = 0;
    DrawScrollingBackground(scroll, colours.data(), frame.data());
    EXPECT_EQ(scroll, 2u);
    auto cell = [&](uint32_t t, uint32_t x, uint32_t y) {
        return colours[((y / 2 + 2 * t) % 512) * 512 + (t + x / 2) % 512];
    };
    EXPECT_EQ(frame[0], cell(2, 0, 0));
    EXPECT_EQ(frame[1], cell(2, 0, 0));
    EXPECT_EQ(frame[239 * 240 + 239], cell(2, 239, 239));
    EXPECT_EQ(frame[240 * 240], 0xABCD); // the logo rows stay

    // Far into a long run the drift wraps around the map without a jump.
    scroll = 0xFFFFFFFEu;
    DrawScrollingBackground(scroll, colours.data(), frame.data());
    EXPECT_EQ(scroll, 0u);
    EXPECT_EQ(frame[100 * 240 + 31], cell(0, 31, 100));
}

TEST(ResultsPulse, TimingOfTheWordAndTheTaps) {
    ResultsPulse pulse;
    StartPulse(pulse);
    std::vector<int32_t> sizes;
    int32_t endFrame = 0;
    int32_t firstTapFrame = 0;
    for (int32_t frame = 1; frame <= 300 && endFrame == 0; ++frame) {
        sizes.push_back(pulse.size); // drawn this frame
        if (AdvancePulse(pulse)) {
            endFrame = frame;
        }
        if (firstTapFrame == 0 && TapsEndResults(pulse)) {
            firstTapFrame = frame;
        }
    }
    EXPECT_EQ(endFrame, 264);
    EXPECT_EQ(firstTapFrame, 72);
    EXPECT_EQ(sizes[0], 0);
    EXPECT_EQ(sizes[12], 24); // widest on the 13th frame
    EXPECT_EQ(sizes[23], 2);
    EXPECT_EQ(sizes[24], 0); // the next pulse starts from nothing
    EXPECT_EQ(sizes[36], 24);
    for (int32_t size : sizes) {
        EXPECT_TRUE(size >= 0 && size <= 24 && size % 2 == 0);
    }

    EXPECT_STREQ(PlaceWord(1), "1ST PLACE");
    EXPECT_STREQ(PlaceWord(2), "2ND PLACE");
    EXPECT_STREQ(PlaceWord(3), "3RD PLACE");
    EXPECT_EQ(PlaceWord(0), nullptr);
    EXPECT_EQ(PlaceWord(100), nullptr);
}

TEST(HelpPages, LinesFitAndStayInPlace) {
    int32_t counts[HelpPageCount] = {};
    for (int32_t page = 0; page < HelpPageCount; ++page) {
        int32_t count = 0;
        const HelpLine* lines = HelpPageLines(page, count);
        ASSERT_NE(lines, nullptr);
        counts[page] = count;
        for (int32_t i = 0; i < count; ++i) {
            EXPECT_LE(std::strlen(lines[i].text), 27u) << page << ": " << lines[i].text;
            if (i > 0) {
                EXPECT_EQ(lines[i].y - lines[i - 1].y, 16);
            }
            // Clear of the page's buttons at row 220.
            EXPECT_LE(lines[i].y + 16, 220);
        }
    }
    EXPECT_EQ(counts[0], 9);
    EXPECT_EQ(counts[1], 12);
    EXPECT_EQ(counts[2], 9);

    int32_t count = 0;
    const HelpLine* page0 = HelpPageLines(0, count);
    EXPECT_EQ(page0[0].y, 60);
    EXPECT_STREQ(page0[2].text, " Fly your ship through the ");
    EXPECT_STREQ(page0[1].text, "                           ");
    const HelpLine* page1 = HelpPageLines(1, count);
    EXPECT_EQ(page1[0].y, 20);
    EXPECT_STREQ(page1[5].text, " Button A/Yellow circle on");
    const HelpLine* page2 = HelpPageLines(2, count);
    EXPECT_EQ(page2[0].y, 50);
    EXPECT_STREQ(page2[8].text, "Email: dev@tarnvell.example");
    EXPECT_EQ(std::strlen(page2[7].text), 27u);
    EXPECT_NE(std::strstr(page2[7].text, "www.tarnvell.example"), nullptr);

    EXPECT_EQ(HelpPageLines(3, count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(HelpPageLines(-1, count), nullptr);
}
