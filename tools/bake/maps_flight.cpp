// The game's own race code flown over a baked height map: the eye after every put-back.
#include "maps_flight.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <iterator>

#include "assets/ship_model.h"
#include "base/random.h"
#include "base/ship.h"
#include "race/course.h"
#include "race/course_data.h"
#include "race/flight.h"
#include "race/laps.h"
#include "race/pilot.h"
#include "render/camera.h"
#include "render/ship_draw.h"
#include "render/tables.h"

namespace {

ShipModel FlightModel{}; // vertices only: the ship is tested for contact, never drawn
bool ModelRead = false;

constexpr int32_t RaceLevel = 1;
constexpr int32_t LapFrames = 5000;
constexpr int32_t EyeFrames = 40; // 2 s at 20 frames a second
// The laps' random sequences; a last lap is seeded by the track's own number plus one.
constexpr uint32_t LapSeeds[] = {1234, 4321, 2718};
constexpr size_t LapCount = std::size(LapSeeds) + 1;
// The pilots' altitudes after a put-back.
constexpr uint32_t RecoverySeeds[] = {99991, 31337};
constexpr int32_t RecoveryGrid = 5;     // put-back spots a side of a Checkpoint's middle half
constexpr int32_t RecoveryStep = 3;     // ...or cells at most between spots on a dense lap
constexpr int32_t PutBackGround = 30;   // height byte: lower ground is never a near miss
constexpr int32_t NearMissRoom = 50;    // altitude units: closer to rock than this is a near miss
constexpr int32_t RecoveryFrames = 400; // 20 s to the next Checkpoint, as the race tests give

// The chase camera as the race starts it.
CameraState StartCamera() {
    return {78240, 18176, 1400, 60, -180, 240, 240, nullptr, nullptr};
}

// The camera's target closes half its distance to the ship and looks along its heading.
void FollowShip(CameraState& camera) {
    const ShipState& s = ShipTable[0];
    camera.x = static_cast<int32_t>((static_cast<int64_t>(s.x) + camera.x) / 2);
    camera.y = static_cast<int32_t>((static_cast<int64_t>(s.y) + camera.y) / 2);
    camera.angle = static_cast<int32_t>(s.heading + 192.0) % 256;
}

// One race frame at 20 frames a second with the player's ship on autopilot, in the race's
// order: camera, pilots, wrecks and contact, flight step, bumps, Checkpoints.
void RaceFrame(CameraState& camera, const uint8_t* heights) {
    SetFrameStep(1.0);
    FollowShip(camera);
    for (int32_t i = 0; i < 3; ++i)
        SteerOpponent(i, heights);
    UpdateWrecks(camera, nullptr);
    for (int32_t i = 0; i < 3; ++i)
        DrawShip(camera, i, heights);
    MoveShips();
    BumpShips();
    PassCheckpoints();
}

// True while the eye stands inside the ground: the view from there is rock.
bool EyeStandsInRock(const CameraState& camera, const uint8_t* heights, int32_t& eyeX,
                     int32_t& eyeY) {
    EyePoint(camera, eyeX, eyeY);
    return heights[((eyeX >> 8) & 511) + 512 * ((eyeY >> 8) & 511)] * 16 > camera.height;
}

// True while the ground a cell from the eye tops it: a race whose pilot aims otherwise flies a
// little otherwise, and its eye may stand there.
bool EyeCloseToRock(const CameraState& camera, const uint8_t* heights, int32_t eyeX, int32_t eyeY) {
    return HighestAround(heights, eyeX >> 8, eyeY >> 8, 1) * 16 > camera.height;
}

// True when a ship flies with little room below it: ground within three cells, above
// PutBackGround and less than NearMissRoom below the ship's surface.
bool CloseToRock(const ShipState& ship, const uint8_t* heights) {
    const int32_t highest = HighestAround(heights, ship.x >> 8, ship.y >> 8, 3);
    return highest > PutBackGround && 2 * highest > ship.altitude - NearMissRoom;
}

// One bit a Checkpoint: every track's Checkpoints fit.
static_assert(MaxTrackCheckpoints <= 64);

// Notes that a put-back on Checkpoint k flew over the cell under (x, y), in world units.
void MarkFlown(FlownCells& cells, int32_t x, int32_t y, int32_t k) {
    if (cells.size() == 512u * 512u && k >= 0 && k < 64)
        cells[size_t((x >> 8) & 511) + 512 * size_t((y >> 8) & 511)] |= uint64_t{1} << k;
}

// The return state and the camera as the player's ship passed each Checkpoint.
struct LapReturns {
    std::vector<ShipState> saved;
    std::vector<CameraState> cameras;
    std::vector<uint8_t> reached;
};

// One lap from the grid with the random sequence `seed`, keeping the return state at every
// Checkpoint, as a race does.
LapReturns FlyLap(int32_t track, uint32_t seed, const uint8_t* map) {
    SetUpTrack(track, RaceLevel);
    SeedGameRandom(seed);
    const auto count = static_cast<size_t>(Course.checkpointCount);
    LapReturns lap{std::vector<ShipState>(count), std::vector<CameraState>(count),
                   std::vector<uint8_t>(count, 0)};
    CameraState camera = StartCamera();
    int32_t next = ShipTable[0].nextCheckpoint;
    for (int32_t frame = 0; frame < LapFrames && ShipTable[0].laps < 1; ++frame) {
        RaceFrame(camera, map);
        if (ShipTable[0].nextCheckpoint != next) {
            lap.saved[static_cast<size_t>(next)] = ShipTable[0];
            lap.cameras[static_cast<size_t>(next)] = camera;
            lap.reached[static_cast<size_t>(next)] = 1;
            next = ShipTable[0].nextCheckpoint;
        }
    }
    return lap;
}

// The put-back on cell (sx, sy) from the state saved at a Checkpoint, as the game makes it.
void PutBackOn(const ShipState& at, int32_t sx, int32_t sy) {
    ShipTable[0] = at;
    PutBackAt(ShipTable[0], sx * 256, sy * 256);
}

// The opponents kept out of the way, as wrecks that never come back.
void WreckOpponents() {
    for (int32_t i = 1; i < 3; ++i) {
        ShipTable[i].wrecked = 1;
        ShipTable[i].wreckFrames = -1000000;
    }
}

// Where a wreck is put back: the middle half of Checkpoint k, in cells, edges included.
struct PutBackZone {
    int32_t left, top, right, bottom;
};

PutBackZone MiddleHalfOf(int32_t k) {
    const CourseBox& box = Course.checkpoints[k];
    const int32_t w = box.x1 - box.x0, h = box.y1 - box.y0;
    const int32_t left = (box.x0 + box.x1) / 2 - w / 4, top = (box.y0 + box.y1) / 2 - h / 4;
    return {left, top, left + std::max(0, w / 2 - 1), top + std::max(0, h / 2 - 1)};
}

// How many Checkpoints `track` has; none for a track that does not exist.
size_t CheckpointsOf(int32_t track) {
    return track >= 0 && track < TrackCount
               ? static_cast<size_t>(CourseTables[track].checkpointCount)
               : 0;
}

// The lowest altitude the pilot may aim at over Waypoint `waypoint`'s centre.
int32_t AimOver(const uint8_t* heights, int32_t waypoint) {
    const int32_t count = Course.waypointCount;
    const CourseBox& w = Course.waypoints[((waypoint % count) + count) % count];
    return heights[size_t(((w.x0 + w.x1) >> 1) & 511) + 512 * size_t(((w.y0 + w.y1) >> 1) & 511)] +
           AimClearance;
}

// A put-back to fly: the return state and the camera kept as a lap passed Checkpoint `k`, its
// put-back zone, and the random part of the pilot's aim the flight keeps to (below zero: drawn as
// in a race).
struct Return {
    ShipState saved;
    CameraState camera;
    int32_t k;
    PutBackZone zone;
    int32_t aim;
    bool dense; // the lap seeded as a race by the track's number: its recoveries flown densely
};

// Flies a lap of `track` for each of several random sequences (races differ by the pilots'
// random altitudes) and calls visit(Return) for every Checkpoint the lap passed and `only` names
// (all if it is empty). Nothing is flown without the flight model or a whole map.
template <typename Visit>
void ForEachReturn(int32_t track, const std::vector<uint8_t>& heights,
                   const std::vector<uint8_t>& only, Visit visit) {
    if (!ModelRead || heights.size() != 512u * 512u || !SetUpTrack(track, RaceLevel))
        return;
    BuildAngleTables();
    ModelTable[0] = &FlightModel;
    for (size_t which = 0; which < LapCount; ++which) {
        const uint32_t seed =
            which < std::size(LapSeeds) ? LapSeeds[which] : static_cast<uint32_t>(1 + track);
        const LapReturns lap = FlyLap(track, seed, heights.data());
        for (int32_t k = 0; k < Course.checkpointCount; ++k) {
            const auto at = static_cast<size_t>(k);
            if (!lap.reached[at] || (!only.empty() && (at >= only.size() || !only[at])))
                continue;
            // The pilot's aim over its Waypoint's centre is random: the first two laps are put
            // back aiming at the lowest and the highest it may choose.
            ShipState saved = lap.saved[at];
            const int32_t aim = which == 0 ? 0 : which == 1 ? AimSpread - 1 : -1;
            if (aim >= 0)
                saved.savedTargetAltitude =
                    AimOver(heights.data(), saved.savedTargetWaypoint) + aim;
            visit(Return{saved, lap.cameras[at], k, MiddleHalfOf(k), aim, which + 1 == LapCount});
        }
    }
    ModelTable[0] = nullptr;
}

} // namespace

