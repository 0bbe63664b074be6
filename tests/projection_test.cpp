// The angle tables, the eye point, ProjectPoint and RotatePoint.
#include <gtest/gtest.h>

#include <cmath>

#include "render/camera.h"
#include "render/tables.h"

namespace {

CameraState ExampleCamera() {
    BuildAngleTables();
    CameraState camera{};
    camera.height = 1400;
    camera.tilt = -180;
    camera.viewWidth = 240;
    camera.viewHeight = 240;
    return camera;
}

} // namespace

TEST(AngleTables, TellingRowsTruncateTowardZero) {
    BuildAngleTables();
    const int32_t rows[][3] = {{0, 1024, 0},  {1, 1023, 25},   {16, 946, 391},  {32, 724, 724},
                               {64, 0, 1024}, {128, -1024, 0}, {192, 0, -1024}, {255, 1023, -25}};
    for (const auto& row : rows) {
        EXPECT_EQ(CosTable[row[0]], row[1]) << "cos " << row[0];
        EXPECT_EQ(SinTable[row[0]], row[2]) << "sin " << row[0];
    }
    // The view edges of angle 0 look along 241 and 15: mirror images.
    EXPECT_EQ(CosTable[241], CosTable[15]);
    EXPECT_EQ(SinTable[241], -SinTable[15]);
    EXPECT_EQ(LeftEdgeAngle(0), 241);
    EXPECT_EQ(RightEdgeAngle(250), 9);
}

TEST(EyePoint, StandsFourHeightsBehindTheTarget) {
    CameraState camera = ExampleCamera();
    int32_t eyeX = 0;
    int32_t eyeY = 0;
    EyePoint(camera, eyeX, eyeY);
    EXPECT_EQ(eyeX, -5600);
    EXPECT_EQ(eyeY, 0);

    camera.x = 78240;
    camera.y = 18176;
    camera.angle = 64;
    EyePoint(camera, eyeX, eyeY);
    EXPECT_EQ(eyeX, 78240);
    EXPECT_EQ(eyeY, 18176 - 5600);

    // Angle 60 of the menu camera: 32-bit products shifted arithmetically.
    camera.angle = 60;
    EyePoint(camera, eyeX, eyeY);
    EXPECT_EQ(eyeX, 78240 - ((CosTable[60] * 1400 * 4) >> 10));
    EXPECT_EQ(eyeY, 18176 - ((SinTable[60] * 1400 * 4) >> 10));
    EXPECT_EQ(eyeX, 77694); // cos 60 units * 1024 = 100
}

TEST(ProjectPoint, WorkedExample) {
    const CameraState camera = ExampleCamera();
    ScreenPoint p{};
    ProjectPoint(camera, {10000, 0, 0}, p);
    EXPECT_EQ(p.x, 120);
    EXPECT_EQ(p.y, 185);
    EXPECT_EQ(p.distance, 16720);
    EXPECT_EQ(p.visible, 1);

    ProjectPoint(camera, {10000, 3000, 100}, p);
    EXPECT_EQ(p.x, 179);
    EXPECT_EQ(p.y, 136);
    EXPECT_EQ(p.visible, 1);

    // Level with the camera (1400 / 8): the horizon row.
    ProjectPoint(camera, {10000, -3000, 175}, p);
    EXPECT_EQ(p.x, 60);
    EXPECT_EQ(p.y, 100);
    EXPECT_EQ(p.visible, 1);

    EXPECT_NEAR(ViewDistance(15600.0), 16720.0, 1.0);
}

TEST(ProjectPoint, BehindTheEyeOnlyClearsVisible) {
    const CameraState camera = ExampleCamera();
    ScreenPoint p{11, 22, 33, 1};
    ProjectPoint(camera, {-5600, 500, 0}, p); // forward exactly 0
    EXPECT_EQ(p.visible, 0);
    EXPECT_EQ(p.x, 11);
    EXPECT_EQ(p.y, 22);
    EXPECT_EQ(p.distance, 33);
    ProjectPoint(camera, {-9000, 0, 0}, p);
    EXPECT_EQ(p.visible, 0);
    EXPECT_EQ(p.distance, 33);

    // Just ahead of the eye the screen position leaves the int range; it saturates.
    ProjectPoint(camera, {-5599, 100000000, 0}, p);
    EXPECT_EQ(p.visible, 0);
    EXPECT_EQ(p.x, INT32_MAX);
    CameraState high = camera;
    high.height = 2000000;
    ProjectPoint(high, {-5599 - 2000000 * 4 + 5600, 0, -262000}, p);
    EXPECT_EQ(p.visible, 0);
    EXPECT_EQ(p.y, INT32_MAX);
}

