// The terrain caster and the sky: fixed rows and distances, strips, closing, the depth buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "assets/assets.h"
#include "base/settings.h"
#include "keep_global.h"
#include "render/camera.h"
#include "render/tables.h"
#include "render/terrain_view.h"

namespace {

constexpr uint32_t Untouched = 0xFFFFFFFFu;
constexpr uint16_t Sentinel = 0xDEAD;

// The buffers a frame needs, owned by the test and lent to the globals while it runs.
struct Scene {
    std::vector<uint16_t> frame = std::vector<uint16_t>(240 * 320, Sentinel);
    std::vector<uint32_t> depth = std::vector<uint32_t>(240 * 240, 0x12345678u);
    std::vector<uint8_t> heights = std::vector<uint8_t>(512 * 512, 0);
    std::vector<uint16_t> colours = std::vector<uint16_t>(512 * 512, 0);
    std::vector<uint16_t> sky = std::vector<uint16_t>(256 * 256, 0);
    CameraState camera{};

    Scene() {
        BuildAngleTables();
        // Every cell and texel its own colour, never 0 and never the sentinel.
        for (int32_t i = 0; i < 512 * 512; ++i)
            colours[i] = static_cast<uint16_t>(1 + (i * 37) % 60000);
        for (int32_t i = 0; i < 256 * 256; ++i)
            sky[i] = static_cast<uint16_t>(60001 + i % 5000);
        Pose({78240, 18176, 1400, 60, -180, 240, 240, nullptr, nullptr});
    }
    void Pose(const CameraState& pose) {
        camera = pose;
        camera.depth = depth.data();
        camera.frame = frame.data();
    }
    void Cast(int32_t width, int32_t distance) {
        CastTerrainColumns(camera, width, distance, colours.data(), heights.data());
    }
    uint32_t Depth(int32_t row, int32_t column) const { return depth[row * 240 + column]; }
    uint16_t Pixel(int32_t row, int32_t column) const { return frame[row * 240 + column]; }
    // How many pixels of the row the caster wrote (depth and colour), or left untouched.
    int32_t Count(int32_t row, bool written) const {
        int32_t n = 0;
        for (int32_t c = 0; c < 240; ++c)
            n += (Depth(row, c) != Untouched && Pixel(row, c) != Sentinel) == written &&
                 (Depth(row, c) == Untouched && Pixel(row, c) == Sentinel) != written;
        return n;
    }
    bool RowUntouched(int32_t row) const { return Count(row, false) == 240; }
    bool RowCovered(int32_t row) const { return Count(row, true) == 240; }
};

// The caster written out step by step as the game describes it, with 32-bit arithmetic, both
// caches and no shortcuts, to hold the real one to every pixel and depth entry.
void ReferenceCast(const CameraState& camera, int32_t w, int32_t maxDistance,
                   const uint16_t* colours, const uint8_t* heights) {
    const int32_t none = -1;
    const int32_t n = camera.viewWidth / w;
    std::fill(camera.depth, camera.depth + 240 * 240, Untouched);
    std::vector<int32_t> open(n, camera.viewHeight), writePos(n), prevCell(n, none);
    for (int32_t k = 0; k < n; ++k)
        writePos[k] = 239 * 240 + k * w;
    const int32_t eyeX = camera.x - ((CosTable[camera.angle] * camera.height * 4) >> 10);
    const int32_t eyeY = camera.y - ((SinTable[camera.angle] * camera.height * 4) >> 10);
    const int32_t dL = (camera.angle + 241) % 256, dR = (camera.angle + 271) % 256;
    int32_t d = 1;
    int32_t plx = (eyeX << 10) + CosTable[dL], ply = (eyeY << 10) + SinTable[dL];
    int32_t prx = (eyeX << 10) + CosTable[dR], pry = (eyeY << 10) + SinTable[dR];
    while (d <= maxDistance) {
        const int32_t s = d < 1000 ? 64 : d < 25000 ? 128 : 256;
        d += s;
        plx += CosTable[dL] * s;
        ply += SinTable[dL] * s;
        prx += CosTable[dR] * s;
        pry += SinTable[dR] * s;
        const int32_t base = ((camera.height << 10) / d) - camera.tilt - 80;
        const int32_t sx = (prx - plx) / n, sy = (pry - ply) / n;
        bool allClosed = true;
        int32_t cacheCell = none, cacheCellRow = 0, cacheHeight = none, cacheHeightRow = 0;
        int32_t px = plx, py = ply;
        for (int32_t k = 0; k < n; ++k, px += sx, py += sy) {
            if (open[k] == 0)
                continue;
            allClosed = false;
            if (px < 0 || px > 0x7FC0000 || py < 0 || py > 0x7FC0000) {
                if (open[k] < camera.viewHeight)
                    open[k] = 0;
                prevCell[k] = cacheCell = none;
                continue;
            }
            const int32_t cell = ((px >> 18) & 511) + ((py >> 18) & 511) * 512;
            if (cell == prevCell[k])
                continue;
            const int32_t h = heights[cell];
            const int32_t row = cell == cacheCell  ? cacheCellRow
                                : h == cacheHeight ? cacheHeightRow
                                                   : base - ((h << 14) / d);
            cacheCell = cell;
            cacheHeight = h;
            cacheCellRow = cacheHeightRow = row;
            const int32_t y = row < 0 ? 0 : row;
            const int32_t previous = prevCell[k];
            prevCell[k] = cell;
            if (y >= open[k])
                continue;
            if (previous == none) {
                writePos[k] = y * 240 + k * w;
                open[k] = y;
                continue;
            }
            for (int32_t r = open[k] - y; r > 0; --r, writePos[k] -= 240) {
                for (int32_t i = 0; i < w; ++i) {
                    camera.frame[writePos[k] + i] = colours[previous];
                    camera.depth[writePos[k] + i] = static_cast<uint32_t>(d);
                }
            }
            open[k] = y;
        }
        if (allClosed)
            break;
    }
}

// The casters to hold against each other: strip by strip, the baseline vectors, and AVX2
// where the processor has it.
std::vector<CasterChoice> CastersThisProcessorRuns() {
    std::vector<CasterChoice> casters = {CasterChoice::Scalar, CasterChoice::Vector};
    ChooseTerrainCaster(CasterChoice::Avx2);
    if (TerrainCasterInUse() == CasterChoice::Avx2)
        casters.push_back(CasterChoice::Avx2);
    ChooseTerrainCaster(CasterChoice::Fastest);
    return casters;
}

// Casts one pose with every caster this processor runs and with the step-by-step reference,
// and says which caster first differs from it on a pixel or depth entry.
testing::AssertionResult EveryCasterMatches(Scene& real, Scene& reference, const CameraState& pose,
                                            int32_t w, int32_t distance) {
    reference.Pose(pose);
    ReferenceCast(reference.camera, w, distance, reference.colours.data(),
                  reference.heights.data());
    for (CasterChoice caster : CastersThisProcessorRuns()) {
        ChooseTerrainCaster(caster);
        real.Pose(pose);
        real.Cast(w, distance);
        ChooseTerrainCaster(CasterChoice::Fastest);
        if (real.depth != reference.depth || real.frame != reference.frame)
            return testing::AssertionFailure() << "caster " << int(caster) << " differs";
    }
    return testing::AssertionSuccess();
}

} // namespace

