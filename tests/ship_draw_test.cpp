// Placing and drawing ship models, the surface-contact test, DrawShip and the map markers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/ship.h"
#include "keep_global.h"
#include "render/camera.h"
#include "render/ship_draw.h"
#include "render/tables.h"

namespace {

constexpr uint16_t Untouched = 0x1234;

// A one-frame model whose vertices decode to the given (x, y, z) (file axes: the game
// negates y), each triangle using texture coordinate 0.
ShipModel MakeModel(const std::vector<std::array<int32_t, 3>>& vertices,
                    const std::vector<std::array<uint16_t, 3>>& triangles = {}) {
    ShipModel model{};
    model.header.numVertices = static_cast<int32_t>(vertices.size());
    model.header.numFrames = 1;
    model.header.numSt = 1;
    model.header.numTris = static_cast<int32_t>(triangles.size());
    model.texCoords = {{5, 6}, {0, 0}};
    for (const auto& t : triangles)
        model.triangles.push_back({{t[0], t[1], t[2]}, {0, 0, 0}});
    model.triangles.push_back({});
    model.frameHeaders = {{{1.0f, 1.0f, 1.0f}, {-128.0f, -128.0f, -128.0f}, {}}};
    model.frameVertices.resize(1);
    for (const auto& v : vertices) {
        model.frameVertices[0].push_back(
            {{static_cast<uint8_t>(v[0] + 128), static_cast<uint8_t>(v[1] + 128),
              static_cast<uint8_t>(v[2] + 128)},
             0});
    }
    model.frameVertices[0].push_back({});
    model.skin.assign(128 * 128, 0x07E0);
    return model;
}

// A camera at the origin looking along +x (the eye at (-5600, 0), altitude 175) with its
// own buffers.
struct Scene {
    std::vector<uint16_t> frame = std::vector<uint16_t>(240 * 320, Untouched);
    std::vector<uint32_t> depth = std::vector<uint32_t>(240 * 240, 0xFFFFFFFFu);
    std::vector<uint8_t> heights = std::vector<uint8_t>(512 * 512, 0);
    CameraState camera{};
    Scene() {
        BuildAngleTables();
        camera = CameraState{0, 0, 1400, 0, -180, 240, 240, depth.data(), frame.data()};
    }
    int32_t Changed() const {
        return static_cast<int32_t>(
            std::count_if(frame.begin(), frame.end(), [](uint16_t p) { return p != Untouched; }));
    }
};

// Keeps the global ship and model tables as a test found them.
struct GlobalTables {
    KeepGlobal<decltype(ShipTable)> ships{ShipTable};
    KeepGlobal<int32_t> count{ShipCount};
    KeepGlobal<decltype(ModelTable)> models{ModelTable};
};

// A flat card facing the camera, both windings, 320 units wide and 20 altitude units high.
const std::vector<std::array<int32_t, 3>> Card = {{0, 40, 0}, {0, -40, 0}, {0, 0, 80}};
const std::vector<std::array<uint16_t, 3>> BothWindings = {{0, 1, 2}, {0, 2, 1}};

} // namespace

TEST(DrawModel, PlacesVerticesEightTimesWiderAndAQuarterAsHigh) {
    Scene scene;
    // File y runs opposite to world y; x and y grow 8 times, z shrinks 4 times.
    const ShipModel model = MakeModel({{1, 2, 4}, {-3, -1, 16}});
    ModelBox box =
        DrawModel(model, scene.camera, 0, 0, 0, 0, 1000, 2000, 100, scene.heights.data());
    const std::array<int32_t, 7> placed = {box.contact, box.minX, box.maxX, box.minY,
                                           box.maxY,    box.minZ, box.maxZ};
    EXPECT_EQ(placed,
              (std::array<int32_t, 7>{0, 1000 - 24, 1000 + 8, 2000 - 16, 2000 + 8, 101, 104}));

    // The nose (file +y) points along the direction of travel (sin h, -cos h): east at 64.
    const ShipModel nose = MakeModel({{0, 10, 0}});
    for (auto [heading, x, y] : {std::array<int32_t, 3>{64, 1080, 2000}, {0, 1000, 1920}}) {
        box =
            DrawModel(nose, scene.camera, 0, 0, 0, heading, 1000, 2000, 100, scene.heights.data());
        EXPECT_EQ(std::tie(box.minX, box.minY), std::tie(x, y)) << heading;
    }

    // No vertices, or a frame the model does not have: nothing drawn, the origin as box.
    const ShipModel empty{};
    box = DrawModel(empty, scene.camera, 0, 0, 0, 0, 7, 8, 9, scene.heights.data());
    EXPECT_EQ(std::tie(box.minX, box.maxY, box.maxZ), std::make_tuple(7, 8, 9));
    box = DrawModel(model, scene.camera, 1, 0, 0, 0, 7, 8, 9, scene.heights.data());
    EXPECT_EQ(std::tuple(box.minX, scene.Changed()), std::tuple(7, 0));
}

