// The angle tables, the eye point, ProjectPoint and RotatePoint.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>
#include <utility>

#include "render/camera.h"
#include "render/tables.h"

namespace {

CameraState ExampleCamera() {
    BuildAngleTables();
    return CameraState{0, 0, 1400, 0, -180, 240, 240, nullptr, nullptr};
}

std::array<int32_t, 3> Xyz(const WorldPoint& p) {
    return {p.x, p.y, p.z};
}

} // namespace

TEST(AngleTables, TellingRowsTruncateTowardZero) {
    BuildAngleTables();
    const int32_t rows[][3] = {{0, 1024, 0},  {1, 1023, 25},   {16, 946, 391},  {32, 724, 724},
                               {64, 0, 1024}, {128, -1024, 0}, {192, 0, -1024}, {255, 1023, -25}};
    for (const auto& row : rows)
        EXPECT_EQ(std::make_pair(CosTable[row[0]], SinTable[row[0]]),
                  std::make_pair(row[1], row[2]))
            << row[0];
    // The view edges of angle 0 look along 241 and 15: mirror images.
    EXPECT_EQ(std::tuple(CosTable[241], SinTable[241]), std::tuple(CosTable[15], -SinTable[15]));
    EXPECT_EQ(std::tuple(LeftEdgeAngle(0), RightEdgeAngle(250)), std::tuple(241, 9));
}

TEST(EyePoint, StandsFourHeightsBehindTheTarget) {
    CameraState camera = ExampleCamera();
    // Angle 60 of the menu camera: 32-bit products shifted arithmetically (cos 60 * 1024 is
    // 100 units, sin 60 is 1019).
    const int32_t cases[][5] = {{0, 0, 0, -5600, 0},
                                {78240, 18176, 64, 78240, 18176 - 5600},
                                {78240, 18176, 60, 77694, 18176 - ((1019 * 1400 * 4) >> 10)}};
    for (const auto& c : cases) {
        camera.x = c[0], camera.y = c[1], camera.angle = c[2];
        int32_t eyeX = 0, eyeY = 0;
        EyePoint(camera, eyeX, eyeY);
        EXPECT_EQ(std::tie(eyeX, eyeY), std::tie(c[3], c[4])) << c[2];
    }
}

TEST(ProjectPoint, WorkedExample) {
    const CameraState camera = ExampleCamera();
    // The last: level with the camera (1400 / 8), on the horizon row.
    const int32_t cases[][5] = {
        {10000, 0, 0, 120, 185}, {10000, 3000, 100, 179, 136}, {10000, -3000, 175, 60, 100}};
    for (const auto& c : cases) {
        ScreenPoint p{};
        ProjectPoint(camera, {c[0], c[1], c[2]}, p);
        EXPECT_EQ(std::make_tuple(p.x, p.y, p.visible), std::make_tuple(c[3], c[4], 1)) << c[1];
        EXPECT_TRUE(c[1] != 0 || p.distance == 16720) << c[1] << ": " << p.distance;
    }

    EXPECT_NEAR(ViewDistance(15600.0), 16720.0, 1.0);
}

TEST(ProjectPoint, BehindTheEyeOnlyClearsVisible) {
    const CameraState camera = ExampleCamera();
    ScreenPoint p{11, 22, 33, 1};
    ProjectPoint(camera, {-5600, 500, 0}, p); // forward exactly 0
    EXPECT_EQ(p.visible, 0);
    p.visible = 1;
    ProjectPoint(camera, {-9000, 0, 0}, p);
    EXPECT_EQ(std::make_tuple(p.visible, p.x, p.y, p.distance), std::make_tuple(0, 11, 22, 33));

    // Just ahead of the eye the screen position leaves the int range; it saturates.
    ProjectPoint(camera, {-5599, 100000000, 0}, p);
    EXPECT_EQ(std::tuple(p.visible, p.x), std::tuple(0, INT32_MAX));
    CameraState high = camera;
    high.height = 2000000;
    ProjectPoint(high, {-5599 - 2000000 * 4 + 5600, 0, -262000}, p);
    EXPECT_EQ(std::tuple(p.visible, p.y), std::tuple(0, INT32_MAX));
}