TEST(TerrainView, MatchesTheStepByStepCasterEverywhere) {
    Scene real, reference;
    std::mt19937 random(1234);
    // Rolling ground: a few broad waves plus noise, with peaks high enough to close strips.
    for (int32_t i = 0; i < 512 * 512; ++i) {
        const int32_t x = i % 512, y = i / 512;
        const int32_t wave = ((x * 7 + y * 3) % 160) + ((x * y) % 53);
        real.heights[i] = static_cast<uint8_t>(std::clamp(wave + int32_t(random() % 24), 0, 255));
    }
    reference.heights = real.heights;
    std::uniform_int_distribution<int32_t> position(-30000, 160000), height(300, 4500),
        angle(0, 255), tilt(-260, -40);
    int32_t framesWithTerrain = 0;
    const std::vector<CasterChoice> casters = CastersThisProcessorRuns();
    // Whole-frame equality also holds the panel rows 240 on untouched and every strip full.
    static_assert(WideStrip == 8 && MiddleStrip == 4 && NarrowStrip == 2);
    // The first poses: the menu camera; an eye west of the map looking in, so every strip
    // starts at the map's edge; one above every peak 40,000 from the east edge looking out, so
    // strips close only where the map ends.
    const CameraState fixed[3] = {{78240, 18176, 1400, 60, -180, 240, 240, nullptr, nullptr},
                                  {-14400, 65536, 1400, 0, -180, 240, 240, nullptr, nullptr},
                                  {107072, 65536, 4000, 0, -180, 240, 240, nullptr, nullptr}};
    for (int32_t trial = 0; trial < 40; ++trial) {
        CameraState pose{};
        pose.x = position(random), pose.y = position(random), pose.height = height(random);
        pose.angle = angle(random), pose.tilt = tilt(random);
        pose.viewWidth = pose.viewHeight = 240;
        if (trial < 3)
            pose = fixed[trial];
        for (int32_t w : {WideStrip, MiddleStrip, NarrowStrip}) {
            for (int32_t distance : {50000, 75000, 100000}) {
                reference.Pose(pose);
                ReferenceCast(reference.camera, w, distance, reference.colours.data(),
                              reference.heights.data());
                // Every caster this processor runs, over a frame holding the last one's pixels.
                for (CasterChoice caster : casters) {
                    ChooseTerrainCaster(caster);
                    real.Pose(pose);
                    real.Cast(w, distance);
                    ChooseTerrainCaster(CasterChoice::Fastest);
                    ASSERT_TRUE(real.depth == reference.depth && real.frame == reference.frame)
                        << "trial " << trial << " w " << w << " caster " << int(caster)
                        << ": the first differing depth "
                        << std::ranges::mismatch(real.depth, reference.depth).in1 -
                               real.depth.begin()
                        << ", pixel "
                        << std::ranges::mismatch(real.frame, reference.frame).in1 -
                               real.frame.begin();
                }
                framesWithTerrain += std::count_if(real.depth.begin(), real.depth.end(),
                                                   [](uint32_t e) { return e != Untouched; }) > 0;
                // The edge poses do what they are here for: from the west, the nearest rows
                // see no map; looking out east, nothing past the edge (40,000 ahead).
                uint32_t farthest = 0;
                for (uint32_t e : real.depth)
                    farthest = e != Untouched ? std::max(farthest, e) : farthest;
                const auto noGround = [&](int32_t row) {
                    return std::all_of(real.depth.begin() + row * 240,
                                       real.depth.begin() + row * 240 + 240,
                                       [](uint32_t e) { return e == Untouched; });
                };
                EXPECT_TRUE(trial != 1 || (noGround(239) && !noGround(120)))
                    << w << " " << distance << ": " << noGround(239) << noGround(120);
                EXPECT_TRUE(trial != 2 || (farthest > 20000 && farthest < 43000)) << farthest;
                // The next pose draws over this one's pixels, as frames do in the game.
                std::fill(real.depth.begin(), real.depth.end(), 0x12345678u);
                reference.depth = real.depth;
            }
        }
    }
    EXPECT_GT(framesWithTerrain, 100); // the poses really do see ground
}

