// The race screens end to end over the baked data: countdown, race frames, the exit icon, the
// pad, whole autopilot races, and (on request) the table of every track and level.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>

#include "assets/assets.h"
#include "assets/paths.h"
#include "assets/ship_model.h"
#include "assets/terrain_data.h"
#include "base/frame.h"
#include "base/input.h"
#include "base/options.h"
#include "base/random.h"
#include "base/settings.h"
#include "base/ship.h"
#include "base/state.h"
#include "race/course.h"
#include "race/flight.h"
#include "race/laps.h"
#include "render/camera.h"
#include "render/ship_draw.h"
#include "run_program.h"
#include "screens/load.h"
#include "screens/race_screen.h"
#include "test_folder.h"

namespace {

// The baked data loaded once for the whole test program.
void LoadOnce() {
    static bool loaded = false;
    if (loaded)
        return;
    ASSERT_TRUE(AllocateFrameBuffer());
    SetDataFolder(TARNVELL_DATA);
    GameOptions.hasSeed = true;
    GameOptions.seed = 1234;
    LoadGameAssets();
    GameOptions.hasSeed = false;
    loaded = true;
}

// Touches the stylus down at (x, y), moving there first.
void TapDown(int32_t x, int32_t y) {
    StylusMoveMessage(static_cast<intptr_t>(x | (y << 16)));
    StylusDownMessage(static_cast<intptr_t>(x | (y << 16)));
}

// A race start as the track selection screen leaves it: the track's map and course, the
// menu camera, the main menu under the countdown on the screen stack.
void StartRace(int32_t track, int32_t level, int32_t planet = 0) {
    LoadOnce();
    ResetAllInput();
    GameSettings.level = level;
    TrackIndex = track;
    PlanetIndex = planet;
    LoadPlanetTiles(planet);
    LoadTrackMap(track);
    Camera = {78240, 18176, 1400, 60, -180, 240, 240, DepthBuffer, FrameBufferAddress()};
    ResetScreenMachine();
    PushScreen(StateStart);
    GameStep = StepUpdate;
    PushScreen(StateMainMenu);
    GameStep = StepUpdate;
    PushScreen(StateCountdown);
}

// One main-loop pass of the two race states; false once another state is current.
bool Pass() {
    using Handler = void (*)();
    static const Handler countdown[] = {EnterCountdown, UpdateCountdown, LeaveCountdown};
    static const Handler race[] = {EnterRace, UpdateRaceScreen, LeaveRace};
    if (GameState != StateCountdown && GameState != StateRace)
        return false;
    (GameState == StateCountdown ? countdown : race)[GameStep]();
    return true;
}

// Passes until the race screen has entered.
void PassIntoRace() {
    while (GameState == StateCountdown)
        ASSERT_TRUE(Pass());
    ASSERT_TRUE(Pass());
}

struct RaceReport {
    int32_t passes = 0;      // main-loop passes from the countdown's enter to leaving the race
    int32_t wrecks[3] = {};  // contacts per ship
    int32_t eyeInGround = 0; // race frames with the camera's eye inside the ground
    int32_t raceFrames = 0;
    int32_t laps[3] = {};
    int32_t allFinished = 0; // race frames until all three ships completed 3 laps (0: never)
    bool finished = false;
};

// Runs a whole race with the player's ship on autopilot, at the nominal 20 frames a second.
RaceReport AutopilotRace(int32_t track, int32_t level, int32_t passLimit,
                         bool continueToAll = false, int32_t frameRate = 20) {
    RaceReport report;
    GameOptions.autopilot = true;
    StartRace(track, level);
    int32_t wasWrecked[3] = {};
    auto countWrecks = [&] {
        for (int32_t i = 0; i < 3; ++i) {
            report.wrecks[i] += ShipTable[i].wrecked && !wasWrecked[i];
            wasWrecked[i] = ShipTable[i].wrecked;
        }
    };
    while (report.passes < passLimit && Pass()) {
        report.passes += 1;
        FrameRate = frameRate;
        countWrecks();
        if (GameState == StateRace && GameStep == StepUpdate) {
            report.raceFrames += 1;
            int32_t eyeX = 0, eyeY = 0;
            EyePoint(Camera, eyeX, eyeY);
            const int32_t byte = HeightMap[((eyeX >> 8) & 511) + 512 * ((eyeY >> 8) & 511)];
            report.eyeInGround += byte * 16 > Camera.height;
        }
    }
    report.finished = GameState == StateResults;
    for (int32_t i = 0; i < 3; ++i)
        report.laps[i] = ShipTable[i].laps;
    // The same race frame goes on, off screen, until the opponents are home too.
    int32_t frames = report.raceFrames;
    while (continueToAll && frames < passLimit &&
           (ShipTable[0].laps < 3 || ShipTable[1].laps < 3 || ShipTable[2].laps < 3)) {
        FrameRate = frameRate;
        UpdateRace();
        frames += 1;
        countWrecks();
    }
    if (continueToAll && ShipTable[1].laps >= 3 && ShipTable[2].laps >= 3)
        report.allFinished = frames;
    GameOptions.autopilot = false;
    return report;
}

} // namespace

