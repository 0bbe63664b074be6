// The opponent pilot: flies a ship from Waypoint to Waypoint through the control steps alone.
#include "race/pilot.h"

#include <cmath>
#include <cstdlib>

#include "base/random.h"
#include "base/ship.h"
#include "race/course.h"
#include "race/flight.h"

namespace {

constexpr double RadiansToAngleUnits = 40.74366543152521; // 128 / pi
constexpr double TurnLookAhead = 0.3333333333333333;      // of the bank, in heading units
constexpr int32_t HeadingDeadBand = 5;
constexpr int32_t AltitudeDeadBand = 5;
constexpr int32_t ClearanceLow = 80;    // height bytes of clearance: nose up twice below this
constexpr int32_t ClearanceLower = 50;  // ...once more below this
constexpr int32_t ClearanceLowest = 30; // ...three times more below this

uint8_t HeightAt(const uint8_t* heights, int32_t cellX, int32_t cellY) {
    if (heights == nullptr)
        return 0;
    return heights[(cellX & 511) + 512 * (cellY & 511)];
}

} // namespace

int32_t WantedHeading(int32_t x, int32_t y, int32_t targetX, int32_t targetY) {
    double a = std::atan2(static_cast<double>(y) - static_cast<double>(targetY),
                          static_cast<double>(x) - static_cast<double>(targetX));
    return (static_cast<int32_t>(a * RadiansToAngleUnits) + 448) % 256;
}

void SteerOpponent(int32_t ship, const uint8_t* heights) {
    if (ship < 0 || ship >= ShipSlots)
        return;
    ShipState& s = ShipTable[ship];
    if (s.wrecked)
        return;

    // Inside the aimed Waypoint (bounds included): aim at the centre of the next one.
    const int32_t count = Course.waypointCount;
    if (count > 0 && count <= WaypointCapacity) {
        int32_t index = s.targetWaypoint % count;
        if (index < 0)
            index += count;
        const CourseBox& w = Course.waypoints[index];
        int32_t cx = s.x >> 8;
        int32_t cy = s.y >> 8;
        if (w.x0 <= cx && cx <= w.x1 && w.y0 <= cy && cy <= w.y1) {
            s.targetWaypoint = (index + 1) % count;
            const CourseBox& next = Course.waypoints[s.targetWaypoint];
            int32_t mx = (next.x0 + next.x1) >> 1;
            int32_t my = (next.y0 + next.y1) >> 1;
            s.targetX = mx * 256;
            s.targetY = my * 256;
            // Kept: the ground term is the height byte itself, not the surface at twice it;
            // the pilots' lines over the hills depend on it.
            s.targetAltitude = HeightAt(heights, mx, my) + GameRandom() % AimSpread + AimClearance;
        }
    }

    // Bank toward the aim point, judged on the heading the present bank will still add.
    int32_t wanted = WantedHeading(s.x, s.y, s.targetX, s.targetY);
    int32_t predicted = static_cast<int32_t>(s.heading);
    if (s.bank < 54.0) {
        predicted = (predicted - static_cast<int32_t>(s.bank * TurnLookAhead) + 256) % 256;
    }
    if (s.bank > 202.0) {
        predicted =
            (predicted + static_cast<int32_t>((256.0 - s.bank) * TurnLookAhead) + 256) % 256;
    }
    int32_t e = predicted - wanted;
    if (e > -128 && e < 0) {
        if (-e > HeadingDeadBand)
            BankRight(ship);
    } else if (e >= 0 && e < 128) {
        if (e > HeadingDeadBand)
            BankLeft(ship);
    } else if (e >= 128) {
        if (256 - e > HeadingDeadBand)
            BankRight(ship);
    } else {
        if (e + 256 > HeadingDeadBand)
            BankLeft(ship);
    }

    // Height: emergency climbs over low clearance, else hold the wanted altitude.
    int32_t clearance = s.altitude - HeightAt(heights, s.x >> 8, s.y >> 8);
    if (clearance < ClearanceLow) {
        NoseUp(ship);
        NoseUp(ship);
        if (clearance < ClearanceLower) {
            NoseUp(ship);
            if (clearance < ClearanceLowest) {
                NoseUp(ship);
                NoseUp(ship);
                NoseUp(ship);
            }
        }
    } else if (std::abs(s.altitude - s.targetAltitude) > AltitudeDeadBand) {
        if (s.altitude < s.targetAltitude) {
            NoseUp(ship);
        } else {
            NoseDown(ship);
        }
    }

    if (s.speed < s.topSpeed)
        Accelerate(ship);
}