int32_t HighestAround(const uint8_t* heights, int32_t x, int32_t y, int32_t radius) {
    int32_t highest = 0;
    for (int32_t j = y - radius; j <= y + radius; ++j)
        for (int32_t i = x - radius; i <= x + radius; ++i)
            highest = std::max<int32_t>(highest, heights[(i & 511) + 512 * (j & 511)]);
    return highest;
}

bool LoadFlightModel(const std::string& path) {
    ModelRead = ReadShipModel(FlightModel, path.c_str());
    if (!ModelRead)
        std::fprintf(stderr, "tarnvell_bake: cannot read the ship model %s\n", path.c_str());
    return ModelRead;
}

std::vector<uint64_t> ReturnFingerprints(int32_t track, const std::vector<uint8_t>& heights) {
    constexpr uint64_t Basis = 0xCBF29CE484222325ull, Prime = 0x100000001B3ull;
    std::vector<uint64_t> prints(CheckpointsOf(track), Basis);
    ForEachReturn(track, heights, {}, [&](const Return& r) {
        const ShipState& s = r.saved;
        const int32_t fields[] = {
            s.savedHeading,        s.savedTargetWaypoint, s.savedTargetX, s.savedTargetY,
            s.savedTargetAltitude, s.nextCheckpoint,      r.camera.x,     r.camera.y,
            r.camera.height,       r.camera.angle,        r.aim};
        // FNV-1a over every lap's fields, lap after lap.
        uint64_t& print = prints[static_cast<size_t>(r.k)];
        for (const int32_t field : fields)
            for (int32_t byte = 0; byte < 4; ++byte)
                print = (print ^ ((static_cast<uint32_t>(field) >> (8 * byte)) & 0xFFu)) * Prime;
    });
    return prints;
}

