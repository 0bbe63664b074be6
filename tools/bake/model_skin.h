// The ship model's skin: where each painting view lies on the 128 x 128 skin, and the skin
// painted with the livery and light.
#pragma once
#include <array>
#include <vector>

#include "model_mesh.h"

namespace shipmodel {

constexpr int SkinSize = 128;

struct Rgb {
    float r, g, b;
};

// Texel placement of each view: texel = offset + scale * flattened coordinate.
struct ViewMap {
    float scale, offsetAcross, offsetDown;
};

// Flattens a design-space point as `view` sees it, to (across, down) in model units.
void Flatten(View view, Vec p, float& across, float& down);
// The texel at the middle of a part's swatch.
void SwatchTexel(Part part, int& s, int& t);

// The texel placement of every view, fitted to the mesh.
std::array<ViewMap, ViewCount> MapViews(const Mesh& mesh);

struct Texel {
    Rgb colour;
    float toward;
    int part; // -1 unpainted
};

// Every texel of the skin, row by row: the nearest painted surface's colour.
std::vector<Texel> PaintSkin(const Mesh& mesh, const std::array<ViewMap, ViewCount>& maps);

} // namespace shipmodel
