// The view camera, the eye point behind it, and the projection of world points to the screen.
#pragma once
#include <cstdint>

// Units: world x and y 256 to a height-map cell; altitude z with a cell's surface at 2x its
// height byte; camera height 8 to an altitude unit (a height byte h stands 16h high).
struct CameraState {
    int32_t x;          // world x of the target the view looks at
    int32_t y;          // world y of the target
    int32_t height;     // camera-height units; the eye also stands 4x this behind the target
    int32_t angle;      // view direction, 0-255
    int32_t tilt;       // picture shift: the horizon lies on row -(tilt + 80)
    int32_t viewWidth;  // pixels (240)
    int32_t viewHeight; // pixels (240)
    uint32_t* depth;    // the DepthBuffer, 240 x 240 view distances
    uint16_t* frame;    // the FrameBuffer, rows 240 pixels apart whatever viewWidth says
};

// Whole run: set up by the main menu's enter step, then moved by the screens every frame.
extern CameraState Camera;

// A world point or a vector: world x, world y, altitude z.
struct WorldPoint {
    int32_t x;
    int32_t y;
    int32_t z;
};

// Where ProjectPoint puts a point.
struct ScreenPoint {
    int32_t x;        // screen column
    int32_t y;        // screen row
    int32_t distance; // view distance, truncated
    int32_t visible;  // 1 inside the view (with a 10 world unit side margin), else 0
};

// The view spans 15 angle units either side of the view direction.
constexpr int32_t ViewHalfAngleUnits = 15;
constexpr double ViewHalfAngleRadians = 0.36815538909255385;

// Directions of the view's left and right edges, angle - 15 and angle + 15.
inline int32_t LeftEdgeAngle(int32_t angle) {
    return (angle + 241) % 256;
}
inline int32_t RightEdgeAngle(int32_t angle) {
    return (angle + 271) % 256;
}

// The point the renderers look from: 4x the camera height behind the target, along the
// view direction, in world units.
void EyePoint(const CameraState& camera, int32_t& eyeX, int32_t& eyeY);

// Where the terrain view's rays start: the eye point and the two view edges' directions.
struct ViewEdges {
    int32_t eyeX; // world units
    int32_t eyeY;
    int32_t left;  // angle units, LeftEdgeAngle of the view direction
    int32_t right; // angle units, RightEdgeAngle
};
ViewEdges ViewEdgesOf(const CameraState& camera);

// The view distance of a point `forward` world units ahead of the eye: the distance along
// the view's edge ray of the line across the view on which it lies. The terrain caster steps
// this distance directly, so terrain and projected points compare in the same units.
double ViewDistance(double forward);

// Projects a world point. A point behind the eye only clears `visible`; x, y and distance
// then keep what `result` held, so callers may rely on the previous values.
void ProjectPoint(const CameraState& camera, const WorldPoint& point, ScreenPoint& result);

// Turns `vector` about the x, then y, then z axis by ax, ay, az (angles 0-255) with the
// tables. `out` may be the same record as `vector`.
void RotatePoint(const WorldPoint& vector, WorldPoint& out, int32_t ax, int32_t ay, int32_t az);