TEST(Race, CountdownFortyFramesWithItsEffects) {
    StartRace(0, 1);
    int32_t effects[7];
    std::memcpy(effects, RaceEffectRequests, sizeof effects);
    ShipState grid[3];
    std::memcpy(grid, ShipTable, sizeof grid);

    ASSERT_TRUE(Pass()); // enter
    EXPECT_EQ(std::tie(RaceMusicRequest, RaceEffectRequests[ThreeEffect], GameStep, FrameRate),
              std::make_tuple(RaceMusic, effects[ThreeEffect] + 1, StepUpdate, 20));

    const int32_t words[3] = {TwoEffect, OneEffect, GoEffect};
    int32_t updates = 0;
    while (GameState == StateCountdown && GameStep == StepUpdate) {
        ASSERT_TRUE(Pass());
        updates += 1;
        // "3", "2", "1" show for 10 frames each, the ships standing; each new word's effect
        // comes at the end of the frame that showed the previous word at its largest.
        EXPECT_EQ(CountdownStep, updates / 10) << updates;
        for (int32_t w = 0; w < 3; ++w)
            EXPECT_EQ(RaceEffectRequests[words[w]], effects[words[w]] + (updates >= 10 * w + 10));
        for (int32_t i = 0; i < 3 && updates <= 30; ++i)
            EXPECT_EQ(std::tuple(ShipTable[i].x, ShipTable[i].speed), std::tuple(grid[i].x, 0.0))
                << i;
        ASSERT_LE(updates, 40);
    }
    EXPECT_EQ(updates, 40);
    // During "GO!" the race already runs: the opponents are under way.
    EXPECT_TRUE(ShipTable[1].speed > 0.0 && ShipTable[2].x != grid[2].x)
        << ShipTable[1].speed << " " << ShipTable[2].x;
    EXPECT_EQ(ShipTable[0].speed, 0.0); // nobody pressed anything

    ASSERT_TRUE(Pass()); // the countdown's leave replaces itself with the race
    EXPECT_EQ(std::tie(GameState, GameStep), std::make_tuple(StateRace, StepEnter));
    ASSERT_TRUE(Pass());
    EXPECT_EQ(std::make_tuple(GameStep, ScreenStackDepth(), ScreenStackEntry(2)),
              std::make_tuple(StepUpdate, 3, StateMainMenu));
}

// What the real program does on a tap of the exit icon (that frame still flies, the next pass
// is the main menu with the ships reset) is checked by ControlsInTheRealProgram; here, what
// the trace does not show.
TEST(Race, ExitIconAbandonsTheRace) {
    StartRace(1, 1);
    PassIntoRace();
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(Pass());
    TapDown(230, 5);
    ASSERT_TRUE(Pass());
    EXPECT_EQ(RaceOutcome, 100);
    // The exit icon is on the screen, unchanged.
    for (int32_t i = 0; i < 16 * 16; ++i)
        ASSERT_EQ(FrameBufferAddress()[(i / 16) * 240 + 224 + i % 16], ExitIcon[i]) << i;
    StylusUpMessage();
    ASSERT_TRUE(Pass()); // leave: back to the main menu's update, with its music
    EXPECT_EQ(std::tie(GameState, GameStep, RaceMusicRequest),
              std::make_tuple(StateMainMenu, StepUpdate, MenuMusic));

    // Tapped during "GO!": the countdown ends at once, the race runs, outcome still 100.
    StartRace(1, 1);
    RaceOutcome = 0;
    while (!(GameState == StateCountdown && CountdownStep == 3))
        ASSERT_TRUE(Pass());
    TapDown(239, 0);
    ASSERT_TRUE(Pass());
    StylusUpMessage();
    EXPECT_EQ(std::tie(RaceOutcome, GameStep), std::make_tuple(100, StepLeave));
    ASSERT_TRUE(Pass());
    EXPECT_EQ(GameState, StateRace);
    ASSERT_EQ((std::tuple{Pass(), Pass()}), std::tuple(true, true));
    EXPECT_EQ(std::tie(GameState, GameStep, RaceOutcome),
              std::make_tuple(StateRace, StepUpdate, 100));
}

