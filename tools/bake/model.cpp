// The ship model: a racing ship built as a mesh in code, written as plane1.md2 with its
// painted 128 x 128 skin plane1.tga.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bake.h"

namespace {

// Design space, in model units: x to the right, f forward (the nose), z up. The file's y is
// f: the game negates y on load, and its ships travel toward -y at heading 0. The game
// places model units 8 times larger on the ground and 4 times smaller in altitude, so
// heights are stretched here to keep the ship's proportions on screen.
constexpr float HeightStretch = 1.3f;

struct Vec {
    float x, f, z;
};

Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.f + b.f, a.z + b.z};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.f - b.f, a.z - b.z};
}
Vec operator*(Vec a, float k) {
    return {a.x * k, a.f * k, a.z * k};
}
float Dot(Vec a, Vec b) {
    return a.x * b.x + a.f * b.f + a.z * b.z;
}
Vec Cross(Vec a, Vec b) {
    return {a.f * b.z - a.z * b.f, a.z * b.x - a.x * b.z, a.x * b.f - a.f * b.x};
}
Vec Normalised(Vec a) {
    const float length = std::sqrt(Dot(a, a));
    return length > 0 ? a * (1.0f / length) : Vec{0, 0, 1};
}

enum Part : int { Hull, Canopy, Wing, Nacelle, Intake, Exhaust, HullTail, Fin, Canard };

// The directions a face is painted from; each has its own area of the skin. The sides of
// the hull and of the engine pods are apart, so that neither paints over the other, and the
// thin edges of wings and fins take one solid colour each (a swatch).
enum View : int {
    TopView,
    BottomView,
    SideView,
    PodSideView,
    FrontView,
    RearView,
    SwatchView,
    ViewCount
};

struct Triangle {
    int corner[3];
    Part part;
    View view;
};

struct Mesh {
    std::vector<Vec> vertices; // snapped to whole model units (the game truncates to them)
    std::vector<Triangle> triangles;

    int Add(Vec p) {
        vertices.push_back({std::round(p.x), std::round(p.f), std::round(p.z * HeightStretch)});
        return static_cast<int>(vertices.size()) - 1;
    }

    // Adds a face of a convex piece whose inside holds `inside`, wound so that the game's
    // cull rule keeps it when its outside faces the viewer. The game mirrors y (here f), so
    // in design space the kept order is the one whose right-hand normal points inward.
    // An `edge` face is a thin edge of a plate, painted in one colour.
    void Face(int a, int b, int c, Vec inside, Part part, bool edge = false) {
        const Vec& pa = vertices[a];
        const Vec& pb = vertices[b];
        const Vec& pc = vertices[c];
        Vec normal = Cross(pb - pa, pc - pa);
        if (Dot(normal, normal) < 1e-6f)
            return; // collapsed by the snapping
        const Vec centre = (pa + pb + pc) * (1.0f / 3.0f);
        if (Dot(normal, centre - inside) > 0) {
            std::swap(b, c);
        } else {
            normal = normal * -1.0f;
        }
        triangles.push_back(
            {{a, b, c}, part, edge ? SwatchView : ViewOf(Normalised(normal), part)});
    }

    void Quad(int a, int b, int c, int d, Vec inside, Part part, bool edge = false) {
        Face(a, b, c, inside, part, edge);
        Face(a, c, d, inside, part, edge);
    }

    Vec Centre(const std::vector<int>& ids) const {
        Vec sum = {0, 0, 0};
        for (int id : ids)
            sum = sum + vertices[id];
        return sum * (1.0f / static_cast<float>(ids.size()));
    }

    // The painting direction of a face with outward normal n.
    static View ViewOf(Vec n, Part part) {
        const float ax = std::fabs(n.x), af = std::fabs(n.f), az = std::fabs(n.z);
        if (az >= ax && az >= af)
            return n.z > 0 ? TopView : BottomView;
        if (ax >= af)
            return part == Nacelle || part == Fin || part == Intake || part == Exhaust ? PodSideView
                                                                                       : SideView;
        return n.f > 0 ? FrontView : RearView;
    }
};

// One cross-section of a lofted body.
struct Station {
    float f;      // forward position
    float cx, cz; // centre
    float w, h;   // half width and half height; 0 and 0 close the body to a point
};

// Ring shapes, as (x, z) factors of the half width and height, going round once.
using Ring = std::vector<std::array<float, 2>>;

const Ring HullRing = {{1.0f, 0.3f},   {0.55f, 1.0f},  {-0.55f, 1.0f}, {-1.0f, 0.3f},
                       {-0.9f, -0.5f}, {-0.4f, -0.8f}, {0.4f, -0.8f},  {0.9f, -0.5f}};
