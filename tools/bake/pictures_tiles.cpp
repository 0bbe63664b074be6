// Ground tiles (tile1-16.tga) and the cloud sky (cloud.tga): seamless, painted from noise.
// One tile texel colours one ground cell, and the game smooths the colour map, so the tiles
// carry their character in features a few texels wide rather than in fine grain.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "assets/assets.h"
#include "assets/terrain_data.h"
#include "bake.h"
#include "pictures_art.h"
#include "render/colour_map.h"

namespace {

constexpr float Tau = 6.2831853f;

// Light from the high-x, high-y side, as the game casts its shadows: a bump field shaded by
// its slope keeps the light consistent across the planet.
float Shade(const std::function<float(float, float)>& field, float u, float v, float strength) {
    const float e = 1.0f / 128;
    float dx = field(u + e, v) - field(u - e, v);
    float dy = field(u, v + e) - field(u, v - e);
    return 1.0f - strength * (dx + dy); // slopes falling toward the light are lit
}

Colour Grass(float u, float v) {
    float patches = Fbm(u, v, 4, 4, 0.55f, 11);
    float detail = Fbm(u, v, 16, 2, 0.5f, 12);
    Colour deep{0.17f, 0.36f, 0.11f}, mid{0.29f, 0.50f, 0.16f}, dry{0.50f, 0.57f, 0.22f};
    Colour c = Mix(deep, mid, Clamp01(0.55f + patches * 1.2f));
    c = Mix(c, dry, SmoothStep(0.25f, 0.6f, patches + detail * 0.3f));
    // Clumps of shrubs: small dark domes.
    CellDistance shrub = Cellular(u, v, 24, 13, 0.9f);
    if (HashUnit(shrub.id, 1, 14) < 0.35f) {
        float dome = SmoothStep(0.55f, 0.15f, shrub.f1);
        c = Mix(c, Colour{0.10f, 0.26f, 0.08f}, dome * 0.8f);
    }
    return Scale(c, 0.92f + detail * 0.12f);
}

Colour Forest(float u, float v) {
    auto canopy = [](float a, float b) {
        CellDistance t = Cellular(a, b, 20, 21, 0.85f);
        return SmoothStep(0.75f, 0.0f, t.f1);
    };
    CellDistance tree = Cellular(u, v, 20, 21, 0.85f);
    float clearing = Fbm(u, v, 4, 3, 0.5f, 22);
    float crown = canopy(u, v);
    float tint = HashUnit(tree.id, 3, 23);
    Colour leaf = Mix(Colour{0.10f, 0.30f, 0.10f}, Colour{0.22f, 0.40f, 0.12f}, tint);
    Colour gap{0.05f, 0.13f, 0.05f};
    Colour c = Mix(gap, leaf, crown);
    c = Scale(c, Shade(canopy, u, v, 0.5f));
    Colour ground = Mix(Colour{0.36f, 0.40f, 0.18f}, Colour{0.40f, 0.33f, 0.20f},
                        Clamp01(0.5f + Fbm(u, v, 16, 2, 0.5f, 24)));
    return Mix(c, ground, SmoothStep(0.25f, 0.45f, clearing));
}

Colour Rock(float u, float v) {
    auto relief = [](float a, float b) {
        return Ridged(a, b, 4, 4, 31) * 0.8f + Fbm(a, b, 8, 3, 0.5f, 32) * 0.3f;
    };
    float r = relief(u, v);
    float strata = std::sin((v + Fbm(u, v, 2, 3, 0.5f, 33) * 0.25f) * Tau * 9) * 0.5f + 0.5f;
    Colour dark{0.27f, 0.25f, 0.23f}, light{0.66f, 0.62f, 0.56f}, warm{0.58f, 0.46f, 0.34f};
    Colour c = Mix(dark, light, Clamp01(r));
    c = Mix(c, warm, strata * 0.35f);
    // Fissures follow the zero lines of a warped noise field: irregular, branching, sparse.
    float warp = Fbm(u, v, 4, 2, 0.5f, 35) * 0.08f;
    float fissure = 1 - std::fabs(GradientNoise(u + warp, v - warp, 5, 34));
    float depth =
        SmoothStep(0.90f, 0.985f, fissure) * SmoothStep(-0.2f, 0.3f, Fbm(u, v, 3, 2, 0.5f, 36));
    c = Mix(c, Colour{0.15f, 0.13f, 0.12f}, depth * 0.75f);
    // Patches of pale lichen on the upper faces.
    float lichen = SmoothStep(0.3f, 0.55f, Fbm(u, v, 8, 3, 0.5f, 37) + r * 0.2f);
    c = Mix(c, Colour{0.62f, 0.62f, 0.46f}, lichen * 0.45f);
    return Scale(c, Shade(relief, u, v, 0.9f));
}

Colour Snow(float u, float v) {
    auto drift = [](float a, float b) { return Fbm(a, b, 4, 5, 0.5f, 41); };
    float d = drift(u, v);
    Colour shadow{0.66f, 0.74f, 0.88f}, bright{0.93f, 0.96f, 1.0f};
    Colour c = Mix(shadow, bright, Clamp01(0.6f + d * 1.1f));
    c = Scale(c, Shade(drift, u, v, 1.6f));
    // Dark rock breaks through where the snow lies thin.
    float bare = Fbm(u, v, 4, 4, 0.55f, 42) - d * 0.3f;
    c = Mix(c, Colour{0.34f, 0.33f, 0.38f}, SmoothStep(0.32f, 0.42f, bare) * 0.85f);
    return c;
}

Colour Sand(float u, float v) {
    float warp = Fbm(u, v, 2, 3, 0.5f, 51) * 0.9f;
    auto dunes = [](float a, float b) {
        float w = Fbm(a, b, 2, 3, 0.5f, 51) * 0.9f;
        float s = std::sin((a * 2 + b * 5 + w) * Tau);
        return s * 0.6f + Fbm(a, b, 8, 2, 0.5f, 52) * 0.2f;
    };
    float ripples = std::sin((u * 3 + v * 14 + warp * 3) * Tau) * 0.5f + 0.5f;
    Colour low{0.74f, 0.56f, 0.32f}, high{0.92f, 0.77f, 0.50f};
    Colour c = Mix(low, high, Clamp01(0.5f + dunes(u, v) * 0.6f));
    c = Scale(c, Shade(dunes, u, v, 0.35f) * (0.95f + ripples * 0.07f));
    return c;
}

Colour Sandstone(float u, float v) {
    float bend = Fbm(u, v, 2, 4, 0.5f, 61);
    float layer = v * 12 + bend * 2.5f;
    float band = std::sin(layer * Tau) * 0.5f + 0.5f;
    float band2 = std::sin(layer * Tau * 2.0f + 1.3f) * 0.5f + 0.5f;
    Colour deep{0.52f, 0.22f, 0.12f}, orange{0.80f, 0.45f, 0.24f}, pale{0.90f, 0.68f, 0.45f};
    Colour c = Mix(deep, orange, band);
    c = Mix(c, pale, SmoothStep(0.7f, 1.0f, band2) * 0.6f);
    auto relief = [](float a, float b) { return Ridged(a, b, 4, 3, 62); };
    c = Scale(c, Shade(relief, u, v, 0.6f) * (0.9f + Fbm(u, v, 16, 2, 0.5f, 63) * 0.15f));
    return c;
}

Colour Lava(float u, float v) {
    CellDistance plate = Cellular(u, v, 7, 71, 1.0f);
    float crack = plate.f2 - plate.f1;
    float heat = Clamp01(0.5f + Fbm(u, v, 3, 3, 0.5f, 72));
    float width = 0.10f + heat * 0.22f;
    float glow = SmoothStep(width, 0.0f, crack);
    float crust = HashUnit(plate.id, 1, 73);
    Colour rock = Mix(Colour{0.09f, 0.07f, 0.07f}, Colour{0.22f, 0.17f, 0.15f}, crust);
    rock = Scale(rock, 0.8f + Fbm(u, v, 16, 2, 0.5f, 74) * 0.3f + (1 - plate.f1) * 0.2f);
    Colour hot =
        Mix(Colour{0.85f, 0.18f, 0.02f}, Colour{1.0f, 0.82f, 0.25f}, SmoothStep(0.3f, 1.0f, glow));
    Colour c = Mix(rock, hot, glow);
    // Pools of open lava where the field runs hottest.
    float pool = SmoothStep(0.80f, 0.92f, heat + Fbm(u, v, 8, 2, 0.5f, 75) * 0.15f);
    return Mix(c, Colour{1.0f, 0.55f, 0.08f}, pool);
}

Colour Basalt(float u, float v) {
    CellDistance column = Cellular(u, v, 14, 81, 0.6f);
    float edge = SmoothStep(0.16f, 0.0f, column.f2 - column.f1);
    float top = HashUnit(column.id, 2, 82);
    Colour face = Mix(Colour{0.17f, 0.17f, 0.21f}, Colour{0.34f, 0.34f, 0.39f}, top);
    face = Scale(face, 0.9f + Fbm(u, v, 8, 3, 0.5f, 83) * 0.25f);
    Colour c = Mix(face, Colour{0.05f, 0.05f, 0.07f}, edge);
    // Weathered streaks of rust-brown between the columns' tops.
    float weather = SmoothStep(0.2f, 0.5f, Fbm(u, v, 4, 3, 0.5f, 85));
    return Mix(c, Colour{0.34f, 0.26f, 0.22f}, weather * 0.5f * (1 - edge));
}

Colour Tundra(float u, float v) {
    float moss = Fbm(u, v, 4, 4, 0.55f, 91);
    Colour olive{0.38f, 0.40f, 0.24f}, brown{0.42f, 0.33f, 0.22f};
    Colour c = Mix(brown, olive, Clamp01(0.5f + moss * 1.3f));
    float frost = Fbm(u, v, 8, 3, 0.5f, 92) + moss * 0.3f;
    c = Mix(c, Colour{0.80f, 0.85f, 0.88f}, SmoothStep(0.15f, 0.35f, frost) * 0.85f);
    CellDistance lichen = Cellular(u, v, 20, 93, 1.0f);
    if (HashUnit(lichen.id, 0, 94) < 0.25f)
        c = Mix(c, Colour{0.72f, 0.48f, 0.18f}, SmoothStep(0.45f, 0.1f, lichen.f1) * 0.7f);
    auto relief = [](float a, float b) { return Fbm(a, b, 8, 2, 0.5f, 95); };
    return Scale(c, Shade(relief, u, v, 0.5f));
}

Colour IceSea(float u, float v) {
    float waves = std::sin((u * 6 + v * 4 + Fbm(u, v, 4, 2, 0.5f, 101) * 1.2f) * Tau);
    Colour deep{0.06f, 0.20f, 0.42f}, shallow{0.12f, 0.36f, 0.60f};
    Colour c = Mix(deep, shallow, Clamp01(0.5f + Fbm(u, v, 4, 3, 0.5f, 102) * 1.2f));
    c = Scale(c, 0.92f + waves * 0.08f);
    CellDistance floe = Cellular(u, v, 9, 103, 1.0f);
    float pack = Fbm(u, v, 2, 3, 0.5f, 104);
    bool ice = HashUnit(floe.id, 0, 105) < 0.45f + pack * 0.8f;
    if (ice) {
        float inner = SmoothStep(0.04f, 0.14f, floe.f2 - floe.f1);
        Colour floeColour =
            Mix(Colour{0.66f, 0.80f, 0.92f}, Colour{0.90f, 0.95f, 1.0f}, HashUnit(floe.id, 1, 106));
        c = Mix(c, floeColour, inner);
    }
    return c;
}

Colour Sulphur(float u, float v) {
    auto crust = [](float a, float b) { return Fbm(a, b, 4, 4, 0.5f, 111); };
    float k = crust(u, v);
    Colour ochre{0.62f, 0.52f, 0.12f}, yellow{0.92f, 0.84f, 0.24f}, white{0.95f, 0.93f, 0.72f};
    Colour c = Mix(ochre, yellow, Clamp01(0.5f + k * 1.4f));
    c = Mix(c, white, SmoothStep(0.35f, 0.55f, k + Fbm(u, v, 16, 2, 0.5f, 112) * 0.2f));
    CellDistance vent = Cellular(u, v, 8, 113, 1.0f);
    c = Mix(c, Colour{0.45f, 0.25f, 0.08f}, SmoothStep(0.08f, 0.0f, vent.f2 - vent.f1) * 0.8f);
    if (HashUnit(vent.id, 0, 114) < 0.3f)
        c = Mix(c, Colour{0.40f, 0.55f, 0.18f}, SmoothStep(0.35f, 0.05f, vent.f1));
    return Scale(c, Shade(crust, u, v, 0.8f));
}

Colour Ash(float u, float v) {
    auto drift = [](float a, float b) { return Fbm(a, b, 4, 4, 0.5f, 121); };
    float d = drift(u, v);
    Colour c =
        Mix(Colour{0.24f, 0.23f, 0.23f}, Colour{0.46f, 0.44f, 0.42f}, Clamp01(0.5f + d * 1.3f));
    c = Scale(c, Shade(drift, u, v, 1.0f));
    float outcrop = Ridged(u, v, 6, 3, 122);
    c = Mix(c, Colour{0.10f, 0.09f, 0.10f}, SmoothStep(0.72f, 0.85f, outcrop) * 0.9f);
    CellDistance ember = Cellular(u, v, 24, 123, 1.0f);
    if (HashUnit(ember.id, 0, 124) < 0.12f)
        c = Mix(c, Colour{0.95f, 0.40f, 0.08f}, SmoothStep(0.30f, 0.05f, ember.f1));
    return c;
}

Colour Moss(float u, float v) {
    float m = Fbm(u, v, 4, 4, 0.55f, 131);
    Colour dark{0.22f, 0.08f, 0.32f}, violet{0.45f, 0.20f, 0.58f};
    Colour c = Mix(dark, violet, Clamp01(0.5f + m * 1.3f));
    float vein = Ridged(u, v, 3, 3, 132);
    c = Mix(c, Colour{0.12f, 0.04f, 0.18f}, SmoothStep(0.82f, 0.95f, vein) * 0.7f);
    CellDistance bloom = Cellular(u, v, 16, 133, 1.0f);
    if (HashUnit(bloom.id, 0, 134) < 0.4f) {
        float core = SmoothStep(0.45f, 0.05f, bloom.f1);
        Colour petal = Mix(Colour{0.85f, 0.30f, 0.72f}, Colour{0.40f, 0.85f, 0.90f},
                           HashUnit(bloom.id, 1, 135) < 0.8f ? 0.0f : 1.0f);
        c = Mix(c, petal, core);
    }
    return c;
}

Colour Crystal(float u, float v) {
    CellDistance facet = Cellular(u, v, 10, 141, 1.0f);
    float shade = HashUnit(facet.id, 0, 142);
    float edge = SmoothStep(0.10f, 0.0f, facet.f2 - facet.f1);
    Colour body = Mix(Colour{0.04f, 0.30f, 0.34f}, Colour{0.16f, 0.62f, 0.62f}, shade);
    // A gradient across each facet reads as a flat, tilted face.
    body = Scale(body, 0.8f + (1 - facet.f1) * 0.35f);
    Colour c = Mix(body, Colour{0.70f, 1.0f, 0.96f}, edge * 0.8f);
    float haze = Fbm(u, v, 4, 3, 0.5f, 143);
    return Mix(c, Colour{0.20f, 0.12f, 0.40f}, SmoothStep(0.2f, 0.5f, haze) * 0.5f);
}

Colour Rust(float u, float v) {
    auto dust = [](float a, float b) { return Fbm(a, b, 4, 5, 0.5f, 151); };
    float d = dust(u, v);
    Colour c =
        Mix(Colour{0.48f, 0.20f, 0.10f}, Colour{0.78f, 0.42f, 0.22f}, Clamp01(0.5f + d * 1.3f));
    // Craters: a dark floor inside a bright rim.
    CellDistance crater = Cellular(u, v, 5, 152, 0.8f);
    float radius = 0.18f + HashUnit(crater.id, 0, 153) * 0.22f;
    if (HashUnit(crater.id, 1, 154) < 0.6f) {
        float rim = SmoothStep(0.06f, 0.0f, std::fabs(crater.f1 - radius));
        float floor = SmoothStep(radius, radius * 0.6f, crater.f1);
        c = Mix(c, Colour{0.32f, 0.13f, 0.07f}, floor * 0.7f);
        c = Mix(c, Colour{0.90f, 0.58f, 0.36f}, rim * 0.7f);
    }
    CellDistance stone = Cellular(u, v, 28, 155, 1.0f);
    if (HashUnit(stone.id, 0, 156) < 0.3f)
        c = Mix(c, Colour{0.22f, 0.10f, 0.07f}, SmoothStep(0.35f, 0.1f, stone.f1));
    return Scale(c, Shade(dust, u, v, 0.8f));
}

Colour Glacier(float u, float v) {
    float flow = Fbm(u, v, 2, 3, 0.5f, 161);
    float crevasse = Ridged(u + flow * 0.1f, v, 4, 3, 162);
    Colour ice = Mix(Colour{0.48f, 0.72f, 0.86f}, Colour{0.74f, 0.90f, 0.97f},
                     Clamp01(0.5f + Fbm(u, v, 4, 4, 0.5f, 163) * 1.2f));
    Colour c = Mix(ice, Colour{0.08f, 0.28f, 0.52f}, SmoothStep(0.80f, 0.95f, crevasse));
    float drift = Fbm(u, v, 8, 3, 0.5f, 164);
    return Mix(c, Colour{0.95f, 0.97f, 1.0f}, SmoothStep(0.2f, 0.45f, drift) * 0.8f);
}

using Painter = Colour (*)(float, float);

// tile1 … tile16. The planets combine them as their height bands (low ground first):
// temperate 1-2-3-4, arctic sea 10-9-16, crystal 13-14, desert 5-6, striped 15-11,
// volcanic 7-12-8, frozen sea 10-4, jungle 1, black basalt 8-13, ice and sand 16-5,
// violet uplands 1-13, basalt 8.
const Painter TilePainters[16] = {Grass,  Forest, Rock,    Snow, Sand, Sandstone, Lava, Basalt,
                                  Tundra, IceSea, Sulphur, Ash,  Moss, Crystal,   Rust, Glacier};

// The tile number (1-16) in slot 0-3 of planet 0-11, read from the game's own table of the
// files each planet loads ("tile<N>.tga").
int PlanetTile(int planet, int slot) {
    return std::atoi(PlanetTiles[planet][slot] + 4);
}

// How each tile's colours spread about its mean colour (1: as painted) and how bright it is
// overall. The game repeats a tile every 128 cells; a tile whose large features stand out
// reads as a grid across a valley floor, so the planets that lie on one tile over wide
// ground keep their tiles' contrast low and let the shading of the hills do the rest.
struct Tone {
    float contrast, gain;
};
constexpr Tone TileTones[16] = {
    {1.0f, 1.0f}, {1.0f, 1.0f},  {1.0f, 1.0f},  {1.0f, 1.0f}, // grass, forest, rock, snow
    {1.0f, 1.0f}, {1.0f, 1.0f},  {0.2f, 1.1f},  {0.5f, 1.9f}, // sand, sandstone, lava, basalt
    {0.8f, 1.0f}, {0.25f, 1.0f}, {1.0f, 1.0f},  {0.8f, 1.0f}, // tundra, ice sea, sulphur, ash
    {0.5f, 1.3f}, {1.0f, 1.0f},  {0.75f, 1.0f}, {1.0f, 1.0f}, // moss, crystal, rust, glacier
};

void ApplyTone(Canvas& tile, Tone tone) {
    Colour mean{0, 0, 0};
    for (const Colour& c : tile.pixels)
        mean = Add(mean, Scale(c, 1.0f / static_cast<float>(tile.pixels.size())));
    for (Colour& c : tile.pixels) {
        const Colour toned =
            Scale(Add(mean, Scale(Add(c, Scale(mean, -1)), tone.contrast)), tone.gain);
        c = {Clamp01(toned.r), Clamp01(toned.g), Clamp01(toned.b)};
    }
}

Colour SkyColour(float u, float v) {
    float cover = Fbm(u, v, 4, 6, 0.52f, 201) + 0.12f;
    float puff = SmoothStep(0.02f, 0.42f, cover);
    float wisp = SmoothStep(0.1f, 0.5f, Fbm(u * 1.0f, v, 8, 3, 0.5f, 202)) * 0.25f;
    Colour blue = Mix(Colour{0.22f, 0.42f, 0.78f}, Colour{0.36f, 0.56f, 0.88f},
                      Clamp01(0.5f + Fbm(u, v, 2, 2, 0.5f, 203)));
    // Cloud bodies lit from above and seen from below: bright rims, greyer cores.
    Colour cloud = Mix(Colour{0.97f, 0.98f, 1.0f}, Colour{0.66f, 0.70f, 0.80f},
                       SmoothStep(0.35f, 0.8f, cover));
    return Mix(blue, cloud, Clamp01(puff + wisp));
}

// A top-down look at a planet as the game colours its ground (the game's own colour map:
// tiles blended by height, shadows cast, smoothed three times); over the 512 x 512
// `heights`, of which the 256 x 256 square from (left, top) is shown.
std::vector<uint8_t> GroundPreview(std::vector<std::vector<uint16_t>>& slots,
                                   const std::vector<uint8_t>& heights, int left, int top) {
    constexpr int Size = 512;
    std::vector<uint16_t> colours(Size * Size);
    for (size_t s = 0; s < 4; ++s)
        TileSlots[s] = slots[s].data();
    BuildTerrainColours(heights.data(), colours.data(), 0, 1, 2, 3);
    for (uint16_t*& slot : TileSlots)
        slot = nullptr;
    std::vector<uint8_t> rgb(static_cast<size_t>(256) * 256 * 3);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            uint16_t c =
                colours[static_cast<size_t>(((top + y) & 511) * Size + ((left + x) & 511))];
            size_t o = static_cast<size_t>(y * 256 + x) * 3;
            rgb[o] = static_cast<uint8_t>((c >> 11) << 3);
            rgb[o + 1] = static_cast<uint8_t>(((c >> 5) & 63) << 2);
            rgb[o + 2] = static_cast<uint8_t>((c & 31) << 3);
        }
    return rgb;
}