TEST(Race, PadSceneAndCamera) {
    StartRace(0, 1);
    PassIntoRace();
    // The stylus held on the pad accelerates every frame (8 a frame, 0.5 drag).
    TapDown(40, 300);
    for (int i = 1; i <= 5; ++i) {
        ASSERT_TRUE(Pass());
        EXPECT_EQ(ShipTable[0].speed, 7.5 * i);
    }
    // Pressing without moving keeps the last drag position: a press at the icon after a drag
    // on the pad still accelerates and does not leave.
    StylusUpMessage();
    StylusDownMessage(static_cast<intptr_t>(230 | (5 << 16)));
    ASSERT_TRUE(Pass());
    EXPECT_EQ(std::tuple(ShipTable[0].speed, GameStep), std::tuple(7.5 * 6, StepUpdate));
    StylusUpMessage();

    // The ships are drawn where the previous flight step left them: this frame's box lies
    // around the position from before this frame's move.
    const int32_t before = ShipTable[0].x;
    ASSERT_TRUE(Pass());
    const int32_t after = ShipTable[0].x;
    ASSERT_LT(after, before - 100); // flying west
    const ShipState& s = ShipTable[0];
    EXPECT_TRUE(s.boxMinX <= before && s.boxMaxX >= before)
        << s.boxMinX << " " << before << " " << s.boxMaxX;
    EXPECT_LT(std::abs((s.boxMinX + s.boxMaxX) / 2 - before),
              std::abs((s.boxMinX + s.boxMaxX) / 2 - after));

    // The camera closes half its distance to the ship each frame and looks along its heading.
    Camera.x = 0, Camera.y = 1001;
    ShipTable[0].x = 1000, ShipTable[0].y = -3000, ShipTable[0].heading = 100.7;
    FollowShip(Camera, 0);
    EXPECT_EQ(std::tie(Camera.x, Camera.y, Camera.angle), std::make_tuple(500, -999, 36));
    ShipTable[0].heading = 63.9;
    FollowShip(Camera, 0);
    EXPECT_EQ(Camera.angle, 255);
}

// Where contact begins (exactly twice the height byte) is DrawModel's test; here what the race
// makes of it: two ships touching in one frame both wreck, with one explosion sound.
TEST(Race, SurfaceContactWrecksAndExplodesOnce) {
    StartRace(0, 1);
    FrameRate = 20;
    const int32_t explosions = RaceEffectRequests[ExplodeEffect];
    DrawRaceScene();
    EXPECT_EQ(std::tuple(ShipTable[0].wrecked, RaceEffectRequests[ExplodeEffect]),
              std::tuple(0, explosions));
    ShipTable[0].altitude = ShipTable[1].altitude = -50;
    DrawRaceScene();
    EXPECT_EQ(std::tuple(ShipTable[0].wrecked, ShipTable[0].wreckFrames), std::tuple(1, 0));
    EXPECT_EQ(std::tuple(ShipTable[1].wrecked, ShipTable[2].wrecked), std::tuple(1, 0));
    EXPECT_EQ(RaceEffectRequests[ExplodeEffect], explosions + 1);
    // The explosion plays from the next drawing on; the count is in drawn frames.
    DrawRaceScene();
    EXPECT_EQ(std::tuple(ShipTable[0].wreckFrames, RaceEffectRequests[ExplodeEffect]),
              std::tuple(1, explosions + 1));
}