PutBackReport FlyPutBacksInTheGame(int32_t track, const std::vector<uint8_t>& heights,
                                   const std::vector<uint8_t>& only) {
    const size_t checkpoints = CheckpointsOf(track);
    PutBackReport report{std::vector<int32_t>(checkpoints),
                         std::vector<int32_t>(checkpoints),
                         {},
                         FlownCells(512u * 512u)};
    const uint8_t* map = heights.data();
    ForEachReturn(track, heights, only, [&](const Return& r) {
        const auto& [saved, from, k, zone, aim, dense] = r;
        // The eye for 2 s after a put-back on every spot, as the put-back leaves the ship.
        const auto [left, top, right, bottom] = zone;
        for (int32_t sy = top; sy <= bottom; sy = sy < bottom ? std::min(sy + 4, bottom) : sy + 1)
            for (int32_t sx = left; sx <= right;
                 sx = sx < right ? std::min(sx + 4, right) : sx + 1) {
                PutBackOn(saved, sx, sy);
                CameraState camera = from;
                WreckOpponents();
                report.eyeSpots[static_cast<size_t>(k)] += 1;
                bool inRock = false;
                for (int32_t frame = 0; frame < EyeFrames && !ShipTable[0].wrecked; ++frame) {
                    RaceFrame(camera, map);
                    int32_t eyeX = 0, eyeY = 0;
                    const bool rock = EyeStandsInRock(camera, map, eyeX, eyeY);
                    MarkFlown(report.cells, eyeX, eyeY, k);
                    MarkFlown(report.cells, ShipTable[0].x, ShipTable[0].y, k);
                    inRock = inRock || rock;
                    // Shelves under the near misses too: the eye of the same put-back in a race
                    // with other random aims stands a cell aside.
                    if (rock || EyeCloseToRock(camera, map, eyeX, eyeY))
                        report.eyes.push_back({float(eyeX) / 256.0f, float(eyeY) / 256.0f, k});
                }
                report.rockSpots[static_cast<size_t>(k)] += inRock;
            }
    });
    return report;
}