const Ring RoundRing = {{1.0f, 0.0f},  {0.71f, 0.71f},   {0.0f, 1.0f},  {-0.71f, 0.71f},
                        {-1.0f, 0.0f}, {-0.71f, -0.71f}, {0.0f, -1.0f}, {0.71f, -0.71f}};
// The canopy's lower half is buried in the hull, so its ring is a flat-bottomed dome.
const Ring DomeRing = {{1.0f, 0.0f}, {0.75f, 0.7f}, {0.0f, 1.0f}, {-0.75f, 0.7f}, {-1.0f, 0.0f}};

// Lofts `stations` (front to back) into a closed body: a station of zero size is a point,
// an open end of the body is capped with `capPart` (front) or `endPart` (back).
void Loft(Mesh& mesh, const std::vector<Station>& stations, const Ring& ring, Part part,
          Part frontCap, Part backCap) {
    std::vector<std::vector<int>> rings;
    for (const Station& s : stations) {
        std::vector<int> ids;
        if (s.w == 0 && s.h == 0) {
            ids.push_back(mesh.Add({s.cx, s.f, s.cz}));
        } else {
            for (const auto& p : ring)
                ids.push_back(mesh.Add({s.cx + p[0] * s.w, s.f, s.cz + p[1] * s.h}));
        }
        rings.push_back(ids);
    }
    const int n = static_cast<int>(ring.size());
    const bool closedRing = ring.size() == 8;
    for (size_t k = 0; k + 1 < rings.size(); ++k) {
        const std::vector<int>& a = rings[k];
        const std::vector<int>& b = rings[k + 1];
        std::vector<int> both = a;
        both.insert(both.end(), b.begin(), b.end());
        Vec inside = mesh.Centre(both);
        if (!closedRing)
            inside.z -= 0.5f; // the dome's inside lies below its rim
        const int segments = closedRing ? n : n - 1;
        for (int i = 0; i < segments; ++i) {
            const int j = (i + 1) % n;
            if (a.size() == 1) {
                mesh.Face(a[0], b[i], b[j], inside, part);
            } else if (b.size() == 1) {
                mesh.Face(a[i], a[j], b[0], inside, part);
            } else {
                mesh.Quad(a[i], a[j], b[j], b[i], inside, part);
            }
        }
    }
    // Caps of open ends: a fan round the ring's centre.
    auto cap = [&](const std::vector<int>& ids, const Station& s, float inward, Part capPart) {
        if (ids.size() == 1)
            return;
        const int centre = mesh.Add({s.cx, s.f, s.cz + (closedRing ? 0.0f : 0.3f * s.h)});
        Vec inside = mesh.vertices[centre];
        inside.f += inward;
        const int segments = closedRing ? n : n - 1;
        for (int i = 0; i < segments; ++i)
            mesh.Face(centre, ids[i], ids[(i + 1) % n], inside, capPart);
    };
    cap(rings.front(), stations.front(), -2.0f, frontCap);
    cap(rings.back(), stations.back(), 2.0f, backCap);
}

// A thin plate (wing, fin): planform corners root-front, root-back, tip-back, tip-front on
// its middle surface, with half thicknesses at the root and the tip along `up`.
void Plate(Mesh& mesh, const std::array<Vec, 4>& corners, float rootHalf, float tipHalf, Vec up,
           Part part) {
    int top[4], bottom[4];
    for (int i = 0; i < 4; ++i) {
        const float half = i < 2 ? rootHalf : tipHalf;
        top[i] = mesh.Add(corners[i] + up * half);
        bottom[i] = mesh.Add(corners[i] - up * half);
    }
    const Vec inside =
        mesh.Centre({top[0], top[1], top[2], top[3], bottom[0], bottom[1], bottom[2], bottom[3]});
    mesh.Quad(top[0], top[1], top[2], top[3], inside, part);
    mesh.Quad(bottom[0], bottom[1], bottom[2], bottom[3], inside, part);
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        mesh.Quad(top[i], top[j], bottom[j], bottom[i], inside, part, true);
    }
}