TEST(Race, AttractFlightFliesShipZeroOnly) {
    StartRace(0, 1);
    FrameRate = 20;
    ShipState grid[3];
    std::memcpy(grid, ShipTable, sizeof grid);
    for (int i = 0; i < 200; ++i)
        AttractFlight();
    // Under way, nothing counted.
    EXPECT_TRUE(ShipTable[0].speed > 100.0 && ShipTable[0].x != grid[0].x &&
                ShipTable[0].nextCheckpoint == 0)
        << ShipTable[0].speed << " " << ShipTable[0].x << " " << ShipTable[0].nextCheckpoint;
    for (int32_t i = 1; i < 3; ++i)
        EXPECT_EQ(std::tuple(ShipTable[i].x, ShipTable[i].y), std::tuple(grid[i].x, grid[i].y))
            << i;
    // The camera has followed: its target is near the ship.
    EXPECT_TRUE(std::abs(Camera.x - ShipTable[0].x) < 2000 &&
                std::abs(Camera.y - ShipTable[0].y) < 2000)
        << Camera.x - ShipTable[0].x << " " << Camera.y - ShipTable[0].y;
}

TEST(Race, WholeAutopilotRaceReachesTheResults) {
    const RaceReport r = AutopilotRace(0, 1, 20000);
    ASSERT_TRUE(r.finished) << "passes " << r.passes;
    EXPECT_TRUE(r.laps[0] == 3 && RaceOutcome >= 1 && RaceOutcome <= 3)
        << r.laps[0] << " " << RaceOutcome;
    EXPECT_EQ(std::tuple(RaceMusicRequest, ScreenStackEntry(ScreenStackDepth() - 1)),
              std::tuple(ResultsMusic, StateMainMenu));
    EXPECT_LE(r.wrecks[0] + r.wrecks[1] + r.wrecks[2], 9);
    EXPECT_LT(r.eyeInGround * 100, r.raceFrames);
}

// The real program, headless, from the menu into a race: the pad held, A pressed meanwhile
// and taken only after the pad is released, Left held, B, then the exit icon.
TEST(Race, ControlsInTheRealProgram) {
    const ProgramRun run = RunProgram(
        TestFolder("race_controls"),
        BAKED_RUN "--seed 5 --frames 256 --input {dir}/input.txt --trace {dir}/trace.jsonl",
        "10 tap 100 90\n30 tap 120 230\n50 tap 120 230\n" // PLAY, OK, OK
        "200 move 40 300\n200 down 40 300\n205 press a\n210 up\n"
        "220 key down left\n230 key up left\n240 press b\n"
        "250 move 230 5\n250 down 230 5\n251 up\n");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(run.trace.size(), 256u);
    // A field of a pass; ship 0 comes first in "ships", so its speed and bank are found first.
    const auto field = [&](int32_t pass, const char* key) {
        return TraceNumber(run.trace[static_cast<size_t>(pass - 1)], key);
    };
    const auto speed = [&](int32_t pass) { return field(pass, "speed"); };
    const auto dt = [&](int32_t pass) {
        return static_cast<double>(20.0f / static_cast<float>(field(pass, "frameRate")));
    };
    for (int32_t pass = 190; pass < 250; ++pass)
        ASSERT_EQ(std::tuple(run.At(pass, "state"), run.At(pass, "step")),
                  std::tuple(StateRace, StepUpdate))
            << pass;
    // Standing on the grid until the pad is touched.
    EXPECT_EQ(speed(199), 0.0);
    // Pad held (passes 200-209): 8 a step up, 0.5 drag, every frame; A waits meanwhile.
    // Released at 210: the pending A is taken then, and only then.
    for (int32_t pass = 200; pass <= 210; ++pass)
        EXPECT_NEAR(speed(pass) - speed(pass - 1), 7.5 * dt(pass), 0.002) << pass;
    EXPECT_NEAR(speed(211) - speed(210), -0.5 * dt(211), 0.002);
    // Left held (220-229) banks left 6 a step less 3 of levelling; then it levels.
    EXPECT_NEAR(field(220, "bank"), 3.0 * dt(220), 0.002);
    EXPECT_TRUE(field(229, "bank") > field(228, "bank") && field(230, "bank") < field(229, "bank"))
        << field(228, "bank") << " " << field(229, "bank") << " " << field(230, "bank");
    // B at 240: the brake takes 8 a step besides the drag.
    EXPECT_NEAR(speed(240) - speed(239), -8.5 * dt(240), 0.002);
    // The exit icon at 250: that frame still flies, the next pass is the main menu.
    EXPECT_EQ(std::tuple(run.At(249, "outcome"), run.At(250, "outcome"), run.At(250, "step")),
              std::tuple(0, 100, StepLeave));
    EXPECT_LT(speed(250), speed(249));
    // The course and ships reset.
    EXPECT_EQ(std::tuple(run.At(251, "state"), speed(251)), std::tuple(StateMainMenu, 0.0));
}

