// The MD2 ship model reader, its skin loader and their release.
#include "assets/ship_model.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "assets/tga.h"

namespace {

constexpr int32_t HeaderValues = 17;
constexpr int64_t HeaderBytes = int64_t{HeaderValues} * 4;
constexpr int64_t TexCoordBytes = 4;
constexpr int64_t TriangleBytes = 12;
constexpr int64_t FrameHeaderBytes = 40;
constexpr int64_t VertexBytes = 4;

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// A little-endian IEEE single. Copied bit for bit, as std::bit_cast would; some of the
// standard libraries the game builds with do not have it yet.
float ReadF32(const uint8_t* p) {
    const uint32_t bits = ReadU32(p);
    float value;
    static_assert(sizeof value == sizeof bits);
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// An open file with its size; closes itself.
struct ModelFile {
    std::FILE* file = nullptr;
    int64_t size = 0;
    ~ModelFile() {
        if (file)
            std::fclose(file);
    }
    bool Read(int64_t offset, int64_t count, std::vector<uint8_t>& bytes) {
        bytes.resize(static_cast<size_t>(count));
        if (count == 0)
            return true;
        if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0)
            return false;
        return std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
};

// True when `count` records of `recordBytes` starting at `offset` lie inside the file.
bool BlockInside(int64_t offset, int64_t count, int64_t recordBytes, int64_t fileSize) {
    if (count == 0)
        return true;
    return offset >= 0 && offset + count * recordBytes <= fileSize;
}

bool HeaderFits(const Md2Header& h, int64_t fileSize) {
    if (h.numVertices < 0 || h.numVertices > ModelVertexLimit)
        return false;
    if (h.numFrames < 0 || h.numFrames > ModelFrameLimit)
        return false;
    if (h.numSt < 0 || h.numTris < 0)
        return false;
    return BlockInside(h.ofsSt, h.numSt, TexCoordBytes, fileSize) &&
           BlockInside(h.ofsTris, h.numTris, TriangleBytes, fileSize) &&
           BlockInside(h.ofsFrames, h.numFrames, FrameHeaderBytes + VertexBytes * h.numVertices,
                       fileSize);
}

bool ReadModelBlocks(ModelFile& in, ShipModel& model) {
    const Md2Header& h = model.header;
    std::vector<uint8_t> bytes;

    if (!in.Read(h.ofsSt, h.numSt * TexCoordBytes, bytes))
        return false;
    model.texCoords.assign(static_cast<size_t>(h.numSt) + 1, Md2TexCoord{0, 0});
    for (int32_t i = 0; i < h.numSt; ++i) {
        const uint8_t* p = &bytes[static_cast<size_t>(i) * TexCoordBytes];
        model.texCoords[i].s = static_cast<int16_t>(ReadU16(p));
        model.texCoords[i].t = static_cast<int16_t>(ReadU16(p + 2));
    }

    if (!in.Read(h.ofsTris, h.numTris * TriangleBytes, bytes))
        return false;
    model.triangles.assign(static_cast<size_t>(h.numTris) + 1, Md2Triangle{});
    for (int32_t i = 0; i < h.numTris; ++i) {
        const uint8_t* p = &bytes[static_cast<size_t>(i) * TriangleBytes];
        Md2Triangle& tri = model.triangles[i];
        for (size_t k = 0; k < 3; ++k) {
            tri.vertex[k] = ReadU16(p + 2 * k);
            tri.texCoord[k] = ReadU16(p + 6 + 2 * k);
            // An index past its array would send the drawer out of bounds.
            if (tri.vertex[k] >= h.numVertices || tri.texCoord[k] >= h.numSt)
                return false;
        }
    }

    const int64_t frameBytes = FrameHeaderBytes + VertexBytes * h.numVertices;
    model.frameHeaders.assign(static_cast<size_t>(h.numFrames), Md2FrameHeader{});
    model.frameVertices.assign(static_cast<size_t>(h.numFrames), {});
    for (int32_t f = 0; f < h.numFrames; ++f) {
        if (!in.Read(h.ofsFrames + f * frameBytes, frameBytes, bytes))
            return false;
        Md2FrameHeader& header = model.frameHeaders[f];
        for (size_t k = 0; k < 3; ++k) {
            header.scale[k] = ReadF32(&bytes[4 * k]);
            header.translate[k] = ReadF32(&bytes[12 + 4 * k]);
        }
        std::memcpy(header.name, &bytes[24], sizeof header.name);
        std::vector<Md2Vertex>& vertices = model.frameVertices[f];
        vertices.assign(static_cast<size_t>(h.numVertices) + 1, Md2Vertex{});
        for (int32_t i = 0; i < h.numVertices; ++i) {
            const uint8_t* p = &bytes[FrameHeaderBytes + VertexBytes * i];
            vertices[i] = Md2Vertex{{p[0], p[1], p[2]}, p[3]};
        }
    }
    return true;
}

// Drops every array and count, keeping an allocated skin and the given skin size.
void EmptyModel(ShipModel& model, int32_t skinWidth, int32_t skinHeight) {
    model.header = Md2Header{};
    model.header.skinWidth = skinWidth;
    model.header.skinHeight = skinHeight;
    model.texCoords = {};
    model.triangles = {};
    model.frameHeaders = {};
    model.frameVertices = {};
}

} // namespace

ShipModel* CreateShipModel() {
    return new (std::nothrow) ShipModel{};
}

bool ReadShipModel(ShipModel& model, const char* path) {
    const int32_t skinWidth = model.header.skinWidth;
    const int32_t skinHeight = model.header.skinHeight;
    EmptyModel(model, skinWidth, skinHeight);
    ModelFile in;
    in.file = path ? std::fopen(path, "rb") : nullptr;
    if (!in.file)
        return false;
    if (std::fseek(in.file, 0, SEEK_END) != 0)
        return false;
    in.size = std::ftell(in.file);
    if (in.size < 0)
        return false;

    std::vector<uint8_t> bytes;
    if (in.size < HeaderBytes || !in.Read(0, HeaderBytes, bytes))
        return false;
    int32_t values[HeaderValues];
    for (int32_t i = 0; i < HeaderValues; ++i)
        values[i] = static_cast<int32_t>(ReadU32(&bytes[static_cast<size_t>(i) * 4]));
    static_assert(sizeof(Md2Header) == sizeof values);
    std::memcpy(&model.header, values, sizeof values);

    if (!HeaderFits(model.header, in.size) || !ReadModelBlocks(in, model)) {
        EmptyModel(model, skinWidth, skinHeight);
        return false;
    }
    return true;
}

int32_t LoadShipSkin(ShipModel& model, const char* path) {
    model.header.skinWidth = ShipSkinSize;
    model.header.skinHeight = ShipSkinSize;
    if (model.skin.empty())
        model.skin.assign(static_cast<size_t>(ShipSkinSize) * ShipSkinSize, 0);
    return LoadTgaPicture(path, ShipSkinSize, ShipSkinSize, model.skin.data());
}

void ReleaseShipModel(ShipModel& model) {
    model.skin = {};
    EmptyModel(model, 0, 0);
}

void DestroyShipModel(ShipModel*& model) {
    if (!model)
        return;
    ReleaseShipModel(*model);
    delete model;
    model = nullptr;
}
