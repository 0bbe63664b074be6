// The MD2 ship model reader, its checks and the skin loader.
#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <tuple>
#include <vector>

#include "assets/ship_model.h"
#include "run_program.h"
#include "test_folder.h"

namespace {

// A hand-made MD2 file: 17 header values, then texture coordinates, triangles and frames.
struct Md2Builder {
    int32_t header[17] = {};
    std::vector<uint8_t> body;

    // Header word indices.
    enum { NumVertices = 6, NumSt, NumTris, NumFrames = 10, OfsSt = 12, OfsTris, OfsFrames };

    void U8(uint8_t v) { body.push_back(v); }
    void U16(uint16_t v) { U8(static_cast<uint8_t>(v)), U8(static_cast<uint8_t>(v >> 8)); }
    void U32(uint32_t v) { U16(static_cast<uint16_t>(v)), U16(static_cast<uint16_t>(v >> 16)); }
    void Float(float f) { U32(std::bit_cast<uint32_t>(f)); }
    int32_t Offset() const { return 68 + static_cast<int32_t>(body.size()); }

    // Three vertices, three texture coordinates, one triangle, `frames` frames.
    static Md2Builder Triangle(int32_t frames = 1) {
        Md2Builder m;
        // Magic, version, the skin size (the skin load overrides it), the frame size.
        m.header[0] = 0x32504449, m.header[1] = 8, m.header[2] = m.header[3] = 64;
        m.header[4] = 40 + 4 * 3;
        m.header[NumVertices] = m.header[NumSt] = 3, m.header[NumTris] = 1;
        m.header[NumFrames] = frames;
        m.header[OfsSt] = m.Offset();
        for (int16_t s : {10, -3, 127})
            m.U16(static_cast<uint16_t>(s)), m.U16(static_cast<uint16_t>(s + 1));
        m.header[OfsTris] = m.Offset();
        for (uint16_t v : {0, 1, 2, 2, 1, 0})
            m.U16(v);
        m.header[OfsFrames] = m.Offset();
        for (int32_t f = 0; f < frames; ++f) {
            for (float v : {0.5f, 1.0f, 2.0f, -10.0f, 20.0f, -30.5f})
                m.Float(v);
            const char name[16] = "frame";
            for (char c : name)
                m.U8(static_cast<uint8_t>(c));
            for (int32_t i = 0; i < 3; ++i)
                m.U8(static_cast<uint8_t>(10 * i)), m.U8(static_cast<uint8_t>(10 * i + 1)),
                    m.U8(static_cast<uint8_t>(10 * i + 2)), m.U8(static_cast<uint8_t>(i));
        }
        m.header[16] = m.Offset(); // ofs_end
        return m;
    }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        for (int32_t v : header) {
            for (int32_t k = 0; k < 4; ++k)
                out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k)));
        }
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }
};

std::string WriteTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = (TestRoot() / ("md2_" + name)).string();
    WriteFileBytes(path, bytes);
    return path;
}

bool Empty(const ShipModel& model) {
    const Md2Header& h = model.header;
    return h.numVertices == 0 && h.numSt == 0 && h.numTris == 0 && h.numFrames == 0 &&
           model.texCoords.empty() && model.triangles.empty() && model.frameVertices.empty();
}

} // namespace

TEST(ShipModelReader, ReadsASmallHandMadeModel) {
    ShipModel* model = CreateShipModel();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(std::tuple(Empty(*model), model->skin.size()), std::tuple(true, 0u));

    // One frame of three vertices: 40 + 12 bytes at ofs_frames, and the file ends there.
    const std::vector<uint8_t> bytes = Md2Builder::Triangle().Bytes();
    ASSERT_TRUE(ReadShipModel(*model, WriteTemp("small.md2", bytes).c_str()));
    const Md2Header& h = model->header;
    EXPECT_EQ(std::make_tuple(h.ident, h.skinWidth, h.numVertices, h.ofsEnd),
              std::make_tuple(0x32504449, 64, 3, static_cast<int32_t>(bytes.size())));
    // Every array read has one entry more than its count.
    ASSERT_EQ(std::tuple(model->texCoords.size(), model->triangles.size(),
                         model->frameHeaders.size(), model->frameVertices.at(0).size()),
              std::tuple(4u, 2u, 1u, 4u));
    const Md2TexCoord* st = model->texCoords.data();
    EXPECT_EQ(std::make_tuple(st[1].s, st[1].t, st[2].s), std::make_tuple(-3, -2, 127));
    const Md2Triangle& t = model->triangles[0];
    EXPECT_EQ(std::make_tuple(t.vertex[0], t.vertex[2], t.texCoord[0]), std::make_tuple(0, 2, 2));
    const Md2FrameHeader& f = model->frameHeaders[0];
    EXPECT_EQ(std::make_tuple(f.scale[1], f.translate[2]), std::make_tuple(1.0f, -30.5f));
    EXPECT_STREQ(f.name, "frame");
    const Md2Vertex& v = model->frameVertices[0][2];
    EXPECT_EQ(std::make_tuple(v.v[0], v.v[2], v.normalIndex), std::make_tuple(20, 22, 2));

    // The skin is 128 x 128 whatever the file says, allocated even when the picture is
    // missing (then black).
    EXPECT_EQ(LoadShipSkin(*model, "/nonexistent/plane1.tga"), 0);
    EXPECT_EQ(std::tuple(model->header.skinWidth, model->header.skinHeight), std::tuple(128, 128));
    ASSERT_EQ(model->skin, std::vector<uint16_t>(128 * 128, 0));

    // A picture in the game's layout is converted into it.
    std::vector<uint8_t> tga = GameTgaBytes(128, 128);
    tga[18 + 3 * 5] = tga[18 + 3 * 5 + 1] = 0, tga[18 + 3 * 5 + 2] = 0xFF; // entry 5: pure red
    tga[786 + 127 * 128] = 5; // the last file row is the top row
    EXPECT_EQ(LoadShipSkin(*model, WriteTemp("skin.tga", tga).c_str()), 1);
    EXPECT_EQ(model->skin[0], 0xF800);

    ReleaseShipModel(*model);
    EXPECT_EQ(std::tuple(Empty(*model), model->skin.size()), std::tuple(true, 0u));
    DestroyShipModel(model);
    EXPECT_EQ(model, nullptr);
}