Mesh BuildShip() {
    Mesh mesh;
    // Fuselage: a long flattened octagon, needle nose, cut off square at the tail.
    Loft(mesh,
         {{46, 0, -0.5f, 0, 0},
          {38, 0, 0.0f, 3.0f, 2.0f},
          {28, 0, 0.3f, 5.5f, 3.5f},
          {14, 0, 0.5f, 7.5f, 4.5f},
          {0, 0, 0.5f, 8.5f, 5.0f},
          {-16, 0, 0.5f, 8.5f, 4.8f},
          {-32, 0, 0.5f, 7.5f, 4.2f},
          {-42, 0, 0.5f, 6.5f, 3.6f}},
         HullRing, Hull, Hull, HullTail);
    // Canopy: a dome sitting in the hull's back, ahead of the wings.
    Loft(mesh,
         {{27, 0, 3.4f, 0, 0},
          {21, 0, 3.8f, 3.2f, 2.2f},
          {13, 0, 4.2f, 3.8f, 3.0f},
          {5, 0, 4.4f, 3.2f, 2.4f},
          {-1, 0, 4.4f, 0, 0}},
         DomeRing, Canopy, Canopy, Canopy);
    for (int side = -1; side <= 1; side += 2) {
        const float s = static_cast<float>(side);
        // Swept wings with a little anhedral.
        Plate(mesh,
              {Vec{s * 7, 6, 0}, Vec{s * 7, -34, 0}, Vec{s * 36, -36, -1.8f},
               Vec{s * 36, -24, -1.8f}},
              1.3f, 0.6f, {0, 0, 1}, Wing);
        // Engine nacelles along the wing roots, glowing at the back.
        Loft(mesh,
             {{-4, s * 13, 1.0f, 3.0f, 3.0f},
              {-10, s * 13, 1.0f, 4.2f, 4.2f},
              {-36, s * 13, 1.0f, 4.2f, 4.2f},
              {-44, s * 13, 1.0f, 4.0f, 4.0f}},
             RoundRing, Nacelle, Intake, Exhaust);
        // Twin fins on the nacelles, leaning outward.
        Plate(mesh,
              {Vec{s * 13, -20, 4.6f}, Vec{s * 13, -42, 4.6f}, Vec{s * 16, -47, 15.0f},
               Vec{s * 16, -37, 15.0f}},
              0.7f, 0.45f, Normalised({1, 0, -0.25f * s}), Fin);
        // Foreplanes behind the nose.
        Plate(mesh,
              {Vec{s * 4, 31, 0}, Vec{s * 4, 22, 0}, Vec{s * 15, 20, 0.8f}, Vec{s * 15, 24, 0.8f}},
              0.6f, 0.4f, {0, 0, 1}, Canard);
    }
    return mesh;
}

// ---- The skin -------------------------------------------------------------------------

constexpr int SkinSize = 128;

struct Rgb {
    float r, g, b;
};
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

// Texel placement of each view: texel = offset + scale * flattened coordinate.
struct ViewMap {
    float scale, offsetAcross, offsetDown;
};

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

struct Texel {
    Rgb colour;
    float toward;
    int part; // -1 unpainted
};

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

// ---- The file ---------------------------------------------------------------------------

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutI32(std::vector<uint8_t>& out, int32_t v) {
    PutU32(out, static_cast<uint32_t>(v));
}
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutFloat(std::vector<uint8_t>& out, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    PutU32(out, bits);
}
void PutName(std::vector<uint8_t>& out, const char* name, size_t size) {
    for (size_t i = 0; i < size; ++i)
        out.push_back(i < std::strlen(name) ? static_cast<uint8_t>(name[i]) : 0);
}

