// The benchmarks' world: the real load step, once, over the baked data, then track 0 on planet 0.
#pragma once

#include "assets/assets.h"
#include "assets/paths.h"
#include "assets/terrain_data.h"
#include "base/frame.h"
#include "base/options.h"
#include "race/course.h"
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
