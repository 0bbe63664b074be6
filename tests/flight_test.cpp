// Tests of ship flight: control limits, levelling, movement, the ceiling, wrecks and bumps.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "base/random.h"
#include "base/ship.h"
#include "race/course.h"
#include "race/flight.h"
#include "render/camera.h"
#include "render/tables.h"

namespace {

// A fresh table with one flying ship in slot 0 at level attitude, heading west.
ShipState& FreshShip() {
    BuildAngleTables();
    for (ShipState& s : ShipTable)
        s = {};
    ShipCount = 3;
    SetFrameStep(1.0);
    ShipState& s = ShipTable[0];
    s.heading = 192.0;
    s.x = 300 * 256;
    s.y = 70 * 256;
    s.altitude = 100;
    s.acceleration = 8.0;
    s.topSpeed = 125.0;
    s.drag = 0.5;
    // Ships 1 and 2 stand wrecked so MoveShips leaves them be.
    ShipTable[1].wrecked = 1;
    ShipTable[2].wrecked = 1;
    return s;
}

// A 240 x 240 view over a cleared frame and depth buffer, for drawing explosions.
struct View {
    std::vector<uint32_t> depth = std::vector<uint32_t>(240 * 240, 0xFFFFFFFFu);
    std::vector<uint16_t> frame = std::vector<uint16_t>(240 * 320, 0);
    CameraState camera{0, 0, 1400, 0, -180, 240, 240, depth.data(), frame.data()};
};

} // namespace

TEST(Flight, BankLimitsAndLevelling) {
    ShipState& s = FreshShip();

    // At exactly 54 BankRight does nothing; levelling brings it to 51, then BankRight acts.
    s.bank = 54.0;
    BankRight(0);
    EXPECT_EQ(s.bank, 54.0);
    MoveShips();
    EXPECT_EQ(s.bank, 51.0);
    BankRight(0);
    EXPECT_EQ(s.bank, 45.0);

    // Holding BankLeft from level: 3, 6, ... 51, then 54 and 51 in turn; the heading falls by
    // a tenth of the bank before levelling.
    s = FreshShip();
    for (int i = 0; i < 21; ++i) {
        const double before = s.heading;
        BankLeft(0);
        const double bankBeforeMove = s.bank;
        MoveShips();
        EXPECT_NEAR(before - s.heading, bankBeforeMove * 0.1, 1e-9) << "frame " << i;
        EXPECT_EQ(s.bank, i < 17 ? 3.0 * (i + 1) : (i % 2 ? 54.0 : 51.0)) << "frame " << i;
    }

    // Banked right at 230: BankLeft is ignored and levelling climbs 3 a frame through the wrap
    // to exactly 0, turning the ship right meanwhile.
    s = FreshShip();
    s.bank = 230.0;
    BankLeft(0);
    const double heading = s.heading;
    for (int i = 0; i <= 9; MoveShips(), ++i)
        EXPECT_EQ(s.bank, i < 9 ? 230.0 + 3.0 * i : 0.0) << "frame " << i;
    EXPECT_GT(s.heading, heading);

    // BankRight from level wraps below 256; pitch works the same at 4 a step and levels at 2.
    s = FreshShip();
    BankRight(0), NoseUp(0);
    EXPECT_EQ(std::tuple(s.bank, s.pitch), std::tuple(250.0, 252.0));
    MoveShips();
    EXPECT_EQ(s.pitch, 254.0);
    // The limit is tested before the step, so it may pass 202; NoseDown acts only from the
    // level side.
    s.pitch = 203.0;
    for (void (*control)(int32_t) : {NoseUp, NoseUp, NoseDown}) {
        control(0);
        EXPECT_EQ(s.pitch, 199.0);
    }
    s.pitch = 1.0;
    MoveShips();
    EXPECT_EQ(s.pitch, 0.0);

    // The FrameStep scales every control step.
    s = FreshShip();
    SetFrameStep(2.0);
    BankLeft(0), NoseDown(0), Accelerate(0);
    EXPECT_EQ(std::tuple(s.bank, s.pitch, s.speed), std::tuple(12.0, 8.0, 16.0));
}