TEST(ShipModelReader, RefusesModelsThatBreakTheRecordOrTheFile) {
    using B = Md2Builder;
    struct Case {
        const char* what;
        void (*spoil)(Md2Builder&);
    };
    const Case cases[] = {
        {"negative vertex count", [](B& m) { m.header[B::NumVertices] = -1; }},
        {"501 vertices", [](B& m) { m.header[B::NumVertices] = 501; }},
        {"negative frame count", [](B& m) { m.header[B::NumFrames] = -1; }},
        {"256 frames", [](B& m) { m.header[B::NumFrames] = 256; }},
        {"negative texture-coordinate count", [](B& m) { m.header[B::NumSt] = -2; }},
        {"negative triangle count", [](B& m) { m.header[B::NumTris] = -1; }},
        {"texture coordinates past the end", [](B& m) { m.header[B::OfsSt] = m.Offset() - 8; }},
        {"negative offset", [](B& m) { m.header[B::OfsSt] = -4; }},
        {"triangles past the end", [](B& m) { m.header[B::NumTris] = 100; }},
        {"frames past the end", [](B& m) { m.header[B::NumFrames] = 2; }},
        {"frame one byte short", [](B& m) { m.body.pop_back(); }},
        {"vertex index out of range", [](B& m) { m.body[m.header[B::OfsTris] - 68 + 2] = 3; }},
        {"texture index out of range", [](B& m) { m.body[m.header[B::OfsTris] - 68 + 6] = 3; }},
    };
    for (const Case& c : cases) {
        Md2Builder m = Md2Builder::Triangle();
        c.spoil(m);
        ShipModel model{};
        // A refused file also empties a record that held a good model.
        ASSERT_TRUE(
            ReadShipModel(model, WriteTemp("good.md2", Md2Builder::Triangle().Bytes()).c_str()));
        EXPECT_FALSE(ReadShipModel(model, WriteTemp("bad.md2", m.Bytes()).c_str())) << c.what;
        EXPECT_TRUE(Empty(model)) << c.what;
    }

    ShipModel model{};
    std::vector<uint8_t> shortHeader = Md2Builder::Triangle().Bytes();
    shortHeader.resize(60);
    for (const std::string& path :
         {std::string("/nonexistent/plane1.md2"), WriteTemp("short.md2", shortHeader)}) {
        EXPECT_FALSE(ReadShipModel(model, path.c_str())) << path;
        EXPECT_TRUE(Empty(model));
    }

    // Zero counts read nothing, wherever their offsets point.
    Md2Builder none = Md2Builder::Triangle();
    none.header[B::NumTris] = 0, none.header[B::OfsTris] = -1000;
    EXPECT_TRUE(ReadShipModel(model, WriteTemp("none.md2", none.Bytes()).c_str()));
    EXPECT_EQ(model.triangles.size(), 1u);
}

TEST(ShipModelReader, AcceptsTheLimits) {
    // 500 vertices in each of 255 frames.
    Md2Builder m;
    m.header[Md2Builder::NumVertices] = 500, m.header[Md2Builder::NumFrames] = 255;
    m.header[Md2Builder::OfsFrames] = m.Offset();
    m.body.resize(255 * (40 + 4 * 500), 1);
    ShipModel model{};
    ASSERT_TRUE(ReadShipModel(model, WriteTemp("limits.md2", m.Bytes()).c_str()));
    ASSERT_EQ(model.frameVertices.size(), 255u);
    ASSERT_EQ(model.frameVertices[254].size(), 501u);
    EXPECT_EQ(model.frameVertices[254][499].v[1], 1);
}