std::vector<Spot> RecoverySpots(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                int32_t across, int32_t step, size_t& grid) {
    std::vector<Spot> spots;
    grid = 0;
    if (right < left || bottom < top)
        return spots;
    const auto count = [&](int32_t span) {
        return std::max(1, step > 0 ? (span + step - 1) / step + 1 : across);
    };
    const int32_t acrossX = count(right - left), acrossY = count(bottom - top);
    for (int32_t place = 0; place < acrossX * acrossY; ++place)
        spots.push_back({left + (right - left) * (place % acrossX) / std::max(1, acrossX - 1),
                         top + (bottom - top) * (place / acrossX) / std::max(1, acrossY - 1)});
    grid = spots.size();
    // Each row's lattice cells shifted two along from the row above's: every LatticeStep cells
    // of a row, and every LatticeStep cells of a column.
    if (step > 0)
        for (int32_t y = top; y <= bottom; ++y)
            for (int32_t x = left; x <= right; ++x)
                if ((x - left + 2 * (y - top)) % LatticeStep == 0 &&
                    std::find(spots.begin(), spots.begin() + std::ptrdiff_t(grid), Spot{x, y}) ==
                        spots.begin() + std::ptrdiff_t(grid))
                    spots.push_back({x, y});
    return spots;
}

