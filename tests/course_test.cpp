// Course set-up: the five courses as installed, the start grid and the ships' starting state.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <tuple>

#include "base/ship.h"
#include "race/course.h"

namespace {

bool SameBytes(const void* a, const void* b, size_t size) {
    return std::memcmp(a, b, size) == 0;
}

} // namespace

TEST(Course, TrackZeroNormalStartsOnItsGridAimingAtWaypointZero) {
    ASSERT_TRUE(SetUpTrack(0, 1));
    // Acceleration per ship (the grid and the top speeds are the two tests below).
    const double acceleration[3] = {8.0, 6.0, 7.0};
    for (int32_t slot = 0; slot < 3; ++slot) {
        SCOPED_TRACE(slot);
        const ShipState& ship = ShipTable[slot];
        EXPECT_EQ(ship.acceleration, acceleration[slot]);
        EXPECT_EQ(
            std::tuple(ship.altitude, ship.heading, ship.pitch, ship.bank, ship.speed, ship.drag),
            std::tuple(100, 192.0, 0.0, 0.0, 0.0, 0.5));
        EXPECT_EQ(std::tuple(ship.targetWaypoint, ship.targetX, ship.targetY, ship.targetAltitude),
                  std::tuple(0, 251 * 256, 69 * 256, 100));
        EXPECT_EQ(std::tuple(ship.nextCheckpoint, ship.laps, ship.wrecked), std::tuple(0, 0, 0));
        // The saved return state points along the course from the start.
        EXPECT_EQ(std::tuple(ship.savedTargetWaypoint, ship.savedTargetX, ship.savedTargetY,
                             ship.savedTargetAltitude, ship.savedHeading),
                  std::tuple(0, 251 * 256, 69 * 256, 100, 192));
    }
    EXPECT_EQ(std::tuple(ShipCount, FinishPlace), std::tuple(3, 1));
    const ShipState zero = {};
    for (int32_t slot = 3; slot < ShipSlots; ++slot)
        EXPECT_TRUE(SameBytes(&ShipTable[slot], &zero, sizeof zero)) << "slot " << slot;
}

TEST(Course, LevelsChangeOnlyTheOpponentsTopSpeeds) {
    const double ship1[3] = {80.0, 105.0, 130.0};
    const double ship2[3] = {70.0, 90.0, 110.0};
    for (int32_t track = 0; track < TrackCount; ++track) {
        for (int32_t level = 0; level < 3; ++level) {
            ASSERT_TRUE(SetUpTrack(track, level));
            EXPECT_EQ(std::tie(ShipTable[0].topSpeed, ShipTable[1].topSpeed, ShipTable[2].topSpeed),
                      std::make_tuple(125.0, ship1[level], ship2[level]))
                << track << " " << level;
        }
    }
}