std::vector<uint8_t> Md2File(const Mesh& mesh, const std::array<ViewMap, ViewCount>& maps) {
    // One texture coordinate per vertex and view it is painted from.
    std::vector<std::array<int16_t, 2>> st;
    std::vector<std::array<int, ViewCount>> stOf(mesh.vertices.size());
    for (auto& entry : stOf)
        entry.fill(-1);
    std::vector<std::array<uint16_t, 6>> tris;
    for (const Triangle& tri : mesh.triangles) {
        std::array<uint16_t, 6> out{};
        for (int k = 0; k < 3; ++k) {
            const int v = tri.corner[k];
            int& id = stOf[v][tri.view];
            if (tri.view == SwatchView) {
                id = -1; // swatch coordinates belong to the part, not the vertex
                int s, t;
                SwatchTexel(tri.part, s, t);
                for (size_t i = 0; i < st.size() && id < 0; ++i) {
                    if (st[i][0] == s && st[i][1] == t)
                        id = static_cast<int>(i);
                }
                if (id < 0) {
                    id = static_cast<int>(st.size());
                    st.push_back({static_cast<int16_t>(s), static_cast<int16_t>(t)});
                }
            } else if (id < 0) {
                float across, down;
                Flatten(tri.view, mesh.vertices[v], across, down);
                const ViewMap& m = maps[tri.view];
                const int s = static_cast<int>(std::lround(m.offsetAcross + m.scale * across));
                const int t = static_cast<int>(std::lround(m.offsetDown + m.scale * down));
                id = static_cast<int>(st.size());
                st.push_back({static_cast<int16_t>(std::clamp(s, 0, SkinSize - 1)),
                              static_cast<int16_t>(std::clamp(t, 0, SkinSize - 1))});
            }
            out[k] = static_cast<uint16_t>(v);
            out[3 + k] = static_cast<uint16_t>(id);
        }
        tris.push_back(out);
    }

    // Packed vertices: whole units, bytes from the smallest coordinate, scale 1.
    float low[3] = {1e9f, 1e9f, 1e9f};
    for (const Vec& p : mesh.vertices) {
        low[0] = std::min(low[0], p.x), low[1] = std::min(low[1], p.f),
        low[2] = std::min(low[2], p.z);
    }

    const int32_t numVertices = static_cast<int32_t>(mesh.vertices.size());
    const int32_t numSt = static_cast<int32_t>(st.size());
    const int32_t numTris = static_cast<int32_t>(tris.size());
    const int32_t ofsSkins = 68;
    const int32_t ofsSt = ofsSkins + 64;
    const int32_t ofsTris = ofsSt + 4 * numSt;
    const int32_t ofsFrames = ofsTris + 12 * numTris;
    const int32_t frameSize = 40 + 4 * numVertices;
    const int32_t ofsEnd = ofsFrames + frameSize;

    std::vector<uint8_t> out;
    PutU32(out, 0x32504449); // "IDP2"
    for (int32_t v : {8, SkinSize, SkinSize, frameSize, 1, numVertices, numSt, numTris, 0, 1,
                      ofsSkins, ofsSt, ofsTris, ofsFrames, ofsEnd, ofsEnd}) {
        PutI32(out, v);
    }
    PutName(out, "plane1.tga", 64);
    for (const auto& e : st)
        PutU16(out, static_cast<uint16_t>(e[0])), PutU16(out, static_cast<uint16_t>(e[1]));
    for (const auto& t : tris) {
        for (uint16_t v : t)
            PutU16(out, v);
    }
    for (int k = 0; k < 3; ++k)
        PutFloat(out, 1.0f);
    for (int k = 0; k < 3; ++k)
        PutFloat(out, low[k]);
    PutName(out, "ship", 16);
    for (const Vec& p : mesh.vertices) {
        out.push_back(static_cast<uint8_t>(p.x - low[0]));
        out.push_back(static_cast<uint8_t>(p.f - low[1]));
        out.push_back(static_cast<uint8_t>(p.z - low[2]));
        out.push_back(0);
    }
    return out;
}

} // namespace

bool BakeModel(const std::string& dir, const std::string& preview) {
    const Mesh mesh = BuildShip();
    const std::array<ViewMap, ViewCount> maps = MapViews(mesh);
    const std::vector<Texel> skin = PaintSkin(mesh, maps);

    std::vector<uint8_t> rgb(SkinSize * SkinSize * 3);
    for (size_t i = 0; i < skin.size(); ++i) {
        const Rgb c = skin[i].part >= 0 ? skin[i].colour : Rgb{0.3f, 0.3f, 0.3f};
        rgb[i * 3 + 0] = static_cast<uint8_t>(std::lround(std::clamp(c.r, 0.0f, 1.0f) * 255));
        rgb[i * 3 + 1] = static_cast<uint8_t>(std::lround(std::clamp(c.g, 0.0f, 1.0f) * 255));
        rgb[i * 3 + 2] = static_cast<uint8_t>(std::lround(std::clamp(c.b, 0.0f, 1.0f) * 255));
    }
    bool ok = WriteBytes(dir + "Graph/plane1.md2", Md2File(mesh, maps));
    ok = WriteTga(dir + "Graph/plane1.tga", rgb, SkinSize, SkinSize) && ok;
    if (!preview.empty()) {
        // The skin four times enlarged.
        std::vector<uint8_t> big(SkinSize * SkinSize * 48);
        for (int y = 0; y < SkinSize * 4; ++y) {
            for (int x = 0; x < SkinSize * 4; ++x) {
                std::memcpy(&big[(y * SkinSize * 4 + x) * 3],
                            &rgb[((y / 4) * SkinSize + x / 4) * 3], 3);
            }
        }
        ok = WritePng(preview + "plane1_skin.png", big, SkinSize * 4, SkinSize * 4) && ok;
    }
    return ok;
}