TEST(ProjectPoint, VisibilityMargins) {
    const CameraState camera = ExampleCamera();
    ScreenPoint p{};
    // On the centre line: column 120, or 119 when the quotient falls just short.
    for (int32_t x = 0; x < 60000; x += 777) {
        ProjectPoint(camera, {x, 0, 0}, p);
        EXPECT_TRUE(p.x == 120 || p.x == 119) << x;
    }

    // Forward 10000 from the eye: the right edge lies `half` to the right.
    const double half = std::sin(ViewHalfAngleRadians) * (10000.0 / std::cos(ViewHalfAngleRadians));
    const int32_t edge = static_cast<int32_t>(half);
    ProjectPoint(camera, {4400, edge + 5, 0}, p);
    EXPECT_EQ(p.visible, 1);
    ProjectPoint(camera, {4400, edge + 12, 0}, p);
    EXPECT_EQ(p.visible, 0);
    ProjectPoint(camera, {4400, -(edge + 5), 0}, p);
    EXPECT_EQ(p.visible, 1);
    ProjectPoint(camera, {4400, -(edge + 12), 0}, p);
    EXPECT_EQ(p.visible, 0);

    // Rows: 0 is inside the view, viewHeight is not. Walk the altitude until the row hits each.
    bool sawTop = false;
    bool sawBottom = false;
    for (int32_t z = -400; z < 600; ++z) {
        ProjectPoint(camera, {4400, 0, z}, p);
        if (p.y == 0) {
            sawTop = true;
            EXPECT_EQ(p.visible, 1);
        }
        if (p.y == 240) {
            sawBottom = true;
            EXPECT_EQ(p.visible, 0);
        }
        if (p.y == 239) {
            EXPECT_EQ(p.visible, 1);
        }
        if (p.y == -1) {
            EXPECT_EQ(p.visible, 0);
        }
    }
    EXPECT_TRUE(sawTop);
    EXPECT_TRUE(sawBottom);
}

TEST(RotatePoint, TurnsAboutEachAxisInOrder) {
    BuildAngleTables();
    const WorldPoint v{1234, -567, 89};
    WorldPoint out{};
    RotatePoint(v, out, 0, 0, 0);
    EXPECT_EQ(out.x, 1234);
    EXPECT_EQ(out.y, -567);
    EXPECT_EQ(out.z, 89);

    // A quarter turn about the vertical takes +x to +y.
    RotatePoint({1000, 0, 0}, out, 0, 0, 64);
    EXPECT_EQ(out.x, 0);
    EXPECT_EQ(out.y, 1000);
    EXPECT_EQ(out.z, 0);
    // About x: +y to +z. About y: +x to +z.
    RotatePoint({0, 1000, 0}, out, 64, 0, 0);
    EXPECT_EQ(out.y, 0);
    EXPECT_EQ(out.z, 1000);
    RotatePoint({1000, 0, 0}, out, 0, 64, 0);
    EXPECT_EQ(out.x, 0);
    EXPECT_EQ(out.z, 1000);

    // The x turn runs before the z turn: +y goes to +z and stays there.
    RotatePoint({0, 1000, 0}, out, 64, 0, 64);
    EXPECT_EQ(out.x, 0);
    EXPECT_EQ(out.y, 0);
    EXPECT_EQ(out.z, 1000);

    // Shifts are arithmetic: (724 * -1) >> 10 is -1, not 0.
    RotatePoint({-1, 0, 0}, out, 0, 0, 32);
    EXPECT_EQ(out.x, -1);
    EXPECT_EQ(out.y, -1);

    // In place gives the same as into another record.
    WorldPoint same = v;
    RotatePoint(v, out, 10, 200, 77);
    RotatePoint(same, same, 10, 200, 77);
    EXPECT_EQ(same.x, out.x);
    EXPECT_EQ(same.y, out.y);
    EXPECT_EQ(same.z, out.z);
}

TEST(RotatePoint, StrayAnglesTurnLikeTheirRemainder) {
    BuildAngleTables();
    const WorldPoint v{300, -200, 50};
    WorldPoint expected{};
    WorldPoint stray{};
    RotatePoint(v, expected, 10, 250, 64);
    RotatePoint(v, stray, 10 + 256, -6, 64 - 512);
    EXPECT_EQ(stray.x, expected.x);
    EXPECT_EQ(stray.y, expected.y);
    EXPECT_EQ(stray.z, expected.z);

    CameraState camera{0, 0, 1400, 64 + 256, -180, 240, 240, nullptr, nullptr};
    int32_t eyeX = 1;
    int32_t eyeY = 1;
    EyePoint(camera, eyeX, eyeY);
    EXPECT_EQ(eyeX, 0);
    EXPECT_EQ(eyeY, -5600);
}
