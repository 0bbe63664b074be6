// The opponent pilot: flies a ship from Waypoint to Waypoint through the control steps alone.
#pragma once
#include <cstdint>

// One frame of steering for a ShipTable slot over `heights` (the 512 x 512 HeightMap): moves
// on to the next Waypoint when the ship is inside the current one, banks toward the aim point
// beyond a 5-unit dead band, keeps the wanted altitude (with emergency climbs over low
// clearance) and opens the throttle below top speed. Does nothing for a wrecked ship. Called
// for ships 1 and 2 every race frame, and for ship 0 by the menu flyover and the autopilot.
void SteerOpponent(int32_t ship, const uint8_t* heights);

// The altitude a pilot aims at over its next Waypoint: the height byte at the Waypoint's centre
// plus AimClearance plus 0 to AimSpread - 1, at random.
constexpr int32_t AimClearance = 100;
constexpr int32_t AimSpread = 20;

// The heading (0 north, 64 east, 128 south, 192 west) that points from world point (x, y)
// at (targetX, targetY), in whole units.
int32_t WantedHeading(int32_t x, int32_t y, int32_t targetX, int32_t targetY);