TEST(DrawModel, TouchingAtExactlyTwiceTheHeightByte) {
    Scene scene;
    scene.heights[10 + 20 * 512] = 50;
    const int32_t x = 10 * 256 + 5, y = 20 * 256 + 5;
    const ShipModel point = MakeModel({{0, 0, -8}}); // 2 altitude units below the origin
    ModelBox box = DrawModel(point, scene.camera, 0, 0, 0, 0, x, y, 102, scene.heights.data());
    EXPECT_EQ(std::tuple(box.minX, box.contact), std::tuple(-1, 1));
    box = DrawModel(point, scene.camera, 0, 0, 0, 0, x, y, 103, scene.heights.data());
    EXPECT_EQ(std::tuple(box.contact, box.minZ), std::tuple(0, 101));
    // Cells are found modulo the map: one map width further is the same cell.
    box = DrawModel(point, scene.camera, 0, 0, 0, 0, x + 512 * 256, y - 512 * 256, 102,
                    scene.heights.data());
    EXPECT_EQ(box.contact, 1);

    // Contact stops the model: a visible card followed by a vertex in the ground draws
    // nothing; without that vertex the card shows.
    std::vector<std::array<int32_t, 3>> sunk = Card;
    sunk.push_back({0, 0, -127}); // altitude 175 - 32 = 143, on ground standing at 144
    scene.heights[(4400 >> 8) + 0 * 512] = 72;
    DrawModel(MakeModel(sunk, BothWindings), scene.camera, 0, 0, 0, 0, 4400, 0, 175,
              scene.heights.data());
    EXPECT_EQ(scene.Changed(), 0);
    box = DrawModel(MakeModel(Card, BothWindings), scene.camera, 0, 0, 0, 0, 4400, 0, 175,
                    scene.heights.data());
    EXPECT_TRUE(box.contact == 0 && scene.Changed() > 100) << box.contact << " " << scene.Changed();
    EXPECT_TRUE(std::all_of(scene.frame.begin() + 240 * 240, scene.frame.end(),
                            [](uint16_t p) { return p == Untouched; }));
}

TEST(DrawModel, BehindTheEyeDrawsNothing) {
    Scene scene;
    // Wholly behind the eye: nothing drawn, but the box is still the model's.
    ModelBox box = DrawModel(MakeModel(Card, BothWindings), scene.camera, 0, 0, 0, 0, -8000, 0, 175,
                             scene.heights.data());
    EXPECT_EQ(std::tuple(box.minY, box.maxZ, scene.Changed()), std::tuple(-320, 195, 0));

    // Two visible corners and one behind the eye: the triangle is skipped. With that corner
    // moved in front of the eye it is drawn.
    for (int32_t corner : {-100, -10}) {
        DrawModel(MakeModel({{0, 10, 0}, {0, -10, 0}, {corner, 0, 40}}, BothWindings), scene.camera,
                  0, 0, 0, 0, -5000, 0, 175, scene.heights.data());
        EXPECT_EQ(scene.Changed() > 0, corner == -10) << corner;
    }
}