// The casters stop a strip once no height byte can stand above its open row from there on.
// Ground of the tallest bytes puts the last spans exactly on that bound: scattered spires
// of 255 over low ground, and ridges of 255 with gaps, seen from eyes below and above them.
TEST(TerrainView, StripsEndOnlyWhereNothingTallerCanShow) {
    Scene real, reference;
    std::mt19937 random(99);
    std::uniform_int_distribution<int32_t> position(0, 131000), angle(0, 255), tilt(-260, -40);
    int32_t farGround = 0;
    for (int32_t ground = 0; ground < 2; ++ground) {
        for (int32_t i = 0; i < 512 * 512; ++i) {
            const int32_t x = i % 512, y = i / 512;
            const bool tallest = ground == 0 ? random() % 97 == 0 : (x / 16 + y / 16) % 5 == 0;
            real.heights[i] = tallest ? 255 : static_cast<uint8_t>(random() % 40);
        }
        reference.heights = real.heights;
        for (int32_t trial = 0; trial < 16; ++trial) {
            const int32_t x = position(random);
            const int32_t y = position(random);
            const int32_t eye = trial % 2 == 0 ? 1400 : 4600; // below and above the tallest
            const CameraState pose{x,   y,   eye,     angle(random), tilt(random),
                                   240, 240, nullptr, nullptr};
            for (int32_t w : {WideStrip, MiddleStrip}) {
                ASSERT_TRUE(EveryCasterMatches(real, reference, pose, w, 75000))
                    << "ground " << ground << " trial " << trial << " w " << w;
                // Ground drawn far away, where the bound is in play.
                for (int32_t i = 0; i < 240 * 240; ++i)
                    farGround += real.depth[i] != Untouched && real.depth[i] > 30000;
            }
        }
    }
    EXPECT_GT(farGround, 1000);
}

