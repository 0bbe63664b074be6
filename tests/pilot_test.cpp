// Tests of the opponent pilot: headings, the dead band, Waypoint switching, height keeping.
#include <gtest/gtest.h>

#include <vector>

#include "race/course.h"
#include "race/flight.h"
#include "race/pilot.h"
#include "race/ship.h"
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
    s.x = 200 * 256;
    s.y = 300 * 256;
    s.altitude = 110;
    s.targetX = targetX;
    s.targetY = targetY;
    s.targetAltitude = 110;
    s.heading = 192.0;
    return s;
}

} // namespace

TEST(Pilot, WantedHeadings) {
    const int32_t x = 50000, y = 50000;
    EXPECT_EQ(WantedHeading(x, y, x - 4000, y), 192);        // west
    EXPECT_EQ(WantedHeading(x, y, x, y - 4000), 0);          // north
    EXPECT_EQ(WantedHeading(x, y, x + 4000, y), 64);         // east
    EXPECT_EQ(WantedHeading(x, y, x, y + 4000), 128);        // south
    EXPECT_EQ(WantedHeading(x, y, x - 4000, y - 4000), 224); // north-west
    EXPECT_EQ(WantedHeading(x, y, x + 4000, y + 4000), 96);  // south-east
}

TEST(Pilot, SteeringDeadBandAndDirection) {
    auto ground = FlatGround(10);
    // Flying west, the target north-west: e = 192 - 224 = -32, bank right.
    ShipState& s = PilotShip(200 * 256 - 4000, 300 * 256 - 4000);
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.bank, 250.0);

    // Target south-west (wanted 160): e = 32, bank left.
    s = PilotShip(200 * 256 - 4000, 300 * 256 + 4000);
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.bank, 6.0);

    // An error of exactly 5 gives no bank step, 6 gives one.
    s = PilotShip(200 * 256 - 4000, 300 * 256);
    s.heading = 197.0;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.bank, 0.0);
    s.heading = 198.0;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.bank, 6.0);

    // Across the wrap: heading 2 with the target just west of north (wanted 246) is a turn
    // left through 0: e = 2 - 246 = -244 <= -128, an error of 12, BankLeft.
    s = PilotShip(0, 0);
    s.x = 50000, s.y = 50000;
    s.targetX = 50000 - 1000; // wanted: a little west of north
    s.targetY = 50000 - 4000;
    int32_t wanted = WantedHeading(s.x, s.y, s.targetX, s.targetY);
    ASSERT_EQ(wanted, 246);
    s.heading = 2.0;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.bank, 6.0);

    // The predicted heading counts the turn the bank still holds: banked left at 24 the ship
    // will turn 8 further, so a heading 8 right of wanted needs no step.
    s = PilotShip(200 * 256 - 4000, 300 * 256);
    s.heading = 200.0;
    s.bank = 24.0;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.bank, 24.0);

    // Banked right (above 202) with the target to the left: BankLeft is ignored until levelled.
    s = PilotShip(200 * 256 - 4000, 300 * 256 + 4000);
    s.bank = 230.0;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.bank, 230.0);

    // A wrecked ship is left alone.
    s = PilotShip(200 * 256 - 4000, 300 * 256 - 4000);
    s.wrecked = 1;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.bank, 0.0);
    EXPECT_EQ(s.speed, 0.0);
}

TEST(Pilot, WaypointSwitching) {
    auto ground = FlatGround(20);
    ShipState& s = PilotShip(0, 0);
    // Waypoint 0 of track 0 spans cells 236-266 x 54-84; its boundary column counts as inside.
    s.targetWaypoint = 0;
    s.x = 266 * 256 + 255;
    s.y = 84 * 256;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.targetWaypoint, 1);
    EXPECT_EQ(s.targetX, ((176 + 206) >> 1) * 256);
    EXPECT_EQ(s.targetY, ((50 + 80) >> 1) * 256);
    EXPECT_GE(s.targetAltitude, 20 + 100);
    EXPECT_LE(s.targetAltitude, 20 + 119);

    // One cell outside: no switch.
    s.targetWaypoint = 0;
    s.x = 267 * 256;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.targetWaypoint, 0);

    // After the last Waypoint the pilot aims at Waypoint 0 again.
    s.targetWaypoint = 19;
    s.x = (290 + 5) * 256;
    s.y = (53 + 5) * 256;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.targetWaypoint, 0);
    EXPECT_EQ(s.targetX, 251 * 256);
    EXPECT_EQ(s.targetY, 69 * 256);

    // The random term spreads over 0-19 above the byte plus 100, never beyond.
    bool seenLow = false, seenHigh = false;
    for (int i = 0; i < 400; ++i) {
        s.targetWaypoint = 19;
        SteerOpponent(1, ground.data());
        ASSERT_GE(s.targetAltitude, 120);
        ASSERT_LE(s.targetAltitude, 139);
        seenLow |= s.targetAltitude < 125;
        seenHigh |= s.targetAltitude > 134;
    }
    EXPECT_TRUE(seenLow && seenHigh);
}

TEST(Pilot, HeightKeepingAndThrottle) {
    // Over a byte of 60 at altitude 135 the clearance is 75: nose up twice.
    auto ground = FlatGround(60);
    ShipState& s = PilotShip(200 * 256 - 4000, 300 * 256);
    s.altitude = 135;
    s.targetAltitude = 135;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.pitch, 248.0);
    // Clearance 45: three times; clearance 25: six times.
    s.pitch = 0.0;
    s.altitude = 105;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.pitch, 244.0);
    s.pitch = 0.0;
    s.altitude = 85;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.pitch, 232.0);
    // Near the nose-up limit the repeated steps stop acting once at or past 202.
    s.pitch = 206.0;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.pitch, 202.0);

    // Over a byte of 100 at altitude 180 there is no emergency climb (clearance 80), although
    // the surface stands at 200; the altitude dead band decides.
    ground = FlatGround(100);
    s = PilotShip(200 * 256 - 4000, 300 * 256);
    s.altitude = 180;
    s.targetAltitude = 185;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.pitch, 0.0);
    s.targetAltitude = 186;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.pitch, 252.0);
    s.pitch = 0.0;
    s.targetAltitude = 170;
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.pitch, 4.0);

    // Throttle every frame below top speed (ship 1 on NORMAL: 6 a step, top 105).
    s = PilotShip(200 * 256 - 4000, 300 * 256);
    ground = FlatGround(10);
    for (int i = 0; i < 17; ++i)
        SteerOpponent(1, ground.data());
    EXPECT_EQ(s.speed, 102.0);
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.speed, 108.0);
    SteerOpponent(1, ground.data());
    EXPECT_EQ(s.speed, 108.0);
}

TEST(Pilot, NoCourseInstalled) {
    BuildAngleTables();
    Course = {};
    for (ShipState& s : ShipTable)
        s = {};
    ShipTable[0].topSpeed = 10.0;
    ShipTable[0].acceleration = 1.0;
    auto ground = FlatGround(0);
    SteerOpponent(0, ground.data()); // no Waypoints: aims where it is, still flies
    EXPECT_EQ(ShipTable[0].targetWaypoint, 0);
    EXPECT_EQ(ShipTable[0].speed, 1.0);
    SteerOpponent(-1, ground.data());
    SteerOpponent(ShipSlots, ground.data());
}
