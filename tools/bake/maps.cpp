// The five height maps: a valley carved around each course, walled by mountains of its own kind.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "bake.h"
#include "maps_flight.h"
#include "maps_shape.h"
#include "race/course_data.h"

namespace {

// Relief colours of the preview, by height byte: lake, meadow, scree, rock, snow.
struct RampStop {
    int32_t height;
    uint8_t r, g, b;
};
constexpr RampStop PreviewRamp[] = {
    {0, 40, 86, 120},    {12, 74, 122, 96},    {40, 104, 140, 78},   {90, 140, 126, 92},
    {116, 122, 104, 90}, {170, 150, 140, 132}, {215, 214, 212, 210}, {255, 250, 252, 255},
};

void RampColour(int32_t height, float light, uint8_t* rgb) {
    size_t i = 1;
    while (i + 1 < std::size(PreviewRamp) && PreviewRamp[i].height < height)
        ++i;
    const RampStop& a = PreviewRamp[i - 1];
    const RampStop& b = PreviewRamp[i];
    const float t = std::clamp(float(height - a.height) / float(b.height - a.height), 0.0f, 1.0f);
    const float c[3] = {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
    for (int k = 0; k < 3; ++k)
        rgb[k] = uint8_t(std::clamp(c[k] * light, 0.0f, 255.0f));
}

void Plot(std::vector<uint8_t>& rgb, int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
    x &= MapMask;
    y &= MapMask;
    uint8_t* p = &rgb[(size_t(y) * MapSide + size_t(x)) * 3];
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

void Line(std::vector<uint8_t>& rgb, float x0, float y0, float x1, float y1, uint8_t r, uint8_t g,
          uint8_t b) {
    const int32_t steps = int32_t(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0))) + 1;
    for (int32_t i = 0; i <= steps; ++i) {
        const float t = float(i) / float(steps);
        Plot(rgb, int32_t(std::lround(x0 + (x1 - x0) * t)),
             int32_t(std::lround(y0 + (y1 - y0) * t)), r, g, b);
    }
}

void Frame(std::vector<uint8_t>& rgb, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t r,
           uint8_t g, uint8_t b) {
    Line(rgb, float(x0), float(y0), float(x1), float(y0), r, g, b);
    Line(rgb, float(x0), float(y1), float(x1), float(y1), r, g, b);
    Line(rgb, float(x0), float(y0), float(x0), float(y1), r, g, b);
    Line(rgb, float(x1), float(y0), float(x1), float(y1), r, g, b);
}

// Top view, lit from the north-west, with the course over it: Checkpoints red, Waypoint squares
// and the line between their centres yellow, the pilots' simulated line cyan, the grid white.
std::vector<uint8_t> ReliefPreview(const std::vector<uint8_t>& heights, const CourseTable& course,
                                   const std::vector<CourseSample>& flight) {
    std::vector<uint8_t> rgb(size_t(MapSide) * MapSide * 3);
    for (int32_t y = 0; y < MapSide; ++y) {
        for (int32_t x = 0; x < MapSide; ++x) {
            const float h = heights[size_t(y) * MapSide + size_t(x)];
            const float west = heights[size_t(y) * MapSide + size_t((x - 1) & MapMask)];
            const float north = heights[size_t((y - 1) & MapMask) * MapSide + size_t(x)];
            const float light =
                std::clamp(1.0f + (h - west) * 0.045f + (h - north) * 0.03f, 0.35f, 1.6f);
            RampColour(int32_t(h), light, &rgb[(size_t(y) * MapSide + size_t(x)) * 3]);
        }
    }
    for (int32_t i = 0; i < course.checkpointCount; ++i) {
        const int32_t* c = course.checkpoints[i];
        Frame(rgb, c[0], c[1], c[2], c[3], 220, 40, 40);
    }
    for (const CourseSample& s : flight)
        Plot(rgb, int32_t(s.x), int32_t(s.y), 60, 220, 230);
    const int32_t n = course.waypointCount;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t* a = course.waypoints[i];
        const int32_t* b = course.waypoints[(i + 1) % n];
        Frame(rgb, a[0], a[1], a[0] + WaypointSide, a[1] + WaypointSide, 250, 210, 40);
        Line(rgb, float(a[0] + WaypointSide / 2), float(a[1] + WaypointSide / 2),
             float(b[0] + WaypointSide / 2), float(b[1] + WaypointSide / 2), 250, 210, 40);
    }
    for (const auto& place : course.grid) {
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx)
                Plot(rgb, place[0] + dx, place[1] + dy, 255, 255, 255);
    }
    return rgb;
}

