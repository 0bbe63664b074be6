// The ship model's mesh: vector arithmetic, lofted bodies, plates and the ship built of them.
#include "model_mesh.h"

#include <array>

namespace shipmodel {

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

namespace {

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

} // namespace

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

} // namespace shipmodel
