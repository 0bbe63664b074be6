// Whether a height map lets a ship leave its course: the walls between stretches of the ring.
#pragma once
#include <cstdint>
#include <vector>

#include "race/course_data.h"

// Height byte above which the ground tops every ship's altitude ceiling: a wall.
constexpr int32_t WallByte = 115;

// True if the open ground (bytes up to WallByte) of the 512 x 512 map, with a dam across the
// valley halfway along every stretch of the ring, falls apart into separate basins, one round
// each Waypoint: any other way from one stretch to another would be a shortcut. False also if
// a Waypoint centre is walled in, a dam finds no wall within 90 cells, or the map is not
// 512 x 512. When true and `basins` is given, it receives by cell the basin the cell lies in: one
// more than its Waypoint's index, or 0 on walls and dams.
bool OneBasinPerWaypoint(const CourseTable& course, const std::vector<uint8_t>& heights,
                         std::vector<uint8_t>* basins = nullptr);