// A rough look through the chase camera (eye 22 cells behind the target at altitude 175, horizon
// on row 100), to judge a view before the game's own renderer shows it.
std::vector<uint8_t> ChaseViewPreview(const std::vector<uint8_t>& heights, float targetX,
                                      float targetY, float angle) {
    constexpr int32_t Width = 240, Height = 240;
    std::vector<uint8_t> rgb(size_t(Width) * Height * 3);
    for (int32_t y = 0; y < Height; ++y) {
        for (int32_t x = 0; x < Width; ++x) {
            uint8_t* p = &rgb[(size_t(y) * Width + size_t(x)) * 3];
            const float t = float(y) / 100.0f;
            p[0] = uint8_t(std::min(255.0f, 90 + 90 * t));
            p[1] = uint8_t(std::min(255.0f, 130 + 80 * t));
            p[2] = uint8_t(std::min(255.0f, 200 + 40 * t));
        }
    }
    const float radians = angle * 6.283185307f / 256.0f;
    const float dirX = std::cos(radians), dirY = std::sin(radians);
    const float eyeX = targetX - dirX * 21.875f, eyeY = targetY - dirY * 21.875f;
    constexpr float EyeAltitude = 175.0f;
    constexpr float Focal = 120.0f / 0.38574f; // 30 angle units across the view
    for (int32_t column = 0; column < Width; ++column) {
        const float side = (float(column) - 119.5f) / Focal;
        int32_t open = Height;
        for (float d = 1.0f; d < 390.0f && open > 0; d += 0.25f + d * 0.004f) {
            const float cx = eyeX + (dirX - dirY * side) * d;
            const float cy = eyeY + (dirY + dirX * side) * d;
            const int32_t ix = int32_t(std::floor(cx)), iy = int32_t(std::floor(cy));
            if (ix < 0 || iy < 0 || ix >= MapSide || iy >= MapSide)
                break;
            const float h = heights[size_t(iy) * MapSide + size_t(ix)];
            const int32_t row = int32_t(100.0f + (EyeAltitude - 2.0f * h) * 32.0f / d);
            if (row >= open)
                continue;
            const float west = heights[size_t(iy) * MapSide + size_t((ix - 1) & MapMask)];
            const float north = heights[size_t((iy - 1) & MapMask) * MapSide + size_t(ix)];
            const float light =
                std::clamp(1.0f + (h - west) * 0.045f + (h - north) * 0.03f, 0.35f, 1.6f);
            uint8_t colour[3];
            RampColour(int32_t(h), light, colour);
            const float fog = std::min(1.0f, d / 390.0f);
            for (int32_t r = std::max(0, row); r < open; ++r) {
                uint8_t* p = &rgb[(size_t(r) * Width + size_t(column)) * 3];
                for (int k = 0; k < 3; ++k)
                    p[k] = uint8_t(colour[k] * (1 - fog) + p[k] * fog);
            }
            open = std::max(0, row);
        }
    }
    return rgb;
}

// Shapes one track's map and writes it, with its previews when `preview` names a folder.
bool BakeTrackMap(int32_t track, const std::string& dir, const std::string& preview) {
    std::vector<CourseSample> flight;
    const std::vector<uint8_t> heights = ShapeTrackMap(track, &flight);
    const std::string name = "map" + std::to_string(track + 1);
    bool ok = WriteBytes(dir + "Map/" + name + ".raw", heights);
    if (preview.empty())
        return ok;
    const CourseTable& course = CourseTables[track];
    ok = WritePng(preview + name + ".png", ReliefPreview(heights, course, flight), MapSide,
                  MapSide) &&
         ok;
    // The grid as the race starts, and the main menu's first view on track 0.
    const float gridX = float(course.grid[0][0]), gridY = float(course.grid[0][1]);
    ok = WritePng(preview + name + "_start.png", ChaseViewPreview(heights, gridX, gridY, 128.0f),
                  240, 240) &&
         ok;
    if (track == 0)
        ok = WritePng(preview + name + "_menu.png",
                      ChaseViewPreview(heights, 78240 / 256.0f, 18176 / 256.0f, 60.0f), 240, 240) &&
             ok;
    return ok;
}

} // namespace

bool BakeMaps(const std::string& dir, const std::string& preview) {
    // Without the ship model the maps are still shaped, but not checked by flying them.
    LoadFlightModel(dir + "Graph/plane1.md2");
    // The tracks are shaped two at a time, each in a process of its own (the race code the
    // shaping flies keeps its state in globals, which threads could not share), the longest
    // first. Without a process to spare, a track is shaped here.
    constexpr int32_t Workers = 2;
    bool ok = true;
    int32_t running = 0;
    const auto reap = [&] {
        int status = 0;
        if (wait(&status) < 0) {
            ok = false;
            running = 0;
            return;
        }
        ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
        running -= 1;
    };
    for (int32_t track = TrackCount; track-- > 0;) {
        if (running == Workers)
            reap();
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            const bool written = BakeTrackMap(track, dir, preview);
            std::fflush(nullptr);
            _exit(written ? 0 : 1);
        }
        if (child < 0)
            ok = BakeTrackMap(track, dir, preview) && ok;
        else
            running += 1;
    }
    while (running > 0)
        reap();
    return ok;
}
