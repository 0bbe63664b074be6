// The benchmarks' world: the real load step, once, over the baked data, then track 0 on planet 0.
#pragma once

#include <cmath>
#include <vector>

#include "assets/assets.h"
#include "assets/paths.h"
#include "assets/terrain_data.h"
#include "base/frame.h"
#include "base/options.h"
#include "race/course.h"
#include "race/course_data.h"
#include "render/camera.h"
#include "render/colour_map.h"
#include "screens/load.h"

// Allocates and loads everything as the start state does, then the landscape the main menu
// shows. False when the FrameBuffer cannot be had.
inline bool LoadBakedWorld() {
    static const bool loaded = [] {
        SetDataFolder(TARNVELL_DATA);
        GameOptions.hasSeed = true;
        GameOptions.seed = 5;
        if (!AllocateFrameBuffer())
            return false;
        LoadGameAssets();
        LoadTrackMap(0); // also puts the ships on the grid
        BuildTerrainColours(HeightMap, TerrainColours, 0, 1, 2, 3);
        return true;
    }();
    return loaded;
}

// The race camera (height 1400, tilt -180) over every waypoint of track 0, looking on toward
// the next one: the views the terrain benchmarks time.
inline std::vector<CameraState> RaceCameraPoses(uint32_t* depth, uint16_t* frame) {
    std::vector<CameraState> poses;
    const CourseTable& course = CourseTables[0];
    for (int32_t w = 0; w < course.waypointCount; ++w) {
        const int32_t next = (w + 1) % course.waypointCount;
        const double angle = std::atan2(course.waypoints[next][1] - course.waypoints[w][1],
                                        course.waypoints[next][0] - course.waypoints[w][0]);
        const int32_t units = static_cast<int32_t>(std::lround(angle * 128.0 / M_PI));
        poses.push_back({(course.waypoints[w][0] + 15) * 256, (course.waypoints[w][1] + 15) * 256,
                         1400, (units % 256 + 256) % 256, -180, 240, 240, depth, frame});
    }
    return poses;
}