TEST(Flight, SpeedThrottleBrakeAndDrag) {
    ShipState& s = FreshShip();
    // Holding Accelerate at FrameStep 1: +7.5 a frame, then hovering between 124.5 and 132.5.
    for (int i = 1; i <= 16; ++i) {
        Accelerate(0);
        MoveShips();
        EXPECT_EQ(s.speed, 7.5 * i) << "frame " << i;
    }
    double low = 1e9, high = 0.0;
    for (int i = 0; i < 100; ++i) {
        Accelerate(0);
        high = std::max(high, s.speed);
        MoveShips();
        low = std::min(low, s.speed);
    }
    EXPECT_EQ(low, 124.5);
    EXPECT_EQ(high, 132.5);

    // Brake never leaves a negative speed; drag stops at 0 too.
    s.speed = 3.0;
    Brake(0);
    EXPECT_EQ(s.speed, 0.0);
    s.speed = 0.2;
    MoveShips();
    EXPECT_EQ(s.speed, 0.0);

    // A wrecked ship ignores every control step.
    s.wrecked = 1;
    Accelerate(0), BankLeft(0), NoseUp(0);
    EXPECT_EQ(std::tuple(s.speed, s.bank, s.pitch), std::tuple(0.0, 0.0, 0.0));
}

TEST(Flight, MovementAlongTheAttitudeAndTheCeiling) {
    ShipState& s = FreshShip();
    // Level, heading west at speed 100: 500 world units west, nothing else; then drag.
    s.speed = 100.0;
    MoveShips();
    EXPECT_EQ(std::tie(s.x, s.y, s.altitude, s.speed),
              std::make_tuple(300 * 256 - 500, 70 * 256, 100, 99.5));

    // Heading north moves toward smaller y; heading east toward larger x.
    s.heading = 0.0, s.speed = 40.0;
    MoveShips();
    EXPECT_EQ(std::tie(s.x, s.y), std::make_tuple(300 * 256 - 500, 70 * 256 - 200));
    s.heading = 64.0, s.speed = 40.0;
    MoveShips();
    EXPECT_EQ(s.x, 300 * 256 - 300);

    // Full nose-up at top speed climbs about 19 a step...
    s = FreshShip();
    s.speed = 125.0, s.pitch = 202.0 + 2.0; // levelling takes 2 off first
    MoveShips();
    EXPECT_TRUE(s.altitude >= 100 + 17 && s.altitude <= 100 + 20) << s.altitude;
    // ...and a step that would pass 230 stops there.
    s.altitude = 221, s.speed = 125.0, s.pitch = 204.0;
    MoveShips();
    EXPECT_EQ(s.altitude, 230);

    // Wrecked ships do not move.
    s.wrecked = 1, s.speed = 100.0;
    const int32_t x = s.x;
    MoveShips();
    EXPECT_EQ(std::tuple(s.x, s.speed), std::tuple(x, 100.0));
}

TEST(Flight, WreckPutBackAtTheLastCheckpoint) {
    FreshShip();
    ASSERT_TRUE(SetUpTrack(0, 1));
    SetFrameStep(1.0);
    SeedGameRandom(7); // draws 19564 and 9806
    ShipState& s = ShipTable[1];
    s.nextCheckpoint = 3; // checkpoint 2 was the last one passed: (119, 27)-(146, 107)
    s.laps = 1, s.savedHeading = 200, s.savedTargetWaypoint = 2;
    s.savedTargetX = 111 * 256, s.savedTargetY = 65 * 256, s.savedTargetAltitude = 117;
    s.speed = 90.0, s.bank = 30.0, s.pitch = 250.0;
    s.wrecked = 1, s.wreckFrames = 0;

    View view;
    std::vector<uint16_t> sheet(256 * 256, 0);

    for (int i = 1; i <= 50; ++i) {
        // A wreck is not slowed, not moved and not steered.
        UpdateWrecks(view.camera, sheet.data());
        MoveShips();
        ASSERT_EQ(std::tuple(s.wrecked, s.wreckFrames, s.speed), std::tuple(1, i, 90.0))
            << "frame " << i;
    }
    UpdateWrecks(view.camera, sheet.data()); // the 51st drawn frame puts it back
    EXPECT_EQ(std::tuple(s.wrecked, s.altitude, s.speed, s.bank, s.pitch, s.heading),
              std::tuple(0, 100, 0.0, 0.0, 0.0, 200.0));
    EXPECT_EQ(std::tuple(s.targetWaypoint, s.targetX, s.targetY, s.targetAltitude, s.nextCheckpoint,
                         s.laps),
              std::tuple(2, 111 * 256, 65 * 256, 117, 3, 1));
    // The middle half of checkpoint 2: w = 27, h = 80; x in 132 - 6 + [0, 13), y in
    // 67 - 20 + [0, 40); with the two draws of seed 7, 132 - 6 + 12 and 67 - 20 + 6.
    EXPECT_EQ(std::tie(s.x, s.y), std::make_tuple(138 * 256, 53 * 256));

    // Before any Checkpoint has been passed the ship returns at the last one of the ring,
    // and many put-backs all land inside its middle half.
    const CourseBox& last = Course.checkpoints[Course.checkpointCount - 1];
    for (int round = 0; round < 200; ++round) {
        s.nextCheckpoint = 0, s.wrecked = 1, s.wreckFrames = 50;
        UpdateWrecks(view.camera, sheet.data());
        ASSERT_EQ(s.wrecked, 0);
        const int32_t w = last.x1 - last.x0, h = last.y1 - last.y0;
        const int32_t dx = s.x / 256 - ((last.x0 + last.x1) / 2 - w / 4);
        const int32_t dy = s.y / 256 - ((last.y0 + last.y1) / 2 - h / 4);
        ASSERT_TRUE(dx >= 0 && dx < w / 2 && dy >= 0 && dy < h / 2) << dx << " " << dy;
    }
}

