// Tests of checkpoints, laps, places, the finishing order and the race panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "assets/assets.h"
#include "assets/font.h"
#include "base/frame.h"
#include "base/ship.h"
#include "race/course.h"
#include "race/laps.h"

namespace {

// Puts a ship on the centre cell of a Checkpoint of the installed course.
void PlaceAt(int32_t ship, const CourseBox& k) {
    ShipTable[ship].x = (k.x0 + k.x1) / 2 * 256, ShipTable[ship].y = (k.y0 + k.y1) / 2 * 256;
}

// Track 0 with every ship parked far from its next Checkpoint; optionally every ship already
// on its third lap with only the last Checkpoint to go.
void ParkedRace(bool lastCheckpoint = false) {
    ASSERT_TRUE(SetUpTrack(0, 1));
    for (int32_t i = 0; i < 3; ++i) {
        ShipTable[i].x = 300 * 256, ShipTable[i].y = 450 * 256;
        if (lastCheckpoint)
            ShipTable[i].laps = 2, ShipTable[i].nextCheckpoint = 14;
    }
}

} // namespace

TEST(Laps, CheckpointMarginAndOrder) {
    ParkedRace();
    const CourseBox& k0 = Course.checkpoints[0]; // (236, 25)-(264, 105)
    ShipState& s = ShipTable[0];
    // 21 cells west of the rectangle: not yet; 20 cells: passed.
    s.x = (k0.x0 - 21) * 256 + 255, s.y = 60 * 256;
    PassCheckpoints();
    EXPECT_EQ(s.nextCheckpoint, 0);
    s.x = (k0.x0 - 20) * 256;
    s.targetWaypoint = 1, s.targetX = 1234, s.targetY = 5678, s.targetAltitude = 111;
    s.heading = 191.75;
    PassCheckpoints();
    EXPECT_EQ(s.nextCheckpoint, 1);
    // The return state for a later wreck is saved on passing.
    EXPECT_EQ(std::tuple(s.savedTargetWaypoint, s.savedTargetX, s.savedTargetY,
                         s.savedTargetAltitude, s.savedHeading),
              std::tuple(1, 1234, 5678, 111, 191));
    // The far corner, bounds included.
    ParkedRace();
    s.x = (k0.x1 + 20) * 256 + 255, s.y = (k0.y1 + 20) * 256 + 255;
    PassCheckpoints();
    EXPECT_EQ(s.nextCheckpoint, 1);

    // Inside a later Checkpoint first: nothing.
    ParkedRace();
    PlaceAt(0, Course.checkpoints[3]);
    PassCheckpoints();
    EXPECT_EQ(s.nextCheckpoint, 0);
    // Only one Checkpoint a frame, even with the next one in reach too.
    PlaceAt(0, Course.checkpoints[0]);
    s.nextCheckpoint = 0;
    PassCheckpoints(), PassCheckpoints();
    EXPECT_EQ(s.nextCheckpoint, 1); // staying there does not pass Checkpoint 1

    // A wrecked ship counts nothing.
    ParkedRace();
    PlaceAt(1, Course.checkpoints[0]);
    ShipTable[1].wrecked = 1;
    PassCheckpoints();
    EXPECT_EQ(ShipTable[1].nextCheckpoint, 0);
}