TEST(Course, EveryTrackInstallsItsRings) {
    const int32_t sizes[5][2] = {{20, 15}, {15, 12}, {16, 15}, {34, 21}, {28, 33}};
    // clang-format off
    const CourseBox lastWaypoint[5] = {{290, 53, 320, 83}, {332, 74, 362, 104}, {225, 63, 255, 93},
                                       {248, 44, 278, 74}, {248, 42, 278, 72}};
    const CourseBox lastCheckpoint[5] = {{290, 24, 322, 119}, {311, 27, 343, 134},
                                         {216, 26, 238, 131}, {248, 26, 269, 85}, {244, 13, 273, 96}};
    const int32_t grids[5][3][2] = {{{312, 74}, {296, 53}, {278, 75}}, {{361, 100}, {333, 70}, {307, 91}},
                                    {{277, 101}, {259, 65}, {226, 96}}, {{281, 64}, {255, 50}, {235, 65}},
                                    {{297, 67}, {264, 42}, {237, 71}}};
    // clang-format on
    for (int32_t track = 0; track < TrackCount; ++track) {
        ASSERT_TRUE(SetUpTrack(track, 1));
        EXPECT_EQ(Course.waypointCount, sizes[track][0]);
        EXPECT_EQ(Course.checkpointCount, sizes[track][1]);
        const CourseBox& w = Course.waypoints[Course.waypointCount - 1];
        EXPECT_TRUE(SameBytes(&w, &lastWaypoint[track], sizeof w)) << "track " << track;
        const CourseBox& c = Course.checkpoints[Course.checkpointCount - 1];
        EXPECT_TRUE(SameBytes(&c, &lastCheckpoint[track], sizeof c)) << "track " << track;
        for (int32_t i = 0; i < Course.waypointCount; ++i) {
            const CourseBox& w = Course.waypoints[i];
            EXPECT_EQ(std::tuple(w.x1, w.y1), std::tuple(w.x0 + 30, w.y0 + 30)) << "waypoint " << i;
        }
        for (int32_t i = 0; i < Course.checkpointCount; ++i) {
            const int32_t w = Course.checkpoints[i].x1 - Course.checkpoints[i].x0;
            const int32_t h = Course.checkpoints[i].y1 - Course.checkpoints[i].y0;
            EXPECT_TRUE(w >= 15 && w <= 218 && h >= 15 && h <= 218)
                << "checkpoint " << i << ": " << w << " x " << h;
        }
        for (int32_t slot = 0; slot < 3; ++slot)
            EXPECT_EQ(std::tie(ShipTable[slot].x, ShipTable[slot].y),
                      std::make_tuple(grids[track][slot][0] * 256, grids[track][slot][1] * 256));
        // Checkpoint 0 lies just west of the grid; on all tracks but 2, ship 2 starts within
        // the 20-cell margin of it.
        const CourseBox& k0 = Course.checkpoints[0];
        const int32_t cx = ShipTable[2].x >> 8, cy = ShipTable[2].y >> 8;
        const bool inMargin =
            k0.x0 - 20 <= cx && cx <= k0.x1 + 20 && k0.y0 - 20 <= cy && cy <= k0.y1 + 20;
        EXPECT_EQ(inMargin, track != 2) << "track " << track;
    }
    // Track 2's first waypoint, spelled out: the centre the pilots aim at first.
    SetUpTrack(2, 0);
    EXPECT_EQ(std::tie(ShipTable[0].targetX, ShipTable[0].targetY),
              std::make_tuple(191 * 256, 76 * 256));
}

TEST(Course, SetUpTwiceEqualsOnceAndClearsARaceHalfRun) {
    ASSERT_TRUE(SetUpTrack(4, 2));
    static ShipState once[ShipSlots];
    std::memcpy(once, ShipTable, sizeof once);
    const CourseRecord courseOnce = Course;

    // A race abandoned halfway: moved ships, laps, wrecks, a stray slot, a changed place.
    ShipTable[0].x += 9999, ShipTable[0].laps = 2;
    ShipTable[1].wrecked = 1, ShipTable[1].wreckFrames = 30;
    ShipTable[2].nextCheckpoint = 17, ShipTable[7].speed = 55.0;
    ShipCount = 5, FinishPlace = 3, Course.waypointCount = 99;

    ASSERT_TRUE(SetUpTrack(4, 2));
    EXPECT_TRUE(SameBytes(once, ShipTable, sizeof once));
    EXPECT_TRUE(SameBytes(&courseOnce, &Course, sizeof Course));
    EXPECT_EQ(std::tuple(ShipCount, FinishPlace), std::tuple(3, 1));
}

TEST(Course, OutOfRangeTrackOrLevelIsRefusedWithoutTouchingAnything) {
    ASSERT_TRUE(SetUpTrack(1, 0));
    const CourseRecord before = Course;
    static ShipState ships[ShipSlots];
    std::memcpy(ships, ShipTable, sizeof ships);
    const int32_t bad[][2] = {{-1, 1}, {5, 1}, {1000, 0}, {0, -1}, {0, 3}, {INT32_MIN, INT32_MAX}};
    for (const auto& args : bad) {
        EXPECT_FALSE(SetUpTrack(args[0], args[1]));
        EXPECT_TRUE(SameBytes(&before, &Course, sizeof Course));
        EXPECT_TRUE(SameBytes(ships, ShipTable, sizeof ships));
    }
}
