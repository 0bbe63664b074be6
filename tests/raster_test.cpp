// The textured-triangle and billboard rasterisers.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <tuple>
#include <vector>

#include "render/camera.h"
#include "render/raster.h"
#include "render/tables.h"

namespace {

constexpr uint16_t Untouched = 0x1234;
constexpr uint32_t Empty = 0xFFFFFFFFu;

// A view with its own FrameBuffer (all 320 rows, so writes into the panel would show) and
// depth buffer, and a texture whose texel at (u, v) is 1 + v * 128 + u.
struct View {
    std::vector<uint16_t> frame = std::vector<uint16_t>(240 * 320, Untouched);
    std::vector<uint32_t> depth = std::vector<uint32_t>(240 * 240, Empty);
    std::vector<uint16_t> texture = std::vector<uint16_t>(128 * 128);
    CameraState camera{};

    View() {
        BuildAngleTables();
        for (int32_t i = 0; i < 128 * 128; ++i)
            texture[i] = static_cast<uint16_t>(i + 1);
        camera = CameraState{0, 0, 1400, 0, -180, 240, 240, depth.data(), frame.data()};
    }
    uint16_t Pixel(int32_t row, int32_t column) const { return frame[row * 240 + column]; }
    uint32_t Depth(int32_t row, int32_t column) const { return depth[row * 240 + column]; }
    int32_t Changed() const {
        return static_cast<int32_t>(
            std::count_if(frame.begin(), frame.end(), [](uint16_t p) { return p != Untouched; }));
    }
    bool PanelUntouched() const {
        return std::all_of(frame.begin() + 240 * 240, frame.end(),
                           [](uint16_t p) { return p == Untouched; });
    }
    void Triangle(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c,
                  const int32_t uv[6] = nullptr) {
        const int32_t zero[6] = {};
        const int32_t* t = uv ? uv : zero;
        DrawTexturedTriangle(camera, a, b, c, t[0], t[1], t[2], t[3], t[4], t[5], texture.data());
    }
};

ScreenPoint At(int32_t x, int32_t y, int32_t distance = 1000, int32_t visible = 1) {
    return ScreenPoint{x, y, distance, visible};
}

constexpr uint16_t Texel(int32_t u, int32_t v) {
    return static_cast<uint16_t>(1 + v * 128 + u);
}

} // namespace

TEST(TexturedTriangle, OnlyClockwiseOrFlatCornersAreDrawn) {
    View clockwise, counter;
    clockwise.Triangle(At(10, 10), At(50, 10), At(10, 50));
    counter.Triangle(At(10, 10), At(10, 50), At(50, 10));
    EXPECT_EQ(std::tuple(clockwise.Pixel(20, 20) != Untouched, counter.Changed()),
              std::tuple(true, 0));

    // Corners in a line (cross product 0) are drawn: a horizontal edge records only its
    // top corner, which with equal rows is the second one, so row 10 spans 20 to 30.
    View flat;
    flat.Triangle(At(10, 10), At(20, 10), At(30, 10));
    for (int32_t x = 0; x < 240; ++x)
        EXPECT_EQ(flat.Pixel(10, x) != Untouched, x >= 20 && x <= 31) << x;
    EXPECT_EQ(flat.Changed(), 12);
}

TEST(TexturedTriangle, NeedsAVisibleCornerInFrontOfTheEye) {
    // Covers the whole view, but no corner is flagged visible.
    for (int32_t visible : {0, 1}) {
        View view;
        view.Triangle(At(-1000, -1000, 1000, visible), At(2000, -1000, 1000, 0),
                      At(-1000, 2000, 1000, 0));
        // Shown: the whole view and nothing of the panel.
        EXPECT_EQ(view.Changed(), visible * 240 * 240);
        EXPECT_EQ(view.Pixel(239, 239), visible ? Texel(0, 0) : Untouched);
    }

    // A corner never projected (negative distance, as behind the eye) or thrown to the end
    // of the integer range skips the triangle.
    View skipped;
    skipped.Triangle(At(10, 10), At(50, 10), At(10, 50, -1, 0));
    skipped.Triangle(At(10, 10), At(INT32_MAX, 10, 5, 0), At(10, INT32_MAX, 5, 0));
    EXPECT_EQ(skipped.Changed(), 0);

    // A corner far off the view (but finite) is walked from the view's first row.
    View far;
    far.Triangle(At(100, -20000000), At(140, 100), At(100, 100));
    EXPECT_EQ(std::tuple(far.Pixel(0, 100) != Untouched, far.Pixel(99, 100) != Untouched,
                         far.Pixel(101, 100)),
              std::tuple(true, true, Untouched));
}