TEST(Laps, LapsPlacesAndTheFinishingOrder) {
    ParkedRace();
    // At the start every ship sees both others level, so ahead: 3 OF 3 on lap 1.
    EXPECT_EQ(std::tuple(GetLapAndPlace(0).lap, GetLapAndPlace(0).place), std::tuple(1, 3));
    // Ship 2 passes Checkpoint 0 from its grid place in the first frame: the player still 3rd.
    ASSERT_TRUE(SetUpTrack(0, 1));
    PassCheckpoints();
    EXPECT_EQ(std::tuple(ShipTable[2].nextCheckpoint, ShipTable[0].nextCheckpoint),
              std::tuple(1, 0));
    EXPECT_EQ(GetLapAndPlace(0).place, 3);
    // The player passes it while ship 1 has not: 2nd.
    ShipTable[1].x = 400 * 256; // out of reach
    PlaceAt(0, Course.checkpoints[0]);
    PassCheckpoints();
    EXPECT_EQ(std::tuple(GetLapAndPlace(0).place, GetLapAndPlace(1).place), std::tuple(2, 3));

    // A lap of 15 Checkpoints completes on passing Checkpoint 14; the lap line then shows 2.
    ParkedRace();
    for (int32_t k = 0; k < 15; ++k) {
        PlaceAt(0, Course.checkpoints[k]);
        PassCheckpoints();
        EXPECT_EQ(ShipTable[0].laps, k == 14 ? 1 : 0);
    }
    EXPECT_EQ(std::tuple(ShipTable[0].nextCheckpoint, RaceResult()), std::tuple(0, 0));
    EXPECT_EQ(std::tuple(GetLapAndPlace(0).lap, GetLapAndPlace(0).place), std::tuple(2, 1));

    // Both opponents finish before the player: place 3.
    ParkedRace(true);
    PlaceAt(1, Course.checkpoints[14]), PlaceAt(2, Course.checkpoints[14]);
    PassCheckpoints();
    EXPECT_EQ(std::tuple(FinishPlace, RaceResult()), std::tuple(3, 0));
    PlaceAt(0, Course.checkpoints[14]);
    PassCheckpoints();
    EXPECT_EQ(RaceResult(), 3);

    // The player and an opponent finishing in the same frame: the player is ahead; what the
    // opponents do afterwards changes nothing.
    ParkedRace(true);
    PlaceAt(0, Course.checkpoints[14]), PlaceAt(1, Course.checkpoints[14]);
    PassCheckpoints();
    EXPECT_EQ(RaceResult(), 1);
    PlaceAt(2, Course.checkpoints[14]);
    PassCheckpoints();
    EXPECT_EQ(std::tuple(RaceResult(), ShipTable[2].laps), std::tuple(1, 3));

    // Ships keep counting after their third lap; only completing lap 3 moves FinishPlace.
    ParkedRace();
    ShipTable[1].laps = 3, ShipTable[1].nextCheckpoint = 14;
    PlaceAt(1, Course.checkpoints[14]);
    PassCheckpoints();
    EXPECT_EQ(std::tuple(ShipTable[1].laps, FinishPlace), std::tuple(4, 1));
}

TEST(Laps, RacePanel) {
    ASSERT_TRUE(AllocateFrameBuffer());
    uint16_t* screen = FrameBufferAddress();
    std::vector<uint16_t> expected(ScreenWidth * ScreenHeight, 0x1111);
    LoadFonts("/nonexistent/"); // the glyph table; the sheet is filled with a pattern below
    for (int32_t i = 0; i < SheetFontWidth * SheetFontHeight; ++i)
        SheetFontPicture[i] = static_cast<uint16_t>(i % 3 == 0 ? ColourKey : 0x07E0 + i % 7);

    // Draws the panel at a speed on a cleared screen; checks the bar's rows 235-238 against
    // the colour column x should have inside the white frame.
    auto drawAt = [&](double speed, auto inner) {
        std::fill(screen, screen + ScreenWidth * ScreenHeight, 0x1111);
        ShipTable[0].speed = speed;
        DrawRacePanel();
        for (int32_t x = 0; x < 240; ++x) {
            SCOPED_TRACE(x);
            const uint16_t colour = (x == 0 || x == 239) ? 0xFFFF : inner(x);
            EXPECT_EQ(std::tuple(screen[235 * 240 + x], screen[238 * 240 + x],
                                 screen[236 * 240 + x], screen[237 * 240 + x]),
                      std::tuple(0xFFFF, 0xFFFF, colour, colour));
        }
    };
    ParkedRace();
    // Speed 0: only the white frame.
    drawAt(0.0, [](int32_t) { return uint16_t{0x1111}; });
    // The lines read "3 OF 3" (place) at (75, 260) and "1 OF 3" (lap) at (75, 295), 10 x 15.
    DrawSheetTextScaled("3 OF 3", 10, 15, 75, 260, expected.data(), ScreenHeight);
    DrawSheetTextScaled("1 OF 3", 10, 15, 75, 295, expected.data(), ScreenHeight);
    for (int32_t p = 240 * 240; p < 240 * 320; ++p)
        ASSERT_EQ(screen[p], expected[p]) << p;

    // Half speed fills columns 1 to 120.
    drawAt(62.5, [](int32_t x) { return uint16_t(x <= 120 ? 0xF81F : 0x1111); });
    // Above top speed the bar stays within its frame; nothing written outside rows 235-238.
    drawAt(132.5, [](int32_t) { return uint16_t{0xF81F}; });
    EXPECT_EQ(std::tuple(screen[234 * 240 + 100], screen[239 * 240 + 100]),
              std::tuple(0x1111, 0x1111));
    // A ship with no top speed shows an empty bar instead of dividing by zero.
    ShipTable[0].topSpeed = 0.0;
    drawAt(132.5, [](int32_t) { return uint16_t{0x1111}; });

    ReleaseFonts();
}