TEST(DrawShip, ContactWrecksAndAWreckIsLeftAlone) {
    GlobalTables keep;
    Scene scene;
    ShipModel model = MakeModel({{0, 0, -12}, {0, 0, 8}});
    ModelTable[0] = &model;
    ShipState& ship = ShipTable[0];
    ship = ShipState{};
    ship.x = ship.y = 3000;

    // Flying: the box is stored with its altitudes halved (98 / 2, 103 / 2).
    ship.altitude = 101;
    const auto draw = [&] { return DrawShip(scene.camera, 0, scene.heights.data()); };
    EXPECT_EQ(draw(), 0);
    EXPECT_EQ(std::tie(ship.boxMinZ, ship.boxMaxZ, ship.boxMinX), std::make_tuple(49, 51, 3000));

    // Touching: wrecked, no wreck frames yet, the box kept.
    scene.heights[(3000 >> 8) + (3000 >> 8) * 512] = 49;
    ship.wreckFrames = 9;
    EXPECT_EQ(draw(), 1);
    EXPECT_EQ(std::tie(ship.wrecked, ship.wreckFrames, ship.boxMinZ), std::make_tuple(1, 0, 49));

    // A wreck is neither drawn nor tested, even deep in the ground.
    ship.wreckFrames = 4, ship.altitude = -500, ship.boxMaxX = 77;
    EXPECT_EQ(draw(), 0);
    EXPECT_EQ(std::tie(ship.wrecked, ship.wreckFrames, ship.boxMaxX), std::make_tuple(1, 4, 77));

    // Attitudes are truncated to table angles: heading 64.9 turns the nose east.
    ShipModel nose = MakeModel({{0, 10, 0}});
    ModelTable[0] = &nose;
    ship = ShipState{};
    ship.x = ship.y = 3000, ship.altitude = 150, ship.heading = 64.9;
    EXPECT_EQ(draw(), 0);
    EXPECT_EQ(std::tie(ship.boxMinX, ship.boxMinY), std::make_tuple(3080, 3000));

    // No model in the slot: nothing drawn, nothing tested.
    ModelTable[0] = nullptr;
    ship.altitude = -100;
    EXPECT_EQ(draw(), 0);
    EXPECT_EQ(std::tuple(ship.wrecked, scene.Changed()), std::tuple(0, 0));
}

namespace {

std::vector<uint16_t> MarkShips(const std::vector<std::array<int32_t, 2>>& positions) {
    std::vector<uint16_t> frame(240 * 320, Untouched);
    CameraState camera{};
    camera.frame = frame.data();
    ShipCount = static_cast<int32_t>(positions.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        ShipTable[i].x = positions[i][0];
        ShipTable[i].y = positions[i][1];
    }
    DrawMapMarkers(camera);
    return frame;
}

uint16_t At(const std::vector<uint16_t>& frame, int32_t row, int32_t column) {
    return frame[row * 240 + column];
}

} // namespace

TEST(MapMarkers, BlocksBordersColoursAndClipping) {
    GlobalTables keep;
    // Cell (100, 200) -> column 160 + 15, row 240 + 31: a white block with black sides.
    std::vector<uint16_t> frame = MarkShips({{100 * 256 + 255, 200 * 256}});
    // The corners are left out.
    const int32_t block[][3] = {{271, 175, 0xFFFF}, {272, 176, 0xFFFF},    {271, 174, 0},
                                {272, 174, 0},      {271, 177, 0},         {272, 177, 0},
                                {270, 175, 0},      {270, 176, 0},         {273, 175, 0},
                                {273, 176, 0},      {270, 174, Untouched}, {273, 177, Untouched}};
    for (const auto& c : block)
        EXPECT_EQ(At(frame, c[0], c[1]), c[2]) << c[0] << "," << c[1];

    // The player's dot lies under an opponent's on the same cell; wrecks are marked too.
    ShipTable[1].wrecked = 1;
    frame = MarkShips({{50 * 256, 50 * 256}, {50 * 256, 50 * 256}, {300 * 256, 300 * 256}});
    EXPECT_EQ(std::tuple(At(frame, 247, 167), At(frame, 286, 206)), std::tuple(0xF81F, 0xF81F));

    // Cell (0, 0): the block at row 240, columns 160-161; the sides that would fall on
    // column 159 and on the view's last row are clipped to the map.
    frame = MarkShips({{0, 0}});
    const int32_t corner[][3] = {{240, 160, 0xFFFF}, {241, 161, 0xFFFF},    {240, 162, 0},
                                 {242, 160, 0},      {240, 159, Untouched}, {239, 160, Untouched}};
    for (const auto& c : corner)
        EXPECT_EQ(At(frame, c[0], c[1]), c[2]) << c[0] << "," << c[1];

    // Cell (511, 511): only the block's first pixel and its two inner sides are on the map.
    frame = MarkShips({{511 * 256, 511 * 256}});
    EXPECT_EQ(std::tuple(At(frame, 319, 239), At(frame, 318, 239), At(frame, 319, 238)),
              std::tuple(0xFFFF, 0, 0));
    EXPECT_EQ(std::count_if(frame.begin(), frame.end(), [](uint16_t p) { return p != Untouched; }),
              3);

    // Wherever a ship is, nothing outside the overview map is written.
    const int32_t cells[] = {-100000, -10, -7, -1, 0, 1, 255, 510, 511, 512, 520, 100000};
    std::vector<std::array<int32_t, 2>> everywhere;
    for (int32_t cx : cells) {
        for (int32_t cy : cells)
            everywhere.push_back({cx * 256, cy * 256});
    }
    everywhere.push_back({INT32_MAX, INT32_MIN});
    everywhere.push_back({INT32_MIN, INT32_MAX});
    for (size_t first = 0; first < everywhere.size(); first += ShipSlots) {
        const size_t last = std::min(everywhere.size(), first + ShipSlots);
        frame = MarkShips({everywhere.begin() + first, everywhere.begin() + last});
        for (int32_t i = 0; i < 240 * 320; ++i) {
            if (i < 240 * 240 || i % 240 < 160) {
                ASSERT_EQ(frame[i], Untouched) << i / 240 << "," << i % 240;
            }
        }
    }
}