RecoveryReport FlyRecoveriesInTheGame(int32_t track, const std::vector<uint8_t>& heights,
                                      const std::vector<uint8_t>& only) {
    const size_t checkpoints = CheckpointsOf(track);
    RecoveryReport report{std::vector<int32_t>(checkpoints),
                          std::vector<int32_t>(checkpoints),
                          {},
                          {},
                          FlownCells(512u * 512u)};
    const uint8_t* map = heights.data();
    ForEachReturn(track, heights, only, [&](const Return& r) {
        const auto& [saved, from, k, zone, aim, dense] = r;
        const int32_t count = Course.checkpointCount;
        // A grid of spots across the middle half, its edges and corners included: RecoveryGrid
        // a side, each flown with every recovery seed, or on a dense lap spots RecoveryStep
        // cells apart and a lattice between them, each flown with one seed, the seeds taking
        // turns.
        const auto [left, top, right, bottom] = zone;
        size_t grid = 0;
        const std::vector<Spot> spots =
            dense ? RecoverySpots(left, top, right, bottom, 0, RecoveryStep, grid)
                  : RecoverySpots(left, top, right, bottom, RecoveryGrid, 0, grid);
        const size_t seeds = dense ? 1 : std::size(RecoverySeeds);
        for (size_t spot = 0; spot < spots.size() * seeds; ++spot) {
            const size_t place = spot / seeds;
            const auto [sx, sy] = spots[place];
            const uint32_t seed = RecoverySeeds[(dense ? place : spot) % std::size(RecoverySeeds)];
            SeedGameRandom(seed + static_cast<uint32_t>(size_t(k) * 131 + place));
            PutBackOn(saved, sx, sy);
            CameraState camera = from;
            WreckOpponents();
            report.flights[static_cast<size_t>(k)] += 1;
            bool passed = false, touched = false;
            ShipState& ship = ShipTable[0];
            float clearX = float(ship.x) / 256.0f, clearY = float(ship.y) / 256.0f;
            for (int32_t frame = 0; frame < RecoveryFrames && !passed; ++frame) {
                const FlightPoint at{float(ship.x) / 256.0f,
                                     float(ship.y) / 256.0f,
                                     ship.altitude,
                                     k,
                                     clearX,
                                     clearY};
                const int32_t aimedAt = ship.targetWaypoint;
                RaceFrame(camera, map);
                // The laps put back at the lowest or highest aim keep to it at
                // every Waypoint after.
                if (aim >= 0 && ship.targetWaypoint != aimedAt)
                    ship.targetAltitude = AimOver(map, ship.targetWaypoint) + aim;
                if (ship.wrecked) {
                    // Flown on through the ground, as if it were not there, so
                    // that one flight finds all the ground in the way.
                    report.contacts.push_back(at);
                    touched = true;
                    ship.wrecked = 0;
                    MoveShips();
                    PassCheckpoints();
                } else {
                    clearX = float(ship.x) / 256.0f, clearY = float(ship.y) / 256.0f;
                    if (CloseToRock(ship, map))
                        report.nearMisses.push_back(
                            {clearX, clearY, ship.altitude, k, clearX, clearY, place >= grid});
                }
                MarkFlown(report.cells, ship.x, ship.y, k);
                passed = ship.nextCheckpoint != (k + 1) % count;
            }
            report.wrecked[static_cast<size_t>(k)] += touched;
        }
    });
    return report;
}

namespace {

// True for a Checkpoint `again` marks.
bool Again(const std::vector<uint8_t>& again, int32_t checkpoint) {
    return checkpoint >= 0 && size_t(checkpoint) < again.size() && again[size_t(checkpoint)];
}

// The points of the Checkpoints flown again replace those in `all`.
template <typename Point>
void MergePoints(std::vector<Point>& all, const std::vector<Point>& fresh,
                 const std::vector<uint8_t>& again) {
    const auto flownAgain = [&](const Point& p) { return Again(again, p.checkpoint); };
    std::erase_if(all, flownAgain);
    std::copy_if(fresh.begin(), fresh.end(), std::back_inserter(all), flownAgain);
}

// ...and so do the cells they flew over.
void MergeCells(FlownCells& all, const FlownCells& fresh, const std::vector<uint8_t>& again) {
    uint64_t mask = 0;
    for (size_t k = 0; k < again.size() && k < 64; ++k)
        if (again[k])
            mask |= uint64_t{1} << k;
    if (all.empty())
        all.assign(fresh.size(), 0);
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = (all[i] & ~mask) | (i < fresh.size() ? fresh[i] & mask : 0);
}

// ...and so do their counts.
void MergeCounts(std::vector<int32_t>& all, const std::vector<int32_t>& fresh,
                 const std::vector<uint8_t>& again) {
    for (size_t k = 0; k < all.size() && k < fresh.size(); ++k)
        if (Again(again, int32_t(k)))
            all[k] = fresh[k];
}

} // namespace

void MergeFlights(PutBackReport& all, const PutBackReport& fresh,
                  const std::vector<uint8_t>& again) {
    MergeCounts(all.eyeSpots, fresh.eyeSpots, again);
    MergeCounts(all.rockSpots, fresh.rockSpots, again);
    MergePoints(all.eyes, fresh.eyes, again);
    MergeCells(all.cells, fresh.cells, again);
}

void MergeFlights(RecoveryReport& all, const RecoveryReport& fresh,
                  const std::vector<uint8_t>& again) {
    MergeCounts(all.flights, fresh.flights, again);
    MergeCounts(all.wrecked, fresh.wrecked, again);
    MergePoints(all.contacts, fresh.contacts, again);
    MergePoints(all.nearMisses, fresh.nearMisses, again);
    MergeCells(all.cells, fresh.cells, again);
}
