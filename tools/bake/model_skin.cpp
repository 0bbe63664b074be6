// The ship model's skin: views flattened onto the skin, the livery, the light, the painting.
#include "model_skin.h"

namespace shipmodel {
namespace {

Rgb MixRgb(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb ScaleRgb(Rgb a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}

const Rgb White = {0.88f, 0.9f, 0.93f};
const Rgb Orange = {1.0f, 0.42f, 0.06f};
const Rgb Charcoal = {0.16f, 0.17f, 0.2f};
const Rgb Gunmetal = {0.36f, 0.39f, 0.44f};
const Rgb Underside = {0.34f, 0.37f, 0.42f};

// The area of the skin each view is painted into, in texels, and how the view flattens a
// design-space point to (across, down).
struct ViewArea {
    int left, top, width, height;
};
const ViewArea Areas[ViewCount] = {
    {0, 0, 64, 82},     // top: nose up
    {64, 0, 64, 82},    // bottom
    {0, 82, 96, 16},    // hull side: nose left
    {96, 82, 32, 24},   // pod and fin side
    {64, 98, 48, 20},   // front
    {0, 98, 64, 20},    // rear
    {112, 106, 16, 22}, // swatches: 4 x 4 texels a part, in part order
};

} // namespace

void Flatten(View view, Vec p, float& across, float& down) {
    switch (view) {
    case TopView:
        across = p.x;
        down = -p.f;
        break;
    case BottomView:
        across = p.x;
        down = p.f;
        break;
    case SideView:
    case PodSideView:
        across = -p.f;
        down = -p.z;
        break;
    case FrontView:
    case RearView:
        across = p.x;
        down = -p.z;
        break;
    default:
        across = 0;
        down = 0;
        break;
    }
}

// The texel at the middle of a part's swatch.
void SwatchTexel(Part part, int& s, int& t) {
    const ViewArea& area = Areas[SwatchView];
    s = area.left + (part % 4) * 4 + 1;
    t = area.top + (part / 4) * 4 + 1;
}

namespace {

// How far a point lies toward the viewer of a view: the nearest surface wins the texel.
float Toward(View view, Vec p) {
    switch (view) {
    case TopView:
        return p.z;
    case BottomView:
        return -p.z;
    case SideView:
    case PodSideView:
        return std::fabs(p.x);
    case FrontView:
        return p.f;
    default:
        return -p.f;
    }
}

} // namespace

std::array<ViewMap, ViewCount> MapViews(const Mesh& mesh) {

    std::array<ViewMap, ViewCount> maps{};
    for (int v = 0; v < ViewCount; ++v) {
        float minA = 1e9f, maxA = -1e9f, minD = 1e9f, maxD = -1e9f;
        for (const Triangle& tri : mesh.triangles) {
            if (tri.view != v)
                continue;
            for (int corner : tri.corner) {
                float a, d;
                Flatten(static_cast<View>(v), mesh.vertices[corner], a, d);
                minA = std::min(minA, a), maxA = std::max(maxA, a);
                minD = std::min(minD, d), maxD = std::max(maxD, d);
            }
        }
        if (v == SwatchView || minA > maxA)
            continue;
        const ViewArea& area = Areas[v];
        constexpr float Margin = 2.0f;
        const float scale = std::min((area.width - 2 * Margin) / (maxA - minA),
                                     (area.height - 2 * Margin) / (maxD - minD));
        maps[v].scale = scale;
        maps[v].offsetAcross = area.left + area.width * 0.5f - scale * (minA + maxA) * 0.5f;
        maps[v].offsetDown = area.top + area.height * 0.5f - scale * (minD + maxD) * 0.5f;
    }
    return maps;
}

namespace {

// The paint of a surface point: the livery, before light.
Rgb Livery(Part part, View view, Vec p) {
    const float ax = std::fabs(p.x);
    switch (part) {
    case Hull: {
        if (view == BottomView)
            return Underside;
        Rgb c = White;
        if (p.f > 35)
            c = Orange; // nose cone
        if (view == TopView && ax < 2.2f && p.f < 35)
            c = Orange; // spine stripe
        if (view == SideView && p.z < 0.8f && p.z > -1.6f)
            c = Orange;                              // flank stripe
        for (float line : {-30.0f, -12.0f, 30.0f}) { // panel seams
            if (std::fabs(p.f - line) < 0.6f)
                c = ScaleRgb(c, 0.7f);
        }
        return c;
    }
    case HullTail: {
        const float r = std::sqrt(p.x * p.x + (p.z - 0.6f) * (p.z - 0.6f));
        if (r < 2.2f)
            return MixRgb({1.0f, 0.95f, 0.75f}, {1.0f, 0.55f, 0.12f}, r / 2.2f);
        return Charcoal;
    }
    case Canopy: {
        // Dark glass with a sky reflection toward the top and a frame across the middle.
        const float t = std::clamp((p.z - 3.5f) / 4.0f, 0.0f, 1.0f);
        Rgb glass = MixRgb({0.03f, 0.08f, 0.16f}, {0.35f, 0.65f, 0.85f}, t * t);
        if (std::fabs(p.f - 13.0f) < 0.7f)
            glass = Charcoal;
        return glass;
    }
    case Wing: {
        if (view == BottomView)
            return Underside;
        if (ax > 32.0f)
            return Charcoal; // tips
        if (ax > 26.0f && ax < 30.0f)
            return Orange; // band
        Rgb c = White;
        if (std::fabs(ax - 18.0f) < 0.5f)
            c = ScaleRgb(c, 0.75f); // seam
        return c;
    }
    case Nacelle: {
        Rgb c = Gunmetal;
        if (p.f < -38.0f)
            c = Charcoal; // nozzle ring
        if (std::fabs(p.f + 14.0f) < 1.2f)
            c = Orange;
        return c;
    }
    case Intake:
        return {0.05f, 0.05f, 0.06f};
    case Exhaust: {
        // A white-hot core fading to orange; the nozzle is taller than wide once stretched.
        const float cx = p.x > 0 ? 13.0f : -13.0f;
        const float dx = (p.x - cx) / 4.0f, dz = (p.z - 1.3f) / (4.0f * HeightStretch);
        const float r = std::sqrt(dx * dx + dz * dz);
        if (r < 0.45f)
            return {1.0f, 0.97f, 0.85f};
        if (r < 0.85f)
            return MixRgb({1.0f, 0.88f, 0.4f}, {1.0f, 0.45f, 0.06f}, (r - 0.45f) / 0.4f);
        return {0.85f, 0.22f, 0.05f};
    }
    case Fin: {
        if (p.z > 17.0f)
            return Charcoal;
        if (p.z > 9.5f && p.z < 12.5f)
            return White;
        return Orange;
    }
    case Canard:
        return ax > 11.0f ? Orange : White;
    }
    return White;
}

// Light from above, a little behind and to the right: the chase view sees lit surfaces.
float Light(Vec normal, Part part) {
    if (part == Exhaust || part == HullTail)
        return 1.0f; // glows and their rims are not lit
    const Vec light = Normalised({0.4f, -0.35f, 1.0f});
    return 0.58f + 0.42f * std::max(0.0f, Dot(normal, light));
}

} // namespace

std::vector<Texel> PaintSkin(const Mesh& mesh, const std::array<ViewMap, ViewCount>& maps) {
    std::vector<Texel> skin(SkinSize * SkinSize, Texel{{0, 0, 0}, -1e9f, -1});
    for (const Triangle& tri : mesh.triangles) {
        const View view = tri.view;
        if (view == SwatchView)
            continue;
        // Each side face paints for both sides: the ship is symmetric, so the right side is
        // painted and the left side reads the same texels.
        const Vec& a = mesh.vertices[tri.corner[0]];
        const Vec& b = mesh.vertices[tri.corner[1]];
        const Vec& c = mesh.vertices[tri.corner[2]];
        if ((view == SideView || view == PodSideView) && a.x + b.x + c.x < 0)
            continue;
        // Outward normal: the kept order has its right-hand normal pointing inward here.
        const Vec normal = Normalised(Cross(c - a, b - a));
        float pa[2], pb[2], pc[2];
        const ViewMap& m = maps[view];
        auto toTexel = [&](Vec p, float* out) {
            float across, down;
            Flatten(view, p, across, down);
            out[0] = m.offsetAcross + m.scale * across;
            out[1] = m.offsetDown + m.scale * down;
        };
        toTexel(a, pa), toTexel(b, pb), toTexel(c, pc);
        const float area = (pb[0] - pa[0]) * (pc[1] - pa[1]) - (pb[1] - pa[1]) * (pc[0] - pa[0]);
        if (std::fabs(area) < 1e-6f)
            continue;
        const ViewArea& box = Areas[view];
        const int x0 =
            std::max(box.left, static_cast<int>(std::floor(std::min({pa[0], pb[0], pc[0]}))));
        const int x1 = std::min(box.left + box.width - 1,
                                static_cast<int>(std::ceil(std::max({pa[0], pb[0], pc[0]}))));
        const int y0 =
            std::max(box.top, static_cast<int>(std::floor(std::min({pa[1], pb[1], pc[1]}))));
        const int y1 = std::min(box.top + box.height - 1,
                                static_cast<int>(std::ceil(std::max({pa[1], pb[1], pc[1]}))));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const float px = x + 0.5f, py = y + 0.5f;
                const float wa = ((pb[0] - px) * (pc[1] - py) - (pb[1] - py) * (pc[0] - px)) / area;
                const float wb = ((pc[0] - px) * (pa[1] - py) - (pc[1] - py) * (pa[0] - px)) / area;
                const float wc = 1.0f - wa - wb;
                constexpr float Slack = -0.08f; // let faces reach texels their edges graze
                if (wa < Slack || wb < Slack || wc < Slack)
                    continue;
                const Vec p = a * wa + b * wb + c * wc;
                const float toward = Toward(view, p);
                Texel& t = skin[y * SkinSize + x];
                if (toward <= t.toward)
                    continue;
                t.toward = toward;
                t.part = tri.part;
                t.colour = ScaleRgb(Livery(tri.part, view, p), Light(normal, tri.part));
            }
        }
    }
    // Swatches: the solid colours of plate edges.
    for (int part = Hull; part <= Canard; ++part) {
        Rgb colour = ScaleRgb(White, 0.8f);
        if (part == Fin)
            colour = ScaleRgb(Orange, 0.85f);
        if (part == Nacelle)
            colour = Gunmetal;
        if (part == Canopy || part == Intake || part == HullTail)
            colour = Charcoal;
        if (part == Exhaust)
            colour = {1.0f, 0.6f, 0.15f};
        int s, t;
        SwatchTexel(static_cast<Part>(part), s, t);
        for (int y = t - 1; y < t + 3; ++y) {
            for (int x = s - 1; x < s + 3; ++x)
                skin[y * SkinSize + x] = Texel{colour, 0, part};
        }
    }
    // Seams where two parts meet.
    std::vector<Texel> lined = skin;
    for (int y = 1; y < SkinSize - 1; ++y) {
        for (int x = 1; x < SkinSize - 1; ++x) {
            const Texel& t = skin[y * SkinSize + x];
            if (t.part < 0 || t.part == Exhaust)
                continue;
            for (int n : {-1, 1, -SkinSize, SkinSize}) {
                const Texel& other = skin[y * SkinSize + x + n];
                if (other.part >= 0 && other.part != t.part && other.part > t.part) {
                    lined[y * SkinSize + x].colour = ScaleRgb(t.colour, 0.55f);
                }
            }
        }
    }
    skin = lined;
    // Grow the painted areas over their margins, so that rounding at a face's edge never
    // samples an unpainted texel.
    for (int pass = 0; pass < 4; ++pass) {
        std::vector<Texel> grown = skin;
        for (int y = 0; y < SkinSize; ++y) {
            for (int x = 0; x < SkinSize; ++x) {
                if (skin[y * SkinSize + x].part >= 0)
                    continue;
                for (int n = 0; n < 4; ++n) {
                    const int nx = x + (n == 0) - (n == 1), ny = y + (n == 2) - (n == 3);
                    if (nx < 0 || ny < 0 || nx >= SkinSize || ny >= SkinSize)
                        continue;
                    const Texel& other = skin[ny * SkinSize + nx];
                    if (other.part >= 0) {
                        grown[y * SkinSize + x] = other;
                        break;
                    }
                }
            }
        }
        skin = grown;
    }
    return skin;
}

} // namespace shipmodel