TEST(Flight, ExplosionPlaysForSixteenDrawnFrames) {
    FreshShip();
    ShipState& s = ShipTable[0];
    s.wrecked = 1, s.wreckFrames = 0, s.x = 10000, s.y = 0, s.altitude = 150;
    View view;
    std::vector<uint16_t> sheet(256 * 256, 0x07E0);
    for (int i = 0; i < 20; ++i) {
        std::fill(view.frame.begin(), view.frame.end(), 0);
        UpdateWrecks(view.camera, sheet.data());
        EXPECT_EQ(std::count(view.frame.begin(), view.frame.end(), 0x07E0) > 0, i < 16) << i;
    }
    EXPECT_EQ(s.wreckFrames, 20);
}

TEST(Flight, BumpingShips) {
    FreshShip();
    ShipTable[1].wrecked = ShipTable[2].wrecked = 0;
    ShipState &a = ShipTable[0], &b = ShipTable[1];
    ShipTable[2].boxMinX = ShipTable[2].boxMaxX = 1000000; // far away
    auto box = [](ShipState& s, int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t z0,
                  int32_t z1) {
        std::tie(s.boxMinX, s.boxMaxX, s.boxMinY, s.boxMaxY, s.boxMinZ, s.boxMaxZ) =
            std::tie(x0, x1, y0, y1, z0, z1);
    };
    // Boxes that only touch on every axis still overlap. On an axis where j.min is not below
    // i.max the other rule applies: d = (j.max - i.min) / 2, j by +d and i by -d.
    box(a, 0, 100, 0, 100, 50, 60);
    box(b, 100, 200, 100, 200, 60, 70);
    a.x = 50, a.y = 50, a.altitude = 110;
    b.x = 150, b.y = 150, b.altitude = 130;
    EXPECT_TRUE(BumpShips());
    EXPECT_EQ(std::tuple(a.x, a.y, a.altitude), std::tuple(50 - 100, 50 - 100, 110 - 10));
    EXPECT_EQ(std::tuple(b.x, b.y, b.altitude), std::tuple(150 + 100, 150 + 100, 130 + 10));

    // A real overlap moves each ship by half of it on each axis (j by -d where j.min < i.max).
    box(b, 80, 180, 90, 190, 55, 65);
    a.x = 50, a.y = 50, a.altitude = 110;
    b.x = 150, b.y = 150, b.altitude = 130;
    EXPECT_TRUE(BumpShips());
    EXPECT_EQ(std::tuple(a.x, a.y, a.altitude), std::tuple(50 + 10, 50 + 5, 110 + 2));
    EXPECT_EQ(std::tuple(b.x, b.y, b.altitude), std::tuple(150 - 10, 150 - 5, 130 - 2));

    // A gap of one unit on a single axis is no overlap; a wrecked ship is never bumped.
    box(b, 101, 180, 90, 190, 55, 65);
    EXPECT_FALSE(BumpShips());
    box(b, 80, 180, 90, 190, 55, 65);
    b.wrecked = 1;
    EXPECT_FALSE(BumpShips());
}

TEST(Flight, WrapAngle) {
    const double wraps[][3] = {{250.0, 10.0, 4.0}, {4.0, -10.0, 250.0}, {0, 0, 0}, {255.5, 0.5, 0}};
    for (const auto& w : wraps)
        EXPECT_EQ(WrapAngle(w[0], w[1]), w[2]) << w[0] << " + " << w[1];
    // A runaway value still ends in range instead of looping for ever.
    const double far = WrapAngle(0.0, 1.0e12);
    EXPECT_TRUE(far >= 0.0 && far < 256.0) << far;
    // The step is never above 4 (frame rate 5) nor negative.
    const double steps[3][2] = {{20.0, 4.0}, {-1.0, 0.0}, {20.0f / 12.0f, 20.0f / 12.0f}};
    for (const auto& step : steps) {
        SetFrameStep(step[0]);
        EXPECT_EQ(FrameStep, step[1]) << step[0];
    }
    SetFrameStep(1.0);
}
