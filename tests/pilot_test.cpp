// Tests of the opponent pilot: headings, the dead band, Waypoint switching, height keeping.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "base/ship.h"
#include "race/course.h"
#include "race/flight.h"
#include "race/pilot.h"
#include "render/tables.h"

namespace {

std::vector<uint8_t> FlatGround(uint8_t byte) {
    return std::vector<uint8_t>(512 * 512, byte);
}

// Track 0 set up; ship 1 level, at rest far from every Waypoint, with its aim point given.
ShipState& PilotShip(int32_t targetX, int32_t targetY) {
    BuildAngleTables();
    SetUpTrack(0, 1);
    SetFrameStep(1.0);
    ShipState& s = ShipTable[1];
    s.x = 200 * 256, s.y = 300 * 256, s.altitude = 110, s.heading = 192.0;
    s.targetX = targetX, s.targetY = targetY, s.targetAltitude = 110;
    return s;
}

} // namespace

TEST(Pilot, WantedHeadings) {
    // West, north, east, south, north-west, south-east: target offset and heading.
    const int32_t cases[6][3] = {{-4000, 0, 192}, {0, -4000, 0},       {4000, 0, 64},
                                 {0, 4000, 128},  {-4000, -4000, 224}, {4000, 4000, 96}};
    for (const auto& c : cases)
        EXPECT_EQ(WantedHeading(50000, 50000, 50000 + c[0], 50000 + c[1]), c[2]) << c[2];
}

TEST(Pilot, SteeringDeadBandAndDirection) {
    auto ground = FlatGround(10);
    // Target offset from the ship, heading, bank before and after one steering step.
    const double cases[][5] = {
        {-4000, -4000, 192, 0, 250}, // target north-west: e = 192 - 224 = -32, bank right
        {-4000, 4000, 192, 0, 6},    // south-west (wanted 160): e = 32, bank left
        {-4000, 0, 197, 0, 0},       // an error of exactly 5 gives no bank step...
        {-4000, 0, 198, 0, 6},       // ...6 gives one
        // The predicted heading counts the turn the bank still holds: banked left at 24 the
        // ship will turn 8 further, so a heading 8 right of wanted needs no step.
        {-4000, 0, 200, 24, 24},
        // Banked right (above 202) with the target to the left: BankLeft is ignored.
        {-4000, 4000, 192, 230, 230}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << " " << c[1] << " " << c[2] << " " << c[3]);
        ShipState& s = PilotShip(200 * 256 + static_cast<int32_t>(c[0]),
                                 300 * 256 + static_cast<int32_t>(c[1]));
        s.heading = c[2], s.bank = c[3];
        SteerOpponent(1, ground.data());
        EXPECT_EQ(s.bank, c[4]);
    }

    // Across the wrap: heading 2 with the target just west of north (wanted 246) is a turn
    // left through 0: e = 2 - 246 = -244 <= -128, an error of 12, BankLeft.
    ShipState& s = PilotShip(50000 - 1000, 50000 - 4000); // a little west of north
    s.x = 50000, s.y = 50000;
    ASSERT_EQ(WantedHeading(s.x, s.y, s.targetX, s.targetY), 246);
    s.heading = 2.0;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.bank, 6.0);

    // A wrecked ship is left alone.
    PilotShip(200 * 256 - 4000, 300 * 256 - 4000);
    s.wrecked = 1;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(std::tuple(s.bank, s.speed), std::tuple(0.0, 0.0));
}

TEST(Pilot, WaypointSwitching) {
    auto ground = FlatGround(20);
    ShipState& s = PilotShip(0, 0);
    // Waypoint 0 of track 0 spans cells 236-266 x 54-84; its boundary column counts as inside.
    s.targetWaypoint = 0, s.x = 266 * 256 + 255, s.y = 84 * 256;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(std::tie(s.targetWaypoint, s.targetX, s.targetY),
              std::make_tuple(1, ((176 + 206) >> 1) * 256, ((50 + 80) >> 1) * 256));
    EXPECT_TRUE(s.targetAltitude >= 20 + 100 && s.targetAltitude <= 20 + 119) << s.targetAltitude;

    // One cell outside: no switch.
    s.targetWaypoint = 0, s.x = 267 * 256;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.targetWaypoint, 0);

    // After the last Waypoint the pilot aims at Waypoint 0 again.
    s.targetWaypoint = 19, s.x = (290 + 5) * 256, s.y = (53 + 5) * 256;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(std::tie(s.targetWaypoint, s.targetX, s.targetY),
              std::make_tuple(0, 251 * 256, 69 * 256));

    // The random term spreads over 0-19 above the byte plus 100, never beyond.
    bool seenLow = false, seenHigh = false;
    for (int i = 0; i < 400; ++i) {
        s.targetWaypoint = 19;
        SteerOpponent(1, ground.data());
        ASSERT_TRUE(s.targetAltitude >= 120 && s.targetAltitude <= 139) << s.targetAltitude;
        seenLow |= s.targetAltitude < 125;
        seenHigh |= s.targetAltitude > 134;
    }
    EXPECT_EQ(std::tuple(seenLow, seenHigh), std::tuple(true, true));
}

TEST(Pilot, HeightKeepingAndThrottle) {
    // Ground byte, altitude, target altitude, pitch before and after one steering step.
    const int32_t cases[][5] = {
        // Over a byte of 60 at altitude 135 the clearance is 75: nose up twice; clearance 45:
        // three times; clearance 25: six times.
        {60, 135, 135, 0, 248},
        {60, 105, 135, 0, 244},
        {60, 85, 135, 0, 232},
        {60, 85, 135, 206, 202}, // near the nose-up limit the steps stop once at or past 202
        // Over a byte of 100 at altitude 180 there is no emergency climb (clearance 80),
        // although the surface stands at 200; the altitude dead band decides.
        {100, 180, 185, 0, 0},
        {100, 180, 186, 0, 252},
        {100, 180, 170, 0, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << " " << c[1] << " " << c[2] << " " << c[3]);
        const auto ground = FlatGround(static_cast<uint8_t>(c[0]));
        ShipState& s = PilotShip(200 * 256 - 4000, 300 * 256);
        s.altitude = c[1], s.targetAltitude = c[2], s.pitch = c[3];
        SteerOpponent(1, ground.data());
        EXPECT_EQ(s.pitch, c[4]);
    }

    // Throttle every frame below top speed (ship 1 on NORMAL: 6 a step, top 105).
    ShipState& s = PilotShip(200 * 256 - 4000, 300 * 256);
    const auto ground = FlatGround(10);
    for (int i = 1; i <= 19; ++i) {
        SteerOpponent(1, ground.data());
        EXPECT_EQ(s.speed, 6.0 * std::min(i, 18)) << i;
    }
}

TEST(Pilot, NoCourseInstalled) {
    BuildAngleTables();
    Course = {};
    for (ShipState& s : ShipTable)
        s = {};
    ShipTable[0].topSpeed = 10.0, ShipTable[0].acceleration = 1.0;
    auto ground = FlatGround(0);
    SteerOpponent(0, ground.data()); // no Waypoints: aims where it is, still flies
    EXPECT_EQ(std::tuple(ShipTable[0].targetWaypoint, ShipTable[0].speed), std::tuple(0, 1.0));
    SteerOpponent(-1, ground.data());
    SteerOpponent(ShipSlots, ground.data());
}