// The batches skip the first steps while no ground near the eye can reach into the view. One
// spire on flat ground, anywhere around the eye, must still be drawn from the step it shows
// at, whether it stands just inside or just outside the view.
TEST(TerrainView, ASpireNearTheEyeShowsFromItsFirstStep) {
    Scene real, reference;
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> near(-40, 40), angle(0, 255), tall(90, 255);
    int32_t drawn = 0;
    for (int32_t trial = 0; trial < 150; ++trial) {
        const int32_t eyeX = 65536 + near(random) * 64;
        const int32_t eyeY = 65536 + near(random) * 64;
        const CameraState pose{eyeX, eyeY, 1400, angle(random), -180, 240, 240, nullptr, nullptr};
        std::fill(real.heights.begin(), real.heights.end(), uint8_t{0});
        const int32_t spireX = 256 + near(random);
        const int32_t spire = spireX + (256 + near(random)) * 512;
        real.heights[spire] = static_cast<uint8_t>(tall(random));
        reference.heights = real.heights;
        ASSERT_TRUE(EveryCasterMatches(real, reference, pose, MiddleStrip, 25000))
            << "trial " << trial;
        // Whether the spire shows: the frame without it differs.
        reference.heights[spire] = 0;
        ReferenceCast(reference.camera, MiddleStrip, 25000, reference.colours.data(),
                      reference.heights.data());
        drawn += reference.depth != real.depth;
    }
    EXPECT_GT(drawn, 15); // the spire does stand in view in many of the poses
}

TEST(TerrainView, MenuCameraOverFlatGround) {
    // Main menu camera, flat ground of height 0, eye over the map.
    for (int32_t distance : {0, 2}) {
        Scene scene;
        scene.Cast(MiddleStrip, MaximumViewDistance(distance));
        uint32_t farthest = 0;
        for (uint32_t e : scene.depth)
            farthest = e != Untouched ? std::max(farthest, e) : farthest;
        // The first sample inside the view is d = 10241, on row 239.
        EXPECT_EQ(*std::min_element(scene.depth.begin(), scene.depth.end()), 10241u);
        const int32_t lastRow = distance == 2 ? 114 : 128;
        EXPECT_LE(farthest, distance == 2 ? 100097u : 50177u);
        EXPECT_TRUE(scene.RowCovered(239) && scene.RowCovered(lastRow))
            << lastRow << ": " << scene.RowCovered(239) << scene.RowCovered(lastRow);
        for (int32_t row = 0; row < lastRow; ++row)
            EXPECT_TRUE(scene.RowUntouched(row)) << row;
        // Each strip is one unbroken run from row 239 up to its last row, depth growing
        // upward and one colour in each span.
        for (int32_t c = 0; c < 240; ++c) {
            for (int32_t row = 239; row > lastRow; --row) {
                ASSERT_GE(scene.Depth(row - 1, c), scene.Depth(row, c));
                ASSERT_TRUE(scene.Depth(row - 1, c) != scene.Depth(row, c) ||
                            scene.Pixel(row - 1, c) == scene.Pixel(row, c))
                    << "row " << row << ", column " << c << ": " << scene.Pixel(row - 1, c)
                    << " over " << scene.Pixel(row, c);
            }
        }
    }
}