// The first track's height map when it has been baked, else a made-up landscape of ridges.
std::vector<uint8_t> PreviewHeights(const std::string& mapFile) {
    std::vector<uint8_t> heights(512 * 512);
    if (std::FILE* file = std::fopen(mapFile.c_str(), "rb")) {
        size_t got = std::fread(heights.data(), 1, heights.size(), file);
        std::fclose(file);
        if (got == heights.size())
            return heights;
    }
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            float u = (x + 0.5f) / 512, v = (y + 0.5f) / 512;
            float h = Ridged(u, v, 4, 5, 901) * 1.6f - 0.8f;
            heights[static_cast<size_t>(y * 512 + x)] =
                static_cast<uint8_t>(std::clamp(static_cast<int>(h * 255), 0, 255));
        }
    return heights;
}

uint16_t Pack(const std::vector<uint8_t>& rgb, size_t i) {
    return static_cast<uint16_t>(((rgb[i * 3] >> 3) << 11) | ((rgb[i * 3 + 1] >> 2) << 5) |
                                 (rgb[i * 3 + 2] >> 3));
}

} // namespace

bool BakeTiles(const std::string& graph, const std::string& preview) {
    bool ok = true;
    std::vector<std::vector<uint8_t>> shown(16);
    for (int t = 0; t < 16; ++t) {
        Canvas tile(128, 128);
        PaintCanvas(tile, TilePainters[t]);
        ApplyTone(tile, TileTones[t]);
        std::string path = graph + "tile" + std::to_string(t + 1) + ".tga";
        ok = WriteTga(path, tile.Bytes(), 128, 128) && ok;
        if (!preview.empty() && !ReadTgaScreen(path, 128, 128, shown[static_cast<size_t>(t)]))
            ok = false;
    }
    if (preview.empty() || !ok)
        return ok;
    // Each planet as its four slots side by side, and all twelve in one sheet.
    std::vector<uint8_t> sheet(static_cast<size_t>(512) * 128 * 12 * 3);
    for (int p = 0; p < 12; ++p) {
        std::vector<uint8_t> row(static_cast<size_t>(512) * 128 * 3);
        for (int s = 0; s < 4; ++s) {
            const std::vector<uint8_t>& tile = shown[static_cast<size_t>(PlanetTile(p, s) - 1)];
            for (int y = 0; y < 128; ++y)
                for (int x = 0; x < 128 * 3; ++x)
                    row[(static_cast<size_t>(y) * 512 + s * 128) * 3 + x] =
                        tile[static_cast<size_t>(y) * 128 * 3 + x];
        }
        std::copy(row.begin(), row.end(),
                  sheet.begin() + static_cast<std::ptrdiff_t>(row.size()) * p);
        ok = WritePng(preview + "planet" + std::to_string(p) + ".png", row, 512, 128) && ok;
    }
    ok = WritePng(preview + "planets.png", sheet, 512, 128 * 12) && ok;
    // The twelve planets' ground as the game would colour the first track around its start,
    // four to a row.
    std::vector<uint8_t> heights = PreviewHeights(graph + "../Map/map1.raw");
    std::vector<uint8_t> grounds(static_cast<size_t>(1024) * 768 * 3);
    for (int p = 0; p < 12; ++p) {
        std::vector<std::vector<uint16_t>> slots(4, std::vector<uint16_t>(128 * 128));
        for (int s = 0; s < 4; ++s)
            for (size_t i = 0; i < 128 * 128; ++i)
                slots[static_cast<size_t>(s)][i] =
                    Pack(shown[static_cast<size_t>(PlanetTile(p, s) - 1)], i);
        std::vector<uint8_t> ground = GroundPreview(slots, heights, 305 - 128, 71 - 128);
        for (int y = 0; y < 256; ++y)
            std::copy(ground.begin() + y * 256 * 3, ground.begin() + (y + 1) * 256 * 3,
                      grounds.begin() +
                          ((static_cast<std::ptrdiff_t>(p / 4) * 256 + y) * 1024 + (p % 4) * 256) *
                              3);
    }
    ok = WritePng(preview + "planet_grounds.png", grounds, 1024, 768) && ok;
    // Tiles repeated 2 x 2 show any seam.
    for (int t = 0; t < 16; ++t) {
        std::vector<uint8_t> twice(static_cast<size_t>(256) * 256 * 3);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                for (int ch = 0; ch < 3; ++ch)
                    twice[(static_cast<size_t>(y) * 256 + x) * 3 + ch] =
                        shown[static_cast<size_t>(t)]
                             [(static_cast<size_t>(y & 127) * 128 + (x & 127)) * 3 + ch];
        ok = WritePng(preview + "tile" + std::to_string(t + 1) + ".png", twice, 256, 256) && ok;
    }
    return ok;
}

bool BakeSky(const std::string& graph, const std::string& preview) {
    Canvas sky(256, 256);
    PaintCanvas(sky, SkyColour);
    std::string path = graph + "cloud.tga";
    bool ok = WriteTgaDithered(path, sky.Bytes(), 256, 256);
    if (ok && !preview.empty())
        ok = PreviewTga(path, preview + "cloud.png", 256, 256, 2);
    return ok;
}
