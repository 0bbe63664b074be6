// Golden pictures of the landscape drawn from the baked data set, on several planets and tracks,
// measures of the ground the game colours from it, and the race panel's overview map on every
// planet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "assets/paths.h"
#include "assets/terrain_data.h"
#include "assets/tga.h"
#include "base/settings.h"
#include "golden_picture.h"
#include "keep_global.h"
#include "race/course.h"
#include "race/course_data.h"
#include "render/camera.h"
#include "render/colour_map.h"
#include "render/tables.h"
#include "render/terrain_view.h"

namespace {

// The globals a landscape frame reads, pointed at buffers of the test's own and put back after.
struct BakedScene {
    std::vector<uint16_t> frame = std::vector<uint16_t>(240 * 320, 0);
    std::vector<uint32_t> depth = std::vector<uint32_t>(240 * 240, 0);
    std::vector<uint8_t> heights = std::vector<uint8_t>(512 * 512, 0);
    std::vector<uint16_t> colours = std::vector<uint16_t>(512 * 512, 0);
    std::vector<uint16_t> sky = std::vector<uint16_t>(256 * 256, 0);
    std::vector<uint16_t> tiles[4];

    KeepGlobal<uint8_t*> keepHeights{HeightMap};
    KeepGlobal<uint16_t*> keepColours{TerrainColours}, keepSky{SkyPicture};
    KeepGlobal<decltype(TileSlots)> keepTiles{TileSlots};
    KeepGlobal<CameraState> keepCamera{Camera};
    KeepGlobal<Settings> keepSettings{GameSettings};
    // The data folder in use before (MapFolder() is it followed by "Map/").
    std::string savedFolder =
        MapFolder().substr(0, MapFolder().size() >= 4 ? MapFolder().size() - 4 : 0);

    BakedScene() {
        BuildAngleTables();
        SetDataFolder(TARNVELL_DATA);
        HeightMap = heights.data();
        TerrainColours = colours.data();
        SkyPicture = sky.data();
        for (int32_t i = 0; i < 4; ++i) {
            tiles[i].assign(TileSlotPixels, 0);
            TileSlots[i] = tiles[i].data();
        }
        LoadTgaPicture(DataFilePath(GraphFolder(), "cloud.tga"), 256, 256, SkyPicture);
    }
    ~BakedScene() {
        if (!savedFolder.empty())
            SetDataFolder(savedFolder);
    }

    void Load(int32_t track, int32_t planet) {
        LoadTrackMap(track);
        LoadPlanetTiles(planet);
        BuildTerrainColours(HeightMap, TerrainColours, 0, 1, 2, 3);
    }

    // A camera as the race keeps it (height 1400, tilt -180) over a cell, looking at `angle`.
    void Aim(int32_t cellX, int32_t cellY, int32_t angle) {
        Camera = {cellX * 256 + 128, cellY * 256 + 128, 1400, angle & 255, -180, 240, 240,
                  depth.data(),      frame.data()};
    }

