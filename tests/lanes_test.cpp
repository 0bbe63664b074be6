// The vector terrain code's lane helpers, which every processor builds differently, and the
// choice of caster.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "render/lanes.h"
#include "render/terrain_view.h"

namespace {

template <class L> std::array<int32_t, LaneCount> Unpack(const L& v) {
    std::array<int32_t, LaneCount> out{};
    StoreLanes(out.data(), v);
    return out;
}

template <class L> L Pack(const std::array<int32_t, LaneCount>& values) {
    return LoadLanes<L>(values.data());
}

template <int32_t P, int32_t R, class L> void ExpectSpread(const L& v) {
    const std::array<int32_t, LaneCount> in = Unpack(v);
    const std::array<int32_t, LaneCount> out = Unpack(Spread<P, R>(v));
    for (int32_t j = 0; j < L::Count; ++j)
        EXPECT_EQ(out[j], in[(P * L::Count + j) / R])
            << "part " << P << " of " << R << " lane " << j;
}

// Every helper of one lane shape against plain arithmetic on the same values; a shape of four
// lanes takes the first four of each set.
template <class L> void CheckLaneShape() {
    // Tables as large as the map, every entry telling its index apart.
    std::vector<uint8_t> bytes(512 * 512);
    std::vector<uint16_t> words(512 * 512);
    for (uint32_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
        words[i] = static_cast<uint16_t>(i * 40503u + (i >> 16));
    }
    const std::array<int32_t, LaneCount> indices[] = {
        {0, 1, 2, 3, 4, 5, 6, 7},
        {262143, 0, 131072, 511, 512, 65535, 65536, 9},
        {5, 5, 262000, 5, 77777, 1, 200000, 262143}};
    for (const std::array<int32_t, LaneCount>& at : indices) {
        std::array<int32_t, LaneCount> wantBytes{}, wantWords{};
        for (int32_t j = 0; j < L::Count; ++j)
            wantBytes[j] = bytes[at[j]], wantWords[j] = words[at[j]];
        EXPECT_EQ(Unpack(LookUpBytes(bytes.data(), Pack<L>(at))), wantBytes);
        EXPECT_EQ(Unpack(LookUpWords(words.data(), Pack<L>(at))), wantWords);
    }

    // Scatter: each lane to its own place, a later lane winning a shared one.
    std::array<uint32_t, 16> table{};
    ScatterLanes(table.data(), Pack<L>({3, 15, 0, 3, 8, 9, 10, 0}),
                 Pack<L>({-1, 2, 3, 4, 0x40000001, 6, 7, 8}));
    const std::array<uint32_t, 16> scattered = {8,          0, 0, 4, 0, 0, 0, 0,
                                                0x40000001, 6, 7, 0, 0, 0, 0, 2};
    const std::array<uint32_t, 16> scatteredByFour = {3, 0, 0, 4, 0, 0, 0, 0,
                                                      0, 0, 0, 0, 0, 0, 0, 2};
    EXPECT_EQ(table, L::Count == 4 ? scatteredByFour : scattered);

    const std::array<int32_t, LaneCount> values = {10, -11, 12, 13, 0x7FFFFFFF, 15, -16, 17};
    const L v = Pack<L>(values);
    ExpectSpread<0, 1>(v), ExpectSpread<0, 2>(v), ExpectSpread<1, 2>(v), ExpectSpread<0, 4>(v);
    ExpectSpread<3, 4>(v), ExpectSpread<2, 8>(v), ExpectSpread<7, 8>(v);

    // Shifts, the unsigned bound and the low product, lane by lane.
    const std::array<int32_t, LaneCount> logical = Unpack(ShiftRightLogical(v, 3));
    const std::array<int32_t, LaneCount> arithmetic = Unpack(ShiftRightArithmetic(v, 3));
    const std::array<int32_t, LaneCount> left = Unpack(ShiftLeft(v, 5));
    const std::array<int32_t, LaneCount> above = Unpack(AboveUnsigned(v, 13u));
    const std::array<int32_t, LaneCount> product = Unpack(MultiplyLow(v, 0x10001u));
    for (int32_t j = 0; j < L::Count; ++j) {
        const uint32_t u = static_cast<uint32_t>(values[j]);
        EXPECT_EQ(static_cast<uint32_t>(logical[j]), u >> 3) << j;
        EXPECT_EQ(arithmetic[j], values[j] >> 3) << j;
        EXPECT_EQ(static_cast<uint32_t>(left[j]), u << 5) << j;
        EXPECT_EQ(above[j], u > 13u ? -1 : 0) << j;
        EXPECT_EQ(static_cast<uint32_t>(product[j]), u * 0x10001u) << j;
    }

    // Masks with one lane set, one lane clear, all and none.
    for (int32_t j = 0; j < L::Count; ++j) {
        const L one = LaneNumbers<L>() == Splat<L>(j);
        EXPECT_EQ(std::tuple(AnySet(one), AllSet(one), AnySet(~one), AllSet(~one)),
                  std::tuple(true, false, true, false))
            << j;
        const std::array<int32_t, LaneCount> chosen = Unpack(Select(one, Splat<L>(5), v));
        for (int32_t k = 0; k < L::Count; ++k)
            EXPECT_EQ(chosen[k], k == j ? 5 : values[k]) << j << " " << k;
    }
    EXPECT_EQ(std::tuple(AllSet(Splat<L>(-1)), AnySet(Splat<L>(0))), std::tuple(true, false));
}

} // namespace

TEST(Lanes, EveryHelperKeepsTheLaneOrderInEveryShape) {
    CheckLaneShape<HalvedLanes>();
    CheckLaneShape<WideLanes>();
    CheckLaneShape<FourLanes>();
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
