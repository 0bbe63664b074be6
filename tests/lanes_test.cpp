// The vector terrain code's lane helpers, which every processor builds differently, and the
// choice of caster.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "render/lanes.h"
#include "render/terrain_view.h"

namespace {

std::array<int32_t, LaneCount> Unpack(const Lanes& v) {
    std::array<int32_t, LaneCount> out{};
    StoreLanes(out.data(), v);
    return out;
}

template <int32_t P, int32_t R> void ExpectSpread(const Lanes& v) {
    const std::array<int32_t, LaneCount> in = Unpack(v);
    const std::array<int32_t, LaneCount> out = Unpack(Spread<P, R>(v));
    for (int32_t j = 0; j < LaneCount; ++j)
        EXPECT_EQ(out[j], in[(P * 8 + j) / R]) << "part " << P << " of " << R << " lane " << j;
}

} // namespace

TEST(Lanes, LookUpsScatterSpreadAndMasksKeepTheLaneOrder) {
    // Tables as large as the map, every entry telling its index apart.
    std::vector<uint8_t> bytes(512 * 512);
    std::vector<uint16_t> words(512 * 512);
    for (uint32_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
        words[i] = static_cast<uint16_t>(i * 40503u + (i >> 16));
    }
    const std::array<Lanes, 3> indices = {Lanes{0, 1, 2, 3, 4, 5, 6, 7},
                                          Lanes{262143, 0, 131072, 511, 512, 65535, 65536, 9},
                                          Lanes{5, 5, 262000, 5, 77777, 1, 200000, 262143}};
    for (const Lanes& index : indices) {
        const std::array<int32_t, LaneCount> at = Unpack(index);
        const std::array<int32_t, LaneCount> gotBytes = Unpack(LookUpBytes(bytes.data(), index));
        const std::array<int32_t, LaneCount> gotWords = Unpack(LookUpWords(words.data(), index));
        for (int32_t j = 0; j < LaneCount; ++j) {
            EXPECT_EQ(gotBytes[j], bytes[at[j]]) << "lane " << j;
            EXPECT_EQ(gotWords[j], words[at[j]]) << "lane " << j;
        }
    }

    // Scatter: each lane to its own place, a later lane winning a shared one.
    std::array<uint32_t, 16> table{};
    ScatterLanes(table.data(), Lanes{3, 15, 0, 3, 8, 9, 10, 0},
                 Lanes{-1, 2, 3, 4, 0x40000001, 6, 7, 8});
    const std::array<uint32_t, 16> scattered = {8, 0, 0, 4, 0, 0, 0, 0,
                                                0x40000001, 6, 7, 0, 0, 0, 0, 2};
    EXPECT_EQ(table, scattered);

    const Lanes v = {10, -11, 12, 13, 0x7FFFFFFF, 15, -16, 17};
    ExpectSpread<0, 1>(v);
    ExpectSpread<0, 2>(v);
    ExpectSpread<1, 2>(v);
    ExpectSpread<0, 4>(v);
    ExpectSpread<3, 4>(v);
    ExpectSpread<2, 8>(v);
    ExpectSpread<7, 8>(v);

    // Masks with one lane set, one lane clear, all and none.
    for (int32_t j = 0; j < LaneCount; ++j) {
        const Lanes one = LaneNumbers() == j;
        EXPECT_TRUE(AnySet(one)) << j;
        EXPECT_FALSE(AllSet(one)) << j;
        EXPECT_TRUE(AnySet(~one)) << j;
        EXPECT_FALSE(AllSet(~one)) << j;
        EXPECT_EQ(Unpack(Select(one, Splat(5), v))[j], 5);
        EXPECT_EQ(Unpack(Select(one, Splat(5), v))[(j + 1) % 8], Unpack(v)[(j + 1) % 8]);
    }
    EXPECT_TRUE(AllSet(Splat(-1)));
    EXPECT_FALSE(AnySet(Lanes{}));
}

TEST(Lanes, TheCasterInUseIsOneThisProcessorRuns) {
    struct Case {
        CasterChoice choice;
        CasterChoice expected;
    };
    const bool avx2 = ProcessorHasAvx2();
    const CasterChoice vectors = LanesAreNative ? CasterChoice::Vector : CasterChoice::Scalar;
    const Case cases[] = {
        {CasterChoice::Scalar, CasterChoice::Scalar},
        {CasterChoice::Vector, CasterChoice::Vector},
        // Pinning AVX2 on a processor without it must not reach AVX2 instructions.
        {CasterChoice::Avx2, avx2 ? CasterChoice::Avx2 : CasterChoice::Vector},
        {CasterChoice::Fastest, avx2 ? CasterChoice::Avx2 : vectors},
    };
    for (const Case& c : cases) {
        ChooseTerrainCaster(c.choice);
        EXPECT_EQ(TerrainCasterInUse(), c.expected) << int(c.choice);
    }
    ChooseTerrainCaster(CasterChoice::Fastest);
    EXPECT_NE(TerrainCasterInUse(), CasterChoice::Fastest);
}