    void Draw(int32_t detail, int32_t distance, int32_t sky) {
        GameSettings.detail = detail;
        GameSettings.distance = distance;
        GameSettings.sky = sky;
        std::fill(frame.begin(), frame.end(), 0);
        DrawTerrainView();
    }
};

// The angle (0-255) from one waypoint's centre toward the next, as a pilot would fly it.
int32_t CourseAngle(int32_t track, int32_t waypoint) {
    const CourseTable& course = CourseTables[track];
    const int32_t next = (waypoint + 1) % course.waypointCount;
    const double dx = course.waypoints[next][0] - course.waypoints[waypoint][0];
    const double dy = course.waypoints[next][1] - course.waypoints[waypoint][1];
    const int32_t angle = static_cast<int32_t>(std::lround(std::atan2(dy, dx) * 128.0 / M_PI));
    return (angle % 256 + 256) % 256;
}

uint64_t HashFile(const std::string& path, uint64_t hash) {
    std::ifstream file(path, std::ios::binary);
    char c;
    while (file.get(c))
        hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    return hash;
}

// What the golden pictures were made from: the maps, tiles and clouds of the data set.
uint64_t HashInputs() {
    uint64_t hash = 14695981039346656037ull;
    const std::string data = TARNVELL_DATA;
    for (int32_t t = 1; t <= 5; ++t)
        hash = HashFile(data + "/Map/map" + std::to_string(t) + ".raw", hash);
    for (int32_t t = 1; t <= 16; ++t)
        hash = HashFile(data + "/Graph/tile" + std::to_string(t) + ".tga", hash);
    return HashFile(data + "/Graph/cloud.tga", hash);
}

// The depth buffer as a picture: near is light, far dark, nothing drawn black.
std::vector<uint16_t> DepthPicture(const std::vector<uint32_t>& depth) {
    std::vector<uint16_t> picture(depth.size());
    for (size_t i = 0; i < depth.size(); ++i) {
        const uint32_t level =
            depth[i] == 0xFFFFFFFFu ? 0 : 63 - std::min<uint32_t>(depth[i] / 1600, 62);
        picture[i] = static_cast<uint16_t>(((level >> 1) << 11) | (level << 5) | (level >> 1));
    }
    return picture;
}

// Luminance (0-255) of an RGB565 colour.
double Luminance(uint16_t c) {
    return 0.299 * ((c >> 11) << 3) + 0.587 * (((c >> 5) & 63) << 2) + 0.114 * ((c & 31) << 3);
}

// How strongly the colour map repeats with the tiles: the correlation of the luminance of each
// valley-floor cell (height byte below 40) with the cell 128 to its right and 128 below it,
// where that cell is valley floor too. 1 is a visible grid; noise is 0.
double TileGridCorrelation(const uint8_t* heights, const uint16_t* colours) {
    double n = 0, sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (int32_t y = 0; y < 512; ++y)
        for (int32_t x = 0; x < 512; ++x) {
            if (heights[y * 512 + x] >= 40)
                continue;
            for (int32_t other : {y * 512 + ((x + 128) & 511), ((y + 128) & 511) * 512 + x}) {
                if (heights[other] >= 40)
                    continue;
                const double a = Luminance(colours[y * 512 + x]);
                const double b = Luminance(colours[other]);
                n += 1;
                sa += a;
                sb += b;
                saa += a * a;
                sbb += b * b;
                sab += a * b;
            }
        }
    const double cov = sab / n - (sa / n) * (sb / n);
    const double va = saa / n - (sa / n) * (sa / n), vb = sbb / n - (sb / n) * (sb / n);
    return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 1.0;
}

} // namespace

TEST(TerrainGolden, BakedViews) {
    const std::string inputsPath =
        std::string(TARNVELL_SOURCE) + "/tests/golden/terrain_inputs.txt";
    std::ostringstream hashText;
    hashText << std::hex << HashInputs() << "\n";
    if (UpdatingGoldenPictures()) {
        std::filesystem::create_directories(std::string(TARNVELL_SOURCE) + "/tests/golden");
        std::ofstream(inputsPath) << hashText.str();
    } else {
        std::ifstream stored(inputsPath);
        std::string line;
        std::getline(stored, line);
        EXPECT_EQ(line + "\n", hashText.str())
            << "the baked maps, tiles or clouds changed since the golden pictures were made; "
               "look at the new pictures and rerun with TARNVELL_UPDATE_GOLDEN=1";
    }

    BakedScene scene;
    // The main menu's view: track 0, planet 0, the default settings.
    scene.Load(0, 0);
    scene.Aim(0, 0, 0);
    Camera.x = 78240;
    Camera.y = 18176;
    Camera.angle = 60;
    scene.Draw(1, 2, 1);
    EXPECT_TRUE(MatchesGoldenPicture("terrain_menu", scene.frame.data(), 240, 240));
    EXPECT_TRUE(
        MatchesGoldenPicture("terrain_menu_depth", DepthPicture(scene.depth).data(), 240, 240));

    // Along the courses: track 2 on planet 5 with fine strips, near; track 4 on planet 9 with
    // wide strips, medium distance, no sky.
    struct View {
        const char* name;
        int32_t track, planet, waypoint, detail, distance, sky;
    };
    for (const View& v : {View{"terrain_track3_planet6", 2, 5, 4, 2, 0, 1},
                          View{"terrain_track5_planet10", 4, 9, 7, 0, 1, 0}}) {
        scene.Load(v.track, v.planet);
        const auto& waypoint = CourseTables[v.track].waypoints[v.waypoint];
        scene.Aim(waypoint[0] + 15, waypoint[1] + 15, CourseAngle(v.track, v.waypoint));
        scene.Draw(v.detail, v.distance, v.sky);
        EXPECT_TRUE(MatchesGoldenPicture(v.name, scene.frame.data(), 240, 240));
    }
}

