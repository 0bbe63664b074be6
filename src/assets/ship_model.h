// The ship model: the parts of an MD2 file the game draws from, and its 128 x 128 skin.
#pragma once
#include <cstdint>
#include <vector>

// Limits of the record: the drawer projects at most this many vertices, and the frame
// table has this many places.
constexpr int32_t ModelVertexLimit = 500;
constexpr int32_t ModelFrameLimit = 255;
constexpr int32_t ShipSkinSize = 128; // skin pixels a side

// The 17 little-endian 32-bit values at the start of an MD2 file, in file order.
struct Md2Header {
    int32_t ident;
    int32_t version;
    int32_t skinWidth;  // 128 once the skin is loaded, whatever the file says
    int32_t skinHeight; // 128 once the skin is loaded
    int32_t frameSize;  // not used: frames are read back to back
    int32_t numSkins;
    int32_t numVertices;
    int32_t numSt;
    int32_t numTris;
    int32_t numGlCmds;
    int32_t numFrames;
    int32_t ofsSkins;
    int32_t ofsSt; // byte offsets from the start of the file
    int32_t ofsTris;
    int32_t ofsFrames;
    int32_t ofsGlCmds;
    int32_t ofsEnd;
};

// A texture coordinate in skin pixels (0-127; others wrap when sampled).
struct Md2TexCoord {
    int16_t s;
    int16_t t;
};

struct Md2Triangle {
    uint16_t vertex[3];   // corner vertex indices, below numVertices
    uint16_t texCoord[3]; // corner texture-coordinate indices, below numSt
};

// A packed vertex: coordinate = byte * scale + translate.
struct Md2Vertex {
    uint8_t v[3];
    uint8_t normalIndex; // not used by the game
};

struct Md2FrameHeader {
    float scale[3];
    float translate[3];
    char name[16];
};

// The one ship model, created and read by the load step, read-only while drawing, released
// at quit. Empty vectors are absent arrays. A refused or missing file leaves every count
// zero, so the model draws nothing.
struct ShipModel {
    Md2Header header;
    std::vector<Md2TexCoord> texCoords;                // numSt + 1 entries
    std::vector<Md2Triangle> triangles;                // numTris + 1 entries
    std::vector<Md2FrameHeader> frameHeaders;          // numFrames entries
    std::vector<std::vector<Md2Vertex>> frameVertices; // numFrames arrays of numVertices + 1
    std::vector<uint16_t> skin;                        // 128 x 128 RGB565, top row first
};

// A new record: every count zero, every array and the skin absent. Null when out of memory.
ShipModel* CreateShipModel();

// Reads the header, texture coordinates, triangles and frames of the MD2 file at `path`
// (8-bit name). The file is checked first: non-negative counts, at most 500 vertices and 255
// frames, every block inside the file, every triangle's indices in range. A file that cannot
// be opened or fails a check leaves the record empty and gives false. Never reads or writes
// out of bounds, whatever the file holds.
bool ReadShipModel(ShipModel& model, const char* path);

// Sets the skin size to 128 x 128, allocates the skin (zero-filled, so a missing picture
// shows black) if the record has none, and loads the picture at `path` into it. Returns the
// picture loader's result: 1 read, 0 not.
int32_t LoadShipSkin(ShipModel& model, const char* path);

// Frees the skin, texture coordinates, triangles and every frame's vertices and zeroes the
// counts; the record stays usable (it draws nothing).
void ReleaseShipModel(ShipModel& model);

// Releases the record's arrays, then the record, and sets `model` to null.
void DestroyShipModel(ShipModel*& model);
