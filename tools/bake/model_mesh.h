// The ship model's mesh: design space, the parts and painting views of its faces, and the
// ship itself built from lofted bodies and plates.
#pragma once
#include <algorithm>
#include <cmath>
#include <vector>

namespace shipmodel {

// Design space, in model units: x to the right, f forward (the nose), z up. The file's y is
// f: the game negates y on load, and its ships travel toward -y at heading 0. The game
// places model units 8 times larger on the ground and 4 times smaller in altitude, so
// heights are stretched here to keep the ship's proportions on screen.
constexpr float HeightStretch = 1.3f;

struct Vec {
    float x, f, z;
};

Vec operator+(Vec a, Vec b);
Vec operator-(Vec a, Vec b);
Vec operator*(Vec a, float k);
float Dot(Vec a, Vec b);
Vec Cross(Vec a, Vec b);
Vec Normalised(Vec a); // (0, 0, 1) for a zero vector

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

// The racing ship, every face wound for the game's cull rule.
Mesh BuildShip();

} // namespace shipmodel