TEST(GroundData, MeasureOfTheTileGridFindsARepeat) {
    // A map all valley floor under one tile is the tile repeated: a grid. Ground with no
    // repeat measures near 0.
    std::vector<uint8_t> heights(512 * 512, 10);
    std::vector<uint16_t> colours(512 * 512);
    for (int32_t i = 0; i < 512 * 512; ++i) {
        const int32_t u = i % 512 & 127, v = i / 512 & 127;
        colours[static_cast<size_t>(i)] = static_cast<uint16_t>(((u * 31 / 127) << 11) | (v / 4));
    }
    EXPECT_GT(TileGridCorrelation(heights.data(), colours.data()), 0.99);
    uint32_t state = 1;
    for (size_t i = 0; i < colours.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        colours[i] = static_cast<uint16_t>(state >> 16);
    }
    EXPECT_LT(std::fabs(TileGridCorrelation(heights.data(), colours.data())), 0.05);
}

TEST(GroundData, NoTileGridOnTheValleyFloors) {
    BakedScene scene;
    double worst = 0;
    for (int32_t planet = 0; planet < 12; ++planet) {
        std::string line = "planet " + std::to_string(planet) + ":";
        for (int32_t track = 0; track < TrackCount; ++track) {
            scene.Load(track, planet);
            const double r = TileGridCorrelation(HeightMap, TerrainColours);
            EXPECT_LE(r, 0.35) << "planet " << planet << ", track " << track;
            worst = std::max(worst, r);
            char figure[16];
            std::snprintf(figure, sizeof figure, " %.2f", r);
            line += figure;
        }
        std::printf("%s\n", line.c_str());
    }
    std::printf("tile grid correlation at most %.2f\n", worst);
}

TEST(TerrainGolden, OverviewMapShowsTheValleyOnEveryPlanet) {
    // The race panel's overview map, as the countdown builds it, on every planet and track:
    // the course's valley floor (height byte below 40) stands out from the walls (above 115).
    // Measured as the distance between their mean colours in units of their spread. Where the
    // floor's tile differs from the walls' the colours part them; a planet dressed in one tile
    // all over has only the shadows to show its valley, and is held to the same bar.
    BakedScene scene;
    std::vector<uint16_t> panel(size_t(PanelPictureWidth) * PanelPictureHeight, 0);
    const KeepGlobal<uint16_t*> keepPanel{PanelPicture};
    PanelPicture = panel.data();
    for (int32_t planet = 0; planet < 12; ++planet) {
        const bool oneTile = std::string(PlanetTiles[planet][0]) == PlanetTiles[planet][2] &&
                             std::string(PlanetTiles[planet][0]) == PlanetTiles[planet][3];
        std::string line = "planet " + std::to_string(planet) + ":";
        for (int32_t track = 0; track < TrackCount; ++track) {
            scene.Load(track, planet);
            BuildPanelMap();
            double n[2] = {}, sum[2][3] = {}, squares[2] = {};
            for (int32_t j = 0; j < 80; ++j)
                for (int32_t i = 0; i < 80; ++i) {
                    const int32_t height = HeightMap[(512 * j / 80) * 512 + 512 * i / 80];
                    if (height >= 40 && height <= 115)
                        continue;
                    const int32_t kind = height < 40 ? 0 : 1;
                    const uint16_t c = panel[size_t(j) * PanelPictureWidth + 160 + i];
                    const double rgb[3] = {double((c >> 11) << 3), double(((c >> 5) & 63) << 2),
                                           double((c & 31) << 3)};
                    n[kind] += 1;
                    for (int32_t k = 0; k < 3; ++k) {
                        sum[kind][k] += rgb[k];
                        squares[kind] += rgb[k] * rgb[k];
                    }
                }
            ASSERT_TRUE(n[0] > 0 && n[1] > 0) << "planet " << planet << ", track " << track;
            double apart = 0, spread = 0;
            for (int32_t k = 0; k < 3; ++k) {
                const double floor = sum[0][k] / n[0], wall = sum[1][k] / n[1];
                apart += (floor - wall) * (floor - wall);
                spread -= 0.5 * (floor * floor + wall * wall);
            }
            spread += 0.5 * (squares[0] / n[0] + squares[1] / n[1]);
            const double separation = std::sqrt(apart / std::max(spread, 1.0));
            EXPECT_GE(separation, 0.35) << "planet " << planet << ", track " << track;
            char figure[16];
            std::snprintf(figure, sizeof figure, " %.2f", separation);
            line += figure;
        }
        std::printf("%s%s\n", line.c_str(), oneTile ? " (one tile)" : "");
    }
}