namespace {

struct Drawn {
    int32_t columns = 0, rows = 0, pixels = 0, colours = 0;
    double meanDepth = 0;
};

// The ship as the chase camera sees it over flat ground: the target on the ship, the view
// along its heading.
Drawn ChaseView(const ShipModel& model, double heading) {
    Scene scene;
    scene.camera.angle = static_cast<int32_t>(heading + 192.0) % 256;
    scene.camera.x = scene.camera.y = 60000;
    DrawModel(model, scene.camera, 0, 0, 0, static_cast<int32_t>(heading), 60000, 60000, 100,
              scene.heights.data());
    Drawn d;
    std::set<int32_t> columns, rows;
    std::set<uint16_t> colours;
    for (int32_t i = 0; i < 240 * 240; ++i) {
        if (scene.frame[i] != Untouched) {
            columns.insert(i % 240), rows.insert(i / 240), colours.insert(scene.frame[i]);
            d.meanDepth += scene.depth[i], ++d.pixels;
        }
    }
    d.columns = columns.empty() ? 0 : *columns.rbegin() - *columns.begin() + 1;
    d.rows = rows.empty() ? 0 : *rows.rbegin() - *rows.begin() + 1;
    d.colours = static_cast<int32_t>(colours.size());
    d.meanDepth /= std::max(d.pixels, 1);
    return d;
}

} // namespace

TEST(BakedShip, ReadsAsAShipFromTheChaseCamera) {
    BuildAngleTables();
    ShipModel model{};
    const std::string graph = std::string(TARNVELL_DATA) + "/Graph/";
    ASSERT_TRUE(ReadShipModel(model, (graph + "plane1.md2").c_str()));
    ASSERT_EQ(LoadShipSkin(model, (graph + "plane1.tga").c_str()), 1);
    // Within what the game reads: one frame, the vertex limit, the skin's texels.
    EXPECT_TRUE(model.header.numFrames == 1 && model.header.numVertices <= 500 &&
                model.header.numTris > 100)
        << model.header.numFrames << " " << model.header.numVertices << " " << model.header.numTris;
    for (int32_t i = 0; i < model.header.numSt; ++i) {
        const Md2TexCoord& st = model.texCoords[i];
        EXPECT_TRUE(st.s >= 0 && st.s < 128 && st.t >= 0 && st.t < 128)
            << i << ": " << st.s << " " << st.t;
    }

    for (double heading : {0.0, 64.0, 150.0, 192.0}) {
        const Drawn d = ChaseView(model, heading);
        // Ship-sized, and textured, not a flat blot.
        EXPECT_TRUE(d.columns >= 25 && d.columns <= 40 && d.rows >= 6 && d.colours >= 6)
            << heading << ": " << d.columns << " x " << d.rows << ", " << d.colours << " colours";
    }

    // Outside faces are the ones kept: the same mesh wound the other way shows its far
    // side, which lies deeper.
    ShipModel inverted = model;
    for (Md2Triangle& t : inverted.triangles)
        std::swap(t.vertex[1], t.vertex[2]), std::swap(t.texCoord[1], t.texCoord[2]);
    EXPECT_LT(ChaseView(model, 192.0).meanDepth + 20, ChaseView(inverted, 192.0).meanDepth);

    // The swept wings trail: the widest vertices lie behind the middle, so the ship flies
    // nose first (the nose is file +y, which the game turns into the direction of travel).
    const Md2FrameHeader& h = model.frameHeaders[0];
    float widest = 0, widestY = 0;
    for (int32_t i = 0; i < model.header.numVertices; ++i) {
        const Md2Vertex& v = model.frameVertices[0][i];
        const float x = v.v[0] * h.scale[0] + h.translate[0];
        if (std::abs(x) > widest)
            widest = std::abs(x), widestY = v.v[1] * h.scale[1] + h.translate[1];
    }
    EXPECT_LT(widestY, 0.0f);
}