TEST(TerrainView, SettingsChooseClearSkyAndStrips) {
    Scene scene;
    const KeepGlobal<uint16_t*> keepSky(SkyPicture), keepColours(TerrainColours);
    const KeepGlobal<uint8_t*> keepHeights(HeightMap);
    const KeepGlobal<CameraState> keepCamera(Camera);
    const KeepGlobal<Settings> keepSettings(GameSettings);
    SkyPicture = scene.sky.data(), TerrainColours = scene.colours.data();
    HeightMap = scene.heights.data(), Camera = scene.camera;

    // The sky writes no depth.
    DrawSky(Camera, scene.sky.data());
    EXPECT_TRUE(std::all_of(scene.depth.begin(), scene.depth.end(),
                            [](uint32_t e) { return e == 0x12345678u; }));

    // DETAIL 3 draws no terrain and leaves the depth buffer alone; sky on and FAR: no clear.
    GameSettings.detail = 3, GameSettings.distance = 2, GameSettings.sky = 1;
    std::fill(scene.frame.begin(), scene.frame.end(), Sentinel);
    DrawTerrainView();
    EXPECT_GE(scene.Pixel(50, 7), 60001);
    EXPECT_EQ(std::tuple(scene.Pixel(150, 7), scene.depth[0]), std::tuple(Sentinel, 0x12345678u));

    // NEAR clears the view first: below the horizon it is black where no terrain lands.
    GameSettings.distance = 0;
    DrawTerrainView();
    EXPECT_EQ(std::tuple(scene.Pixel(110, 7), scene.Pixel(239, 239), scene.depth[0]),
              std::tuple(0, 0, 0x12345678u));

    // SKY off: black above the terrain; DETAIL LOW casts, and every pixel without terrain
    // has its depth entry all bits set.
    GameSettings.sky = 0, GameSettings.distance = 2, GameSettings.detail = 0;
    std::fill(scene.frame.begin(), scene.frame.end(), Sentinel);
    DrawTerrainView();
    EXPECT_EQ(scene.Pixel(10, 10), 0);
    for (int32_t i = 0; i < 240 * 240; ++i) {
        ASSERT_EQ(scene.depth[i] == Untouched, scene.frame[i] == 0) << i;
        ASSERT_TRUE(scene.depth[i] == Untouched ||
                    (scene.depth[i] >= 65u && scene.depth[i] <= 100097u))
            << i << ": " << scene.depth[i];
    }
    EXPECT_EQ(scene.frame[240 * 240], Sentinel);
}

TEST(TerrainView, EveryCasterDrawsTheSkyUnderTheTerrainAlike) {
    // The vector casters draw the sky batch by batch and leave out the rows their terrain
    // covers whole; the strip-by-strip caster draws the whole sky first. Every setting, over
    // the last frame's pixels, with peaks that rise above the horizon.
    Scene scene;
    for (int32_t i = 0; i < 512 * 512; ++i) {
        const int32_t x = i % 512, y = i / 512;
        scene.heights[i] = static_cast<uint8_t>(((x * 5 + y * 11) % 200) + (x * y) % 56);
    }
    const KeepGlobal<uint16_t*> keepSky(SkyPicture), keepColours(TerrainColours);
    const KeepGlobal<uint8_t*> keepHeights(HeightMap);
    const KeepGlobal<CameraState> keepCamera(Camera);
    const KeepGlobal<Settings> keepSettings(GameSettings);
    SkyPicture = scene.sky.data(), TerrainColours = scene.colours.data();
    HeightMap = scene.heights.data();
    std::mt19937 random(77);
    std::uniform_int_distribution<int32_t> position(0, 131000), height(300, 4500), angle(0, 255),
        tilt(-260, -60);
    const std::vector<CasterChoice> casters = CastersThisProcessorRuns();
    int32_t skyUnderTerrain = 0; // sky-row pixels the terrain covers, over every frame
    for (int32_t trial = 0; trial < 12; ++trial) {
        const CameraState pose{position(random),
                               position(random),
                               height(random),
                               angle(random),
                               tilt(random),
                               240,
                               240,
                               scene.depth.data(),
                               scene.frame.data()};
        for (int32_t detail = 0; detail < 4; ++detail) {
            for (int32_t distance = 0; distance < 3; ++distance) {
                GameSettings.detail = detail, GameSettings.distance = distance;
                GameSettings.sky = 1;
                // The previous frame's pixels, which FAR keeps where neither sky nor terrain
                // reaches.
                const std::vector<uint16_t> previous = scene.frame;
                const std::vector<uint32_t> previousDepth = scene.depth;
                std::vector<uint16_t> wantFrame;
                std::vector<uint32_t> wantDepth;
                for (CasterChoice caster : casters) {
                    scene.frame = previous, scene.depth = previousDepth;
                    ChooseTerrainCaster(caster);
                    Camera = pose;
                    DrawTerrainView();
                    ChooseTerrainCaster(CasterChoice::Fastest);
                    if (caster == CasterChoice::Scalar) {
                        wantFrame = scene.frame, wantDepth = scene.depth;
                        continue;
                    }
                    ASSERT_TRUE(scene.frame == wantFrame && scene.depth == wantDepth)
                        << "trial " << trial << " detail " << detail << " distance " << distance
                        << " caster " << int(caster);
                }
                const int32_t horizon = std::clamp(-pose.tilt - 80, 0, 240);
                skyUnderTerrain += static_cast<int32_t>(
                    std::count_if(scene.depth.begin(), scene.depth.begin() + horizon * 240,
                                  [](uint32_t e) { return e != Untouched; }));
            }
        }
    }
    EXPECT_GT(skyUnderTerrain, 100000); // the peaks really do hide sky
}