TEST(TexturedTriangle, OneRowAtOneEvenColumnIsOnePair) {
    // All three corners on (41, 10): the row's left and right x round down to column 40,
    // so exactly pixels 40 and 41 get the left texel (the second corner's) and its depth.
    View view;
    const int32_t uv[6] = {1, 2, 3, 4, 5, 6};
    view.Triangle(At(41, 10, 777), At(41, 10, 777), At(41, 10, 777), uv);
    EXPECT_EQ(view.Changed(), 2);
    for (int32_t x : {40, 41})
        EXPECT_EQ(std::tuple(view.Pixel(10, x), view.Depth(10, x)), std::tuple(Texel(3, 4), 777u))
            << x;

    // Texture coordinates outside the skin wrap into it.
    View wrapped;
    const int32_t outside[6] = {0, 0, 130, -1, 0, 0};
    wrapped.Triangle(At(41, 10), At(41, 10), At(41, 10), outside);
    EXPECT_EQ(wrapped.Pixel(10, 40), Texel(2, 127));
}

TEST(TexturedTriangle, SpanLeftOfTheViewKeepsItsTextureSteps) {
    // Row 50 runs from x -100 to 100 with u 0 to 100: one texel column per pixel pair step
    // of 1024, so the pair at x lands on texel column (x + 100) / 2.
    View view;
    const int32_t uv[6] = {0, 0, 100, 0, 0, 100};
    view.Triangle(At(-100, 50), At(100, 50), At(-100, 150), uv);
    // Column 101: the last pair reaches past x1.
    const uint16_t row50[][2] = {{0, Texel(50, 0)},    {1, Texel(50, 0)},    {98, Texel(99, 0)},
                                 {100, Texel(100, 0)}, {101, Texel(100, 0)}, {102, Untouched}};
    for (const auto& [x, pixel] : row50)
        EXPECT_EQ(view.Pixel(50, x), pixel) << x;
}

TEST(TexturedTriangle, ViewRowsOnlyAndDepthDecides) {
    // Rows -50 to 300: the view is filled down to row 239 and the panel rows stay untouched.
    View view;
    view.Triangle(At(0, -50, 5000), At(400, -50, 5000), At(0, 300, 5000));
    EXPECT_TRUE(view.Pixel(0, 0) != Untouched && view.Pixel(239, 0) != Untouched)
        << view.Pixel(0, 0) << " " << view.Pixel(239, 0);
    EXPECT_EQ(std::tuple(view.PanelUntouched(), view.Depth(100, 0)), std::tuple(true, 5000u));

    // Farther or equal depth leaves the pixels; nearer depth replaces them.
    const int32_t uvFar[6] = {7, 7, 7, 7, 7, 7}, uvNear[6] = {9, 9, 9, 9, 9, 9};
    view.Triangle(At(0, 0, 6000), At(100, 0, 6000), At(0, 100, 6000), uvFar);
    view.Triangle(At(0, 0, 5000), At(100, 0, 5000), At(0, 100, 5000), uvFar);
    EXPECT_EQ(std::tuple(view.Pixel(10, 10) != Texel(7, 7), view.Depth(10, 10)),
              std::tuple(true, 5000u));
    view.Triangle(At(0, 0, 4000), At(100, 0, 4000), At(0, 100, 4000), uvNear);
    EXPECT_EQ(std::tuple(view.Pixel(10, 10), view.Depth(10, 10)), std::tuple(Texel(9, 9), 4000u));

    // Black texels of a triangle are drawn.
    View black;
    std::fill(black.texture.begin(), black.texture.end(), 0);
    black.Triangle(At(10, 10), At(50, 10), At(10, 50));
    EXPECT_EQ(black.Pixel(20, 20), 0);
}