// The table of every track and level: TARNVELL_RACE_TABLE=1 to run it (a minute or so);
// TARNVELL_RACE_FPS=N races at another frame rate (5 to 20) instead of the nominal 20.
TEST(Race, EveryTrackAndLevelTable) {
    if (std::getenv("TARNVELL_RACE_TABLE") == nullptr)
        GTEST_SKIP() << "set TARNVELL_RACE_TABLE=1";
    LoadOnce();
    ASSERT_NE(ModelTable[0], nullptr);
    ASSERT_GT(ModelTable[0]->header.numVertices, 0); // contact is tested on a real model
    const char* fps = std::getenv("TARNVELL_RACE_FPS");
    std::printf("track level passes all-home wrecks(0/1/2) place eye-in-ground\n");
    for (int32_t t = 0; t < 15; ++t) {
        const int32_t track = t / 3, level = t % 3;
        SCOPED_TRACE(testing::Message() << "track " << track << " level " << level);
        // The player's finish ends the race; let the opponents finish too for the table.
        const RaceReport r = AutopilotRace(track, level, 30000, true, fps ? std::atoi(fps) : 20);
        std::printf("%d %d %d %d %d/%d/%d %d %.2f%%\n", track, level, r.passes, r.allFinished,
                    r.wrecks[0], r.wrecks[1], r.wrecks[2], RaceOutcome,
                    100.0 * r.eyeInGround / (r.raceFrames ? r.raceFrames : 1));
        EXPECT_TRUE(r.finished);
        EXPECT_GT(r.allFinished, 0);
        for (int32_t i = 0; i < 3; ++i)
            EXPECT_LE(r.wrecks[i], 3);
        EXPECT_LT(r.eyeInGround * 100, r.raceFrames);
    }
}

// True while the chase camera's eye stands inside the ground: the view from there is rock.
bool EyeInRock() {
    int32_t eyeX = 0, eyeY = 0;
    EyePoint(Camera, eyeX, eyeY);
    return HeightMap[((eyeX >> 8) & 511) + 512 * ((eyeY >> 8) & 511)] * 16 > Camera.height;
}