TEST(ProjectPoint, VisibilityMargins) {
    const CameraState camera = ExampleCamera();
    ScreenPoint p{};
    // On the centre line: column 120, or 119 when the quotient falls just short.
    for (int32_t x = 0; x < 60000; x += 777) {
        ProjectPoint(camera, {x, 0, 0}, p);
        EXPECT_TRUE(p.x == 120 || p.x == 119) << x << ": " << p.x;
    }

    // Forward 10000 from the eye: the right edge lies `half` to the right.
    const double half = std::sin(ViewHalfAngleRadians) * (10000.0 / std::cos(ViewHalfAngleRadians));
    const int32_t edge = static_cast<int32_t>(half);
    for (int32_t side : {1, -1}) {
        for (int32_t beyond : {5, 12}) {
            ProjectPoint(camera, {4400, side * (edge + beyond), 0}, p);
            EXPECT_EQ(p.visible, beyond == 5) << side << " " << beyond;
        }
    }

    // Rows: 0 is inside the view, viewHeight is not. Walk the altitude until the row hits each.
    bool sawTop = false, sawBottom = false;
    for (int32_t z = -400; z < 600; ++z) {
        ProjectPoint(camera, {4400, 0, z}, p);
        sawTop |= p.y == 0, sawBottom |= p.y == 240;
        EXPECT_TRUE(p.y < -1 || p.y > 240 || (p.y > 0 && p.y < 239) ||
                    p.visible == (p.y == 0 || p.y == 239))
            << p.y << " visible " << p.visible;
    }
    EXPECT_EQ(std::tuple(sawTop, sawBottom), std::tuple(true, true));
}

TEST(RotatePoint, TurnsAboutEachAxisInOrder) {
    BuildAngleTables();
    const WorldPoint v{1234, -567, 89};
    struct Turn {
        WorldPoint in;
        int32_t x, y, z;
        std::array<int32_t, 3> out;
    };
    const Turn turns[] = {
        {v, 0, 0, 0, {1234, -567, 89}},
        {{1000, 0, 0}, 0, 0, 64, {0, 1000, 0}},  // about the vertical: +x to +y
        {{0, 1000, 0}, 64, 0, 0, {0, 0, 1000}},  // about x: +y to +z
        {{1000, 0, 0}, 0, 64, 0, {0, 0, 1000}},  // about y: +x to +z
        {{0, 1000, 0}, 64, 0, 64, {0, 0, 1000}}, // x turns before z: +y to +z, stays there
        {{-1, 0, 0}, 0, 0, 32, {-1, -1, 0}},     // arithmetic shifts: (724 * -1) >> 10 is -1
    };
    WorldPoint out{};
    for (const Turn& t : turns) {
        RotatePoint(t.in, out, t.x, t.y, t.z);
        EXPECT_EQ(Xyz(out), t.out) << t.x << " " << t.y << " " << t.z;
    }

    // In place gives the same as into another record.
    WorldPoint same = v;
    RotatePoint(v, out, 10, 200, 77);
    RotatePoint(same, same, 10, 200, 77);
    EXPECT_EQ(Xyz(same), Xyz(out));
}

TEST(RotatePoint, StrayAnglesTurnLikeTheirRemainder) {
    BuildAngleTables();
    const WorldPoint v{300, -200, 50};
    WorldPoint expected{}, stray{};
    RotatePoint(v, expected, 10, 250, 64);
    RotatePoint(v, stray, 10 + 256, -6, 64 - 512);
    EXPECT_EQ(Xyz(stray), Xyz(expected));

    CameraState camera{0, 0, 1400, 64 + 256, -180, 240, 240, nullptr, nullptr};
    int32_t eyeX = 1, eyeY = 1;
    EyePoint(camera, eyeX, eyeY);
    EXPECT_EQ(std::make_pair(eyeX, eyeY), std::make_pair(0, -5600));
}
