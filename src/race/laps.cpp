// Checkpoints, laps and places, and the race panel drawn over the view and the bottom panel.
#include "race/laps.h"

#include <cstdio>

#include "assets/assets.h"
#include "assets/font.h"
#include "base/frame.h"
#include "base/ship.h"
#include "race/course.h"

namespace {

constexpr uint16_t White = 0xFFFF;
constexpr uint16_t BarColour = 0xF81F;
constexpr int32_t BarTopRow = 235;    // white frame row; the fill is on the two rows below
constexpr int32_t BarBottomRow = 238; // white frame row
constexpr int32_t PanelTextX = 75;
constexpr int32_t PlaceTextY = 260;
constexpr int32_t LapTextY = 295;
constexpr int32_t PanelGlyphWidth = 10;
constexpr int32_t PanelGlyphHeight = 15;
constexpr int32_t PanelOutOf = 3; // both lines read "n OF 3": three ships, three laps

int32_t ActiveShips() {
    return ShipCount < 0 ? 0 : (ShipCount > ShipSlots ? ShipSlots : ShipCount);
}

} // namespace

void PassCheckpoints() {
    const int32_t count = Course.checkpointCount;
    if (count <= 0 || count > CheckpointCapacity)
        return;
    for (int32_t i = 0; i < ActiveShips(); ++i) {
        ShipState& s = ShipTable[i];
        if (s.wrecked)
            continue;
        if (s.nextCheckpoint < 0 || s.nextCheckpoint >= count)
            s.nextCheckpoint = 0;
        const CourseBox& k = Course.checkpoints[s.nextCheckpoint];
        const int32_t cx = s.x >> 8;
        const int32_t cy = s.y >> 8;
        if (cx < k.x0 - CheckpointMargin || cx > k.x1 + CheckpointMargin ||
            cy < k.y0 - CheckpointMargin || cy > k.y1 + CheckpointMargin) {
            continue;
        }
        s.nextCheckpoint = (s.nextCheckpoint + 1) % count;
        if (s.nextCheckpoint == 0) {
            s.laps += 1;
            // Kept: the player is examined first, so finishing in the same frame puts the
            // player ahead.
            if (s.laps == RaceLaps && i != 0 && ShipTable[0].laps < RaceLaps)
                FinishPlace += 1;
        }
        s.savedTargetWaypoint = s.targetWaypoint;
        s.savedTargetX = s.targetX;
        s.savedTargetY = s.targetY;
        s.savedTargetAltitude = s.targetAltitude;
        s.savedHeading = static_cast<int32_t>(s.heading);
    }
}

int32_t RaceResult() {
    return ShipTable[0].laps < RaceLaps ? 0 : FinishPlace;
}

LapAndPlace GetLapAndPlace(int32_t ship) {
    if (ship < 0 || ship >= ShipSlots)
        return {1, 1};
    const ShipState& me = ShipTable[ship];
    int32_t place = 1;
    for (int32_t j = 0; j < ActiveShips(); ++j) {
        if (j == ship)
            continue;
        const ShipState& other = ShipTable[j];
        if (other.laps > me.laps ||
            (other.laps == me.laps && other.nextCheckpoint >= me.nextCheckpoint)) {
            place += 1;
        }
    }
    return {me.laps + 1, place};
}

ShipSpeed GetShipSpeed(int32_t ship) {
    if (ship < 0 || ship >= ShipSlots)
        return {0.0, 0.0};
    return {ShipTable[ship].speed, ShipTable[ship].topSpeed};
}

void DrawRacePanel() {
    uint16_t* frame = FrameBufferAddress();
    if (frame == nullptr)
        return;

    const ShipSpeed s = GetShipSpeed(0);
    // A ship without a top speed shows an empty bar rather than dividing by zero.
    double fill = s.topSpeed > 0.0 ? 240.0 / s.topSpeed * s.speed : 0.0;
    if (!(fill > -1.0))
        fill = -1.0;
    if (fill > 239.0)
        fill = 239.0;
    const int32_t bar = static_cast<int32_t>(fill);
    for (int32_t x = 0; x < 240; ++x) {
        frame[BarTopRow * 240 + x] = White;
        frame[BarBottomRow * 240 + x] = White;
        if (x == 0 || x == 239) {
            frame[(BarTopRow + 1) * 240 + x] = White;
            frame[(BarTopRow + 2) * 240 + x] = White;
        } else if (x <= bar) {
            frame[(BarTopRow + 1) * 240 + x] = BarColour;
            frame[(BarTopRow + 2) * 240 + x] = BarColour;
        }
    }

    const LapAndPlace lp = GetLapAndPlace(0);
    char text[32];
    std::snprintf(text, sizeof text, "%d OF %d", static_cast<int>(lp.place), PanelOutOf);
    DrawSheetTextScaled(text, PanelGlyphWidth, PanelGlyphHeight, PanelTextX, PlaceTextY, frame,
                        ScreenHeight);
    std::snprintf(text, sizeof text, "%d OF %d", static_cast<int>(lp.lap), PanelOutOf);
    DrawSheetTextScaled(text, PanelGlyphWidth, PanelGlyphHeight, PanelTextX, LapTextY, frame,
                        ScreenHeight);
}
