// The view camera, the eye point and the projection of world points.
#include "render/camera.h"

#include <cmath>
#include <limits>

#include "render/tables.h"

CameraState Camera = {};

namespace {

// Truncates toward zero like a plain conversion, but saturates where a plain conversion of
// an out-of-range value would be undefined (a point just ahead of the eye projects far off
// the screen).
int32_t TruncateToInt(double value) {
    constexpr double Low = static_cast<double>(std::numeric_limits<int32_t>::min());
    constexpr double High = static_cast<double>(std::numeric_limits<int32_t>::max());
    if (!(value > Low))
        return std::numeric_limits<int32_t>::min();
    if (!(value < High))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

// A 32-bit left shift with two's-complement wrap, the way the game's shifts behave.
int32_t ShiftLeft(int32_t value, int32_t bits) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) << bits);
}

// (a * b + c * d) >> 10 with 64-bit products, so large vectors cannot overflow; equal to
// the game's 32-bit form whenever that one stays in range.
int32_t Turn(int32_t a, int32_t b, int32_t c, int32_t d) {
    return static_cast<int32_t>((static_cast<int64_t>(a) * b + static_cast<int64_t>(c) * d) >> 10);
}

} // namespace

void EyePoint(const CameraState& camera, int32_t& eyeX, int32_t& eyeY) {
    // 64-bit products: the same as the 32-bit ones for every height the game uses, and no
    // overflow for any other.
    const int64_t reach = static_cast<int64_t>(camera.height) * 4;
    const int32_t angle = camera.angle & 255;
    eyeX = camera.x - static_cast<int32_t>((CosTable[angle] * reach) >> 10);
    eyeY = camera.y - static_cast<int32_t>((SinTable[angle] * reach) >> 10);
}

ViewEdges ViewEdgesOf(const CameraState& camera) {
    ViewEdges edges{};
    EyePoint(camera, edges.eyeX, edges.eyeY);
    edges.left = LeftEdgeAngle(camera.angle & 255);
    edges.right = RightEdgeAngle(camera.angle & 255);
    return edges;
}

double ViewDistance(double forward) {
    return forward / std::cos(ViewHalfAngleRadians);
}

void ProjectPoint(const CameraState& camera, const WorldPoint& point, ScreenPoint& result) {
    result.visible = 0;
    int32_t eyeX = 0;
    int32_t eyeY = 0;
    EyePoint(camera, eyeX, eyeY);

    const double theta = camera.angle * AngleUnitRadians;
    const double cosTheta = std::cos(theta);
    const double sinTheta = std::sin(theta);
    const double dx = static_cast<double>(point.x) - static_cast<double>(eyeX);
    const double dy = static_cast<double>(point.y) - static_cast<double>(eyeY);
    const double forward = dy * sinTheta + dx * cosTheta;
    const double lateral = dy * cosTheta - dx * sinTheta; // positive to the right
    if (!(forward > 0.0))
        return;

    const double dist = ViewDistance(forward);
    const double half = std::sin(ViewHalfAngleRadians) * dist;
    result.x = TruncateToInt(((half + lateral) * camera.viewWidth) / (half * 2.0));
    const double inv = 1.0 / dist;
    result.y = TruncateToInt(ShiftLeft(camera.height, 10) * inv - 80.0 - camera.tilt -
                             ShiftLeft(point.z, 13) * inv);
    result.distance = TruncateToInt(dist);
    if (lateral >= -half - 10.0 && lateral <= half + 10.0 && result.y >= 0 &&
        result.y < camera.viewHeight) {
        result.visible = 1;
    }
}

void RotatePoint(const WorldPoint& vector, WorldPoint& out, int32_t ax, int32_t ay, int32_t az) {
    const int32_t x = vector.x;
    const int32_t y = vector.y;
    const int32_t z = vector.z;
    // Angles are kept within 0-255 by their writers; the mask keeps a stray one in the tables.
    ax &= 255;
    ay &= 255;
    az &= 255;
    // About the x axis.
    const int32_t y1 = Turn(CosTable[ax], y, -SinTable[ax], z);
    const int32_t z1 = Turn(CosTable[ax], z, SinTable[ax], y);
    // About the y axis.
    const int32_t z2 = Turn(CosTable[ay], z1, SinTable[ay], x);
    const int32_t x1 = Turn(CosTable[ay], x, -SinTable[ay], z1);
    // About the z axis, the vertical: this one turns the vector in the ground plane.
    out.x = Turn(CosTable[az], x1, -SinTable[az], y1);
    out.y = Turn(CosTable[az], y1, SinTable[az], x1);
    out.z = z2;
}