// What a wreck costs on every Checkpoint of every track: the player's ship, flown by the
// pilot, is wrecked just after passing each Checkpoint (with the return state and the camera a
// real lap left there) and must fly on to the next one without another wreck, in each of 4
// trials with the random generator seeded differently. Then, put back on spots 4 cells apart
// across the Checkpoint's middle half, edges included, the chase camera's eye must stay out of
// the ground for the 2 s (40 frames) after the put-back (a wreck in those 2 s ends the look and
// is counted). TARNVELL_RACE_TABLE=1 to run it; TARNVELL_RACE_TRACK=N for track N alone;
// TARNVELL_RACE_SEED=N for the Nth set of 4 random sequences instead of the first.
TEST(Race, PutBackOnEveryCheckpoint) {
    if (std::getenv("TARNVELL_RACE_TABLE") == nullptr)
        GTEST_SKIP() << "set TARNVELL_RACE_TABLE=1";
    LoadOnce();
    const char* seedSet = std::getenv("TARNVELL_RACE_SEED");
    const int32_t firstTrial = seedSet != nullptr ? 4 * std::max(0, std::atoi(seedSet)) : 0;
    int32_t all = 0, allRecovered = 0;
    const char* only = std::getenv("TARNVELL_RACE_TRACK"); // one track alone
    for (int32_t track = 0; track < 5; ++track) {
        if (only != nullptr && std::atoi(only) != track)
            continue;
        // One lap on autopilot at 20 frames a second, keeping the return state of each pass;
        // seeded per track, so a track's lap is the same whichever tracks ran before it.
        GameOptions.autopilot = true;
        SeedGameRandom(static_cast<uint32_t>(1 + track));
        StartRace(track, 1);
        EnterCountdown();
        const int32_t count = Course.checkpointCount;
        ShipState saved[CheckpointCapacity] = {};
        CameraState cameras[CheckpointCapacity] = {};
        int32_t next = ShipTable[0].nextCheckpoint;
        for (int32_t frame = 0; frame < 5000 && ShipTable[0].laps < 1; ++frame) {
            FrameRate = 20;
            UpdateRace();
            if (ShipTable[0].nextCheckpoint != next) {
                saved[next] = ShipTable[0];
                cameras[next] = Camera;
                next = ShipTable[0].nextCheckpoint;
            }
        }
        ASSERT_EQ(ShipTable[0].laps, 1) << track;
        // The opponents are kept out of the way.
        const auto wreckOpponents = [] {
            ShipTable[1].wrecked = ShipTable[2].wrecked = 1;
            ShipTable[1].wreckFrames = ShipTable[2].wreckFrames = -1000000;
        };
        int32_t recovered = 0, eyeSpots = 0, spotWrecks = 0, rockSpots = 0;
        for (int32_t k = 0; k < count; ++k) {
            int32_t failedTrials = 0;
            for (int32_t trial = 0; trial < 4; ++trial) {
                SeedGameRandom(static_cast<uint32_t>(1 + (firstTrial + trial) * 7919 + k * 104729 +
                                                     track * 31));
                ShipTable[0] = saved[k];
                ShipTable[0].wrecked = 1;
                ShipTable[0].wreckFrames = 50;
                ShipTable[0].laps = 0;
                Camera = cameras[k];
                wreckOpponents();
                bool passed = false, was = true;
                int32_t wrecks = 0, wreckX = 0, wreckY = 0;
                for (int32_t frame = 0; frame < 400 && !passed; ++frame) {
                    FrameRate = 20;
                    UpdateRace();
                    if (ShipTable[0].wrecked && !was && wrecks++ == 0) {
                        wreckX = ShipTable[0].x >> 8;
                        wreckY = ShipTable[0].y >> 8;
                    }
                    was = ShipTable[0].wrecked != 0;
                    passed = ShipTable[0].nextCheckpoint != (k + 1) % count;
                }
                failedTrials += !passed || wrecks > 0;
                EXPECT_TRUE(passed && wrecks == 0)
                    << "track " << track << ", Checkpoint " << k << ", trial " << trial << ": "
                    << wrecks << " wrecks, the first at " << wreckX << ", " << wreckY;
            }
            recovered += failedTrials == 0;
            // The eye after a put-back on every spot, as the put-back leaves the ship.
            const CourseBox& box = Course.checkpoints[k];
            const int32_t w = box.x1 - box.x0, h = box.y1 - box.y0;
            const int32_t left = (box.x0 + box.x1) / 2 - w / 4, top = (box.y0 + box.y1) / 2 - h / 4;
            const int32_t right = left + std::max(0, w / 2 - 1);
            const int32_t bottom = top + std::max(0, h / 2 - 1);
            for (int32_t sy = top; sy <= bottom;
                 sy = sy < bottom ? std::min(sy + 4, bottom) : sy + 1)
                for (int32_t sx = left; sx <= right;
                     sx = sx < right ? std::min(sx + 4, right) : sx + 1) {
                    ShipState& ship = ShipTable[0];
                    ship = saved[k];
                    PutBackAt(ship, sx * 256, sy * 256);
                    Camera = cameras[k];
                    wreckOpponents();
                    eyeSpots += 1;
                    int32_t inRock = 0, first = -1;
                    for (int32_t frame = 0; frame < 40 && !ship.wrecked; ++frame) {
                        FrameRate = 20;
                        UpdateRace();
                        if (EyeInRock() && inRock++ == 0)
                            first = frame;
                    }
                    EXPECT_EQ(inRock, 0)
                        << "track " << track << ", Checkpoint " << k << ", put back at " << sx
                        << ", " << sy << ": eye in the ground from frame " << first;
                    spotWrecks += ship.wrecked != 0;
                    rockSpots += inRock > 0;
                }
        }
        GameOptions.autopilot = false;
        std::printf("track %d: %d of %d checkpoints recovered\n", track, recovered, count);
        std::printf("track %d: eye checked for 2 s after put-backs on %d spots, %d wrecked, "
                    "%d with the eye in rock\n",
                    track, eyeSpots, spotWrecks, rockSpots);
        all += count;
        allRecovered += recovered;
    }
    EXPECT_EQ(allRecovered, all);
}
