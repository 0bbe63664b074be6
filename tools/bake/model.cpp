// The ship model: a racing ship built as a mesh in code, written as plane1.md2 with its
// painted 128 x 128 skin plane1.tga.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bake.h"
#include "model_mesh.h"
#include "model_skin.h"

using namespace shipmodel;

namespace {

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