TEST(TerrainView, SkyRowsUpToTheHorizonAtEveryAngle) {
    // The sky written out as described, in 64 bits: near the horizon the distance to the
    // clouds times the table entries leaves 32 bits, and wrapped steps would shift texels.
    Scene scene;
    for (int32_t i = 0; i < 256 * 256; ++i)
        scene.sky[i] = static_cast<uint16_t>(i);
    const std::vector<CasterChoice> casters = CastersThisProcessorRuns();
    for (int32_t height : {1400, 300, 4000, 60000}) {
        for (int32_t angle = 0; angle < 256 * static_cast<int32_t>(casters.size()); ++angle) {
            // Each angle once by every caster.
            ChooseTerrainCaster(casters[angle / 256]);
            const int32_t view = angle % 256;
            scene.Pose({70000, 90000, height, view, -180, 240, 240, nullptr, nullptr});
            std::fill(scene.frame.begin(), scene.frame.end(), Sentinel);
            DrawSky(scene.camera, scene.sky.data());
            ChooseTerrainCaster(CasterChoice::Fastest);
            int32_t eyeX = 0, eyeY = 0;
            EyePoint(scene.camera, eyeX, eyeY);
            const int32_t dL = (view + 241) % 256, dR = (view + 271) % 256;
            for (int32_t r = 0; r < 100; ++r) {
                const int64_t t = (int64_t{height - 4800} * 1024) / (-180 + r + 80);
                int64_t lx = CosTable[dL] * t + int64_t{eyeX} * 1024;
                int64_t ly = SinTable[dL] * t + int64_t{eyeY} * 1024;
                const int64_t sx = (CosTable[dR] * t - lx + int64_t{eyeX} * 1024) / 60;
                const int64_t sy = (SinTable[dR] * t - ly + int64_t{eyeY} * 1024) / 60;
                for (int32_t g = 0; g < 60; ++g, lx += sx, ly += sy) {
                    const int32_t texel = ((lx >> 19) & 255) + ((ly >> 19) & 255) * 256;
                    for (int32_t p = 0; p < 4; ++p)
                        ASSERT_EQ(scene.Pixel(r, g * 4 + p), texel)
                            << "height " << height << " angle " << angle << " row " << r;
                }
            }
            ASSERT_EQ(scene.Pixel(100, 0), Sentinel);
        }
    }
    // A picture shifted up (tilt -100) has the horizon on row 20; tilt -80 and above, no sky.
    for (int32_t tilt : {-100, -80}) {
        scene.camera.tilt = tilt;
        std::fill(scene.frame.begin(), scene.frame.end(), Sentinel);
        DrawSky(scene.camera, scene.sky.data());
        const int32_t horizon = tilt == -100 ? 20 : 0;
        EXPECT_EQ(std::tuple(scene.Pixel(horizon, 0),
                             horizon == 0 || scene.Pixel(horizon - 1, 239) != Sentinel),
                  std::tuple(Sentinel, true))
            << tilt;
    }
}