namespace {

// A sprite sheet whose frame f holds 100 + f, with the frame's left half black.
std::vector<uint16_t> Sheet() {
    std::vector<uint16_t> sheet(256 * 256);
    for (int32_t i = 0; i < 256 * 256; ++i) {
        const int32_t row = i / 256, column = i % 256, frame = (row / 64) * 4 + column / 64;
        sheet[i] = column % 64 < 32 ? 0 : static_cast<uint16_t>(100 + frame);
    }
    return sheet;
}

} // namespace

TEST(Billboard, SquareHangingFromThePointWithTransparentBlack) {
    View view;
    const std::vector<uint16_t> sheet = Sheet();
    // The eye stands at (-5600, 0); the point is 10000 units ahead, a little left.
    const WorldPoint point = {4400, -300, 200};
    ScreenPoint top = {}, foot = {};
    ProjectPoint(view.camera, point, top);
    ProjectPoint(view.camera, WorldPoint{4400, -300, 130}, foot);
    const int32_t half = foot.y - top.y;
    ASSERT_GT(half, 10);

    DrawBillboard(view.camera, point, sheet.data(), 70, 5);
    int32_t minRow = 999, maxRow = -1, minColumn = 999, maxColumn = -1, drawn = 0;
    for (int32_t i = 0; i < 240 * 320; ++i) {
        if (view.frame[i] == Untouched)
            continue;
        EXPECT_EQ(view.frame[i], 105); // frame 5, never the black half
        minRow = std::min(minRow, i / 240), maxRow = std::max(maxRow, i / 240);
        minColumn = std::min(minColumn, i % 240), maxColumn = std::max(maxColumn, i % 240);
        ++drawn;
    }
    EXPECT_EQ(std::make_tuple(minRow, maxRow, maxColumn),
              std::make_tuple(top.y, foot.y + half - 1, top.x + half - 1));
    EXPECT_NEAR(minColumn, top.x, 1);               // the black left half is transparent
    EXPECT_EQ(view.Depth(top.y, top.x + 2), Empty); // sprites never write depth

    // Nearer ground hides it: only pixels deeper than its distance - 256 take it.
    View hidden;
    for (int32_t bias : {256, 255}) {
        std::fill(hidden.depth.begin(), hidden.depth.end(),
                  static_cast<uint32_t>(top.distance - bias));
        DrawBillboard(hidden.camera, point, sheet.data(), 70, 5);
        EXPECT_EQ(hidden.Changed(), bias == 256 ? 0 : drawn);
    }

    // Size 0 draws nothing; nor does a frame outside the sheet.
    View none;
    DrawBillboard(none.camera, point, sheet.data(), 0, 5);
    DrawBillboard(none.camera, point, sheet.data(), 70, 16);
    DrawBillboard(none.camera, point, sheet.data(), 70, -1);
    EXPECT_EQ(none.Changed(), 0);
}

TEST(Billboard, NearerThan256ShowsOnlyWhereNothingWasDrawn) {
    // 200 units ahead of the eye, level with it: the biased depth is negative and, taken
    // as unsigned, beaten by every drawn depth; the sprite is clipped to the view.
    View view;
    std::vector<uint16_t> sheet(256 * 256, 0x0777);
    for (int32_t i = 0; i < 240 * 240; ++i)
        view.depth[i] = i % 240 >= 120 ? 100000 : Empty;
    DrawBillboard(view.camera, WorldPoint{-5400, 0, 175}, sheet.data(), 3, 0);
    EXPECT_EQ(std::tuple(view.Pixel(150, 110), view.Pixel(150, 130)),
              std::tuple(0x0777, Untouched));
    EXPECT_TRUE(view.PanelUntouched());
}
