// Eight (or four) 32-bit lanes over the compiler's own vector types, for the vector terrain
// code: one source that compiles to SSE2, AVX2, NEON and WebAssembly SIMD.
#pragma once
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#elif defined(__ARM_NEON)
#include <arm_neon.h>
#endif

// The helpers are compiled for the instructions of the file that includes them: the vector
// terrain code is built once in the build's baseline vectors (SSE2 on x86-64, NEON on
// aarch64, SIMD128 in the browser with -msimd128) and once more with -mavx2. They live in an
// anonymous namespace, so each file keeps its own copies and the linker never swaps an AVX2
// copy into code that runs without it; they are forced inline and take vectors by reference,
// so no vector meets the calling convention, which differs with and without AVX (the
// compilers' notes about it are silenced for the files that use the lanes).
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wpsabi"
#elif defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif
#define LANES_INLINE [[gnu::always_inline]] inline

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define LANES_HAVE_AVX2 1
#endif

namespace {

constexpr int32_t LaneCount = 8;

// Whether this build's baseline has real vector registers for the lanes; without them (a
// browser build without -msimd128) the compiler splits the lanes into scalars.
#if defined(__SSE2__) || defined(__ARM_NEON) || defined(__wasm_simd128__)
constexpr bool LanesAreNative = true;
#else
constexpr bool LanesAreNative = false;
#endif

// The two vector shapes the eight lanes come in: one 32-byte vector for AVX2, two 16-byte
// halves for everything else. GCC splits a 32-byte vector on a processor without AVX badly
// (comparisons become scalar code), so the baseline code holds the halves itself.
typedef int32_t Vec4 __attribute__((vector_size(16)));    // NOLINT(modernize-use-using)
typedef int32_t Vec8 __attribute__((vector_size(32)));    // NOLINT(modernize-use-using)
typedef uint32_t UVec4 __attribute__((vector_size(16)));  // NOLINT(modernize-use-using)
typedef uint32_t UVec8 __attribute__((vector_size(32)));  // NOLINT(modernize-use-using)
typedef uint64_t Pairs2 __attribute__((vector_size(16))); // NOLINT(modernize-use-using)
typedef uint64_t Pairs4 __attribute__((vector_size(32))); // NOLINT(modernize-use-using)

template <class V> struct VectorShape;
template <> struct VectorShape<Vec4> {
    using Unsigned = UVec4;
    using Pairs = Pairs2;
};
template <> struct VectorShape<Vec8> {
    using Unsigned = UVec8;
    using Pairs = Pairs4;
};

// N 32-bit lanes (eight, or four for a batch's last few strips) in one or two vectors; lane
// j lies in part j / PerPart.
template <class V, int32_t N = LaneCount> struct Lanes {
    using Vector = V;
    static constexpr int32_t Count = N;
    static constexpr int32_t PerPart = static_cast<int32_t>(sizeof(V)) / 4;
    static constexpr int32_t Parts = N / PerPart;
    static_assert(Parts >= 1 && Parts * PerPart == N);
    V part[Parts];
};
using HalvedLanes = Lanes<Vec4>;  // SSE2, NEON, SIMD128
using WideLanes = Lanes<Vec8>;    // AVX2
using FourLanes = Lanes<Vec4, 4>; // four strips, in every build

// Whether the vector is AVX2's 32-byte one, where a few helpers use its own instructions.
template <class V> constexpr bool IsWide = sizeof(V) == 32;

// Lane-by-lane arithmetic, 32-bit wrap-around; comparisons give masks (all bits or 0 a lane).
#define LANES_OPERATOR(op)                                                                         \
    template <class V, int32_t N>                                                                  \
    LANES_INLINE Lanes<V, N> operator op(const Lanes<V, N>& a, const Lanes<V, N>& b) {             \
        Lanes<V, N> r;                                                                             \
        for (int32_t i = 0; i < Lanes<V, N>::Parts; ++i)                                           \
            r.part[i] = a.part[i] op b.part[i];                                                    \
        return r;                                                                                  \
    }
LANES_OPERATOR(&)
LANES_OPERATOR(|)
LANES_OPERATOR(^)
LANES_OPERATOR(==)
LANES_OPERATOR(!=)
LANES_OPERATOR(>)
LANES_OPERATOR(<)
#undef LANES_OPERATOR

// Sums and differences wrap around in 32 bits, as the sky's positions rely on: worked out
// unsigned, where wrapping is defined.
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> operator+(const Lanes<V, N>& a, const Lanes<V, N>& b) {
    using U = typename VectorShape<V>::Unsigned;
    Lanes<V, N> r;
    for (int32_t i = 0; i < Lanes<V, N>::Parts; ++i)
        r.part[i] = __builtin_bit_cast(V, __builtin_bit_cast(U, a.part[i]) +
                                              __builtin_bit_cast(U, b.part[i]));
    return r;
}
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> operator-(const Lanes<V, N>& a, const Lanes<V, N>& b) {
    using U = typename VectorShape<V>::Unsigned;
    Lanes<V, N> r;
    for (int32_t i = 0; i < Lanes<V, N>::Parts; ++i)
        r.part[i] = __builtin_bit_cast(V, __builtin_bit_cast(U, a.part[i]) -
                                              __builtin_bit_cast(U, b.part[i]));
    return r;
}

template <class V, int32_t N> LANES_INLINE Lanes<V, N> operator~(const Lanes<V, N>& a) {
    Lanes<V, N> r;
    for (int32_t i = 0; i < Lanes<V, N>::Parts; ++i)
        r.part[i] = ~a.part[i];
    return r;
}

template <class L> LANES_INLINE L Splat(int32_t value) {
    L r;
    for (auto& p : r.part)
        p = typename L::Vector{} + value;
    return r;
}

template <class V, int32_t N>
LANES_INLINE Lanes<V, N> ShiftLeft(const Lanes<V, N>& a, int32_t bits) {
    Lanes<V, N> r;
    for (int32_t i = 0; i < Lanes<V, N>::Parts; ++i) {
        using U = typename VectorShape<V>::Unsigned;
        r.part[i] = __builtin_bit_cast(V, __builtin_bit_cast(U, a.part[i]) << bits);
    }
    return r;
}
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> ShiftRightLogical(const Lanes<V, N>& a, int32_t bits) {
    Lanes<V, N> r;
    for (int32_t i = 0; i < Lanes<V, N>::Parts; ++i) {
        using U = typename VectorShape<V>::Unsigned;
        r.part[i] = __builtin_bit_cast(V, __builtin_bit_cast(U, a.part[i]) >> bits);
    }
    return r;
}
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> ShiftRightArithmetic(const Lanes<V, N>& a, int32_t bits) {
    Lanes<V, N> r;
    for (int32_t i = 0; i < Lanes<V, N>::Parts; ++i)
        r.part[i] = a.part[i] >> bits;
    return r;
}

// a * factor, the low 32 bits of each lane's product.
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> MultiplyLow(const Lanes<V, N>& a, uint32_t factor) {
    Lanes<V, N> r;
    for (int32_t i = 0; i < Lanes<V, N>::Parts; ++i) {
        using U = typename VectorShape<V>::Unsigned;
        r.part[i] = __builtin_bit_cast(V, __builtin_bit_cast(U, a.part[i]) * factor);
    }
    return r;
}

// Lanes above `limit` taken as unsigned (negative lanes count as huge): the sign flipped on
// both sides turns it into a signed comparison, which every processor has.
template <class L> LANES_INLINE L AboveUnsigned(const L& a, uint32_t limit) {
    const L sign = Splat<L>(INT32_MIN);
    return (a ^ sign) > Splat<L>(static_cast<int32_t>(limit ^ 0x80000000u));
}

// a where the mask lane is all bits, b where it is 0.
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> Select(const Lanes<V, N>& mask, const Lanes<V, N>& a,
                                const Lanes<V, N>& b) {
#if defined(__AVX2__)
    if constexpr (IsWide<V>)
        return {
            {__builtin_bit_cast(V, _mm256_blendv_epi8(__builtin_bit_cast(__m256i, b.part[0]),
                                                      __builtin_bit_cast(__m256i, a.part[0]),
                                                      __builtin_bit_cast(__m256i, mask.part[0])))}};
#endif
    return (a & mask) | (b & ~mask);
}

// The smaller and the larger of each pair of lanes, signed; one instruction where the
// processor has it.
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> Smallest(const Lanes<V, N>& a, const Lanes<V, N>& b) {
#if defined(__AVX2__)
    if constexpr (IsWide<V>)
        return {{__builtin_bit_cast(V, _mm256_min_epi32(__builtin_bit_cast(__m256i, a.part[0]),
                                                        __builtin_bit_cast(__m256i, b.part[0])))}};
#endif
    return Select(a < b, a, b);
}
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> Largest(const Lanes<V, N>& a, const Lanes<V, N>& b) {
#if defined(__AVX2__)
    if constexpr (IsWide<V>)
        return {{__builtin_bit_cast(V, _mm256_max_epi32(__builtin_bit_cast(__m256i, a.part[0]),
                                                        __builtin_bit_cast(__m256i, b.part[0])))}};
#endif
    return Select(a > b, a, b);
}

// Each lane, or 0 where it is negative.
template <class V, int32_t N> LANES_INLINE Lanes<V, N> AtLeastZero(const Lanes<V, N>& a) {
#if defined(__AVX2__)
    if constexpr (IsWide<V>)
        return {{__builtin_bit_cast(
            V, _mm256_max_epi32(__builtin_bit_cast(__m256i, a.part[0]), _mm256_setzero_si256()))}};
#endif
    return a & ~ShiftRightArithmetic(a, 31);
}

// Lanes where a or b, taken as unsigned, lies above `limit`.
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> EitherAboveUnsigned(const Lanes<V, N>& a, const Lanes<V, N>& b,
                                             uint32_t limit) {
#if defined(__AVX2__)
    if constexpr (IsWide<V>) {
        const __m256i bound = _mm256_set1_epi32(static_cast<int32_t>(limit));
        const __m256i larger = _mm256_max_epu32(__builtin_bit_cast(__m256i, a.part[0]),
                                                __builtin_bit_cast(__m256i, b.part[0]));
        const __m256i inside = _mm256_cmpeq_epi32(_mm256_max_epu32(larger, bound), bound);
        return {{__builtin_bit_cast(V, _mm256_xor_si256(inside, _mm256_set1_epi32(-1)))}};
    }
#endif
    return AboveUnsigned(a, limit) | AboveUnsigned(b, limit);
}

// Lanes 2p and 2p + 1 as one 64-bit word.
template <int32_t N> LANES_INLINE uint64_t PairOf(const Lanes<Vec4, N>& a, int32_t p) {
    return __builtin_bit_cast(Pairs2, a.part[p / 2])[p % 2];
}
LANES_INLINE uint64_t PairOf(const Lanes<Vec8>& a, int32_t p) {
    return __builtin_bit_cast(Pairs4, a.part[0])[p];
}

// Masks, with every lane all bits or 0: whether any lane or every lane is set.
template <class V, int32_t N> LANES_INLINE bool AnySet(const Lanes<V, N>& mask) {
    if constexpr (Lanes<V, N>::Parts == 2) {
        const Pairs2 pairs = __builtin_bit_cast(Pairs2, mask.part[0] | mask.part[1]);
        return (pairs[0] | pairs[1]) != 0;
    } else if constexpr (!IsWide<V>) {
        const Pairs2 pairs = __builtin_bit_cast(Pairs2, mask.part[0]);
        return (pairs[0] | pairs[1]) != 0;
    } else {
        const Pairs4 pairs = __builtin_bit_cast(Pairs4, mask.part[0]);
        return ((pairs[0] | pairs[1]) | (pairs[2] | pairs[3])) != 0;
    }
}
template <class V, int32_t N> LANES_INLINE bool AllSet(const Lanes<V, N>& mask) {
    if constexpr (Lanes<V, N>::Parts == 2) {
        const Pairs2 pairs = __builtin_bit_cast(Pairs2, mask.part[0] & mask.part[1]);
        return (pairs[0] & pairs[1]) == ~uint64_t{0};
    } else if constexpr (!IsWide<V>) {
        const Pairs2 pairs = __builtin_bit_cast(Pairs2, mask.part[0]);
        return (pairs[0] & pairs[1]) == ~uint64_t{0};
    } else {
        const Pairs4 pairs = __builtin_bit_cast(Pairs4, mask.part[0]);
        return ((pairs[0] & pairs[1]) & (pairs[2] & pairs[3])) == ~uint64_t{0};
    }
}

// Unaligned loads and stores, a vector at a time (copying the record whole makes GCC take the
// vectors apart through general registers).
template <class L> LANES_INLINE L LoadLanes(const void* from) {
    L v;
    for (int32_t i = 0; i < L::Parts; ++i)
        std::memcpy(&v.part[i], static_cast<const char*>(from) + i * sizeof v.part[i],
                    sizeof v.part[i]);
    return v;
}
template <class L> LANES_INLINE void StoreLanes(void* to, const L& v) {
    for (int32_t i = 0; i < L::Parts; ++i)
        std::memcpy(static_cast<char*>(to) + i * sizeof v.part[i], &v.part[i], sizeof v.part[i]);
}

// 0, 1, ...: each lane's own number.
template <class L> LANES_INLINE L LaneNumbers() {
    static constexpr int32_t Numbers[LaneCount] = {0, 1, 2, 3, 4, 5, 6, 7};
    return LoadLanes<L>(Numbers);
}

// Lane j of part P repeats lane (NP + j) / R of v: N lanes spread across R times as many
// places, as when each lane stands for a strip R columns wide.
template <int32_t P, int32_t R, class V, int32_t N>
LANES_INLINE Lanes<V, N> Spread(const Lanes<V, N>& v) {
    static_assert(P >= 0 && P < R && (R == 1 || R == 2 || R == 4 || R == 8));
    constexpr int32_t F = P * N; // the first of the N places
    if constexpr (IsWide<V>) {
        return {{__builtin_shufflevector(v.part[0], v.part[0], F / R, (F + 1) / R, (F + 2) / R,
                                         (F + 3) / R, (F + 4) / R, (F + 5) / R, (F + 6) / R,
                                         (F + 7) / R)}};
    } else if constexpr (N == 4) {
        return {{__builtin_shufflevector(v.part[0], v.part[0], F / R, (F + 1) / R, (F + 2) / R,
                                         (F + 3) / R)}};
    } else {
        return {{__builtin_shufflevector(v.part[0], v.part[1], F / R, (F + 1) / R, (F + 2) / R,
                                         (F + 3) / R),
                 __builtin_shufflevector(v.part[0], v.part[1], (F + 4) / R, (F + 5) / R,
                                         (F + 6) / R, (F + 7) / R)}};
    }
}

// Table lookups, one entry a lane by single loads: on the processors we measured they
// beat the gather instructions several times over. The indices travel in pairs through
// general registers, and each pair of entries comes back as one 64-bit word holding two
// lanes. Every index must lie inside the table.
template <class T> LANES_INLINE uint64_t LookUpPair(const T* table, uint64_t at) {
    return uint64_t{table[static_cast<uint32_t>(at)]} | uint64_t{table[at >> 32]} << 32;
}

template <class T, class V, int32_t N>
LANES_INLINE Lanes<V, N> LookUp(const T* table, const Lanes<V, N>& index) {
    const uint64_t p0 = LookUpPair(table, PairOf(index, 0));
    const uint64_t p1 = LookUpPair(table, PairOf(index, 1));
    if constexpr (N == 4) {
        return {{__builtin_bit_cast(V, (Pairs2{p0, p1}))}};
    } else {
        const uint64_t p2 = LookUpPair(table, PairOf(index, 2));
        const uint64_t p3 = LookUpPair(table, PairOf(index, 3));
        if constexpr (IsWide<V>) {
            return {{__builtin_bit_cast(V, (Pairs4{p0, p1, p2, p3}))}};
        } else {
            return {
                {__builtin_bit_cast(V, (Pairs2{p0, p1})), __builtin_bit_cast(V, (Pairs2{p2, p3}))}};
        }
    }
}
LANES_INLINE uint64_t LookUpBytePair(const uint8_t* table, uint64_t at) {
    return uint64_t{table[static_cast<uint32_t>(at)]} | uint64_t{table[at >> 32]} << 8;
}

#if defined(__SSE2__)
// On x86 each 16-bit entry is loaded straight into its place in a vector (one instruction a
// lane), with the indices read back from memory, then widened to the lanes.
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> LookUpWordsInserting(const uint16_t* table, const Lanes<V, N>& index) {
    alignas(32) uint32_t at[LaneCount];
    for (int32_t i = 0; i < Lanes<V, N>::Parts; ++i)
        std::memcpy(at + i * Lanes<V, N>::PerPart, &index.part[i], sizeof(V));
    __m128i v = _mm_setzero_si128();
    v = _mm_insert_epi16(v, table[at[0]], 0);
    v = _mm_insert_epi16(v, table[at[1]], 1);
    v = _mm_insert_epi16(v, table[at[2]], 2);
    v = _mm_insert_epi16(v, table[at[3]], 3);
    const __m128i zero = _mm_setzero_si128();
    if constexpr (N == 4) {
        return {{__builtin_bit_cast(V, _mm_unpacklo_epi16(v, zero))}};
    } else {
        v = _mm_insert_epi16(v, table[at[4]], 4);
        v = _mm_insert_epi16(v, table[at[5]], 5);
        v = _mm_insert_epi16(v, table[at[6]], 6);
        v = _mm_insert_epi16(v, table[at[7]], 7);
#if defined(__AVX2__)
        if constexpr (IsWide<V>)
            return {{__builtin_bit_cast(V, _mm256_cvtepu16_epi32(v))}};
#endif
        const __m128i low = _mm_unpacklo_epi16(v, zero);
        const __m128i high = _mm_unpackhi_epi16(v, zero);
        if constexpr (!IsWide<V>) {
            return {{__builtin_bit_cast(V, low), __builtin_bit_cast(V, high)}};
        } else {
            struct Halves {
                __m128i low;
                __m128i high;
            };
            return {{__builtin_bit_cast(V, (Halves{low, high}))}};
        }
    }
}
#endif

// Byte entries are packed eight to a word in general registers first, which widens to the
// lanes in one or two instructions where the processor has them.
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> LookUpBytes(const uint8_t* table, const Lanes<V, N>& index) {
    uint64_t bytes =
        LookUpBytePair(table, PairOf(index, 0)) | LookUpBytePair(table, PairOf(index, 1)) << 16;
    if constexpr (N == 8) {
        bytes |= LookUpBytePair(table, PairOf(index, 2)) << 32 |
                 LookUpBytePair(table, PairOf(index, 3)) << 48;
    }
#if defined(__AVX2__)
    if constexpr (IsWide<V>) {
        return {{__builtin_bit_cast(
            V, _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(static_cast<int64_t>(bytes))))}};
    }
#endif
#if defined(__SSE2__)
    if constexpr (!IsWide<V>) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i words =
            _mm_unpacklo_epi8(_mm_cvtsi64_si128(static_cast<int64_t>(bytes)), zero);
        if constexpr (N == 4) {
            return {{__builtin_bit_cast(V, _mm_unpacklo_epi16(words, zero))}};
        } else {
            return {{__builtin_bit_cast(V, _mm_unpacklo_epi16(words, zero)),
                     __builtin_bit_cast(V, _mm_unpackhi_epi16(words, zero))}};
        }
    }
#elif defined(__ARM_NEON)
    if constexpr (!IsWide<V>) {
        const uint16x8_t words = vmovl_u8(vcreate_u8(bytes));
        if constexpr (N == 4) {
            return {{__builtin_bit_cast(V, vmovl_u16(vget_low_u16(words)))}};
        } else {
            return {{__builtin_bit_cast(V, vmovl_u16(vget_low_u16(words))),
                     __builtin_bit_cast(V, vmovl_u16(vget_high_u16(words)))}};
        }
    }
#endif
    Lanes<V, N> r;
    for (int32_t j = 0; j < N; ++j)
        r.part[j / Lanes<V, N>::PerPart][j % Lanes<V, N>::PerPart] =
            static_cast<int32_t>((bytes >> (8 * j)) & 255);
    return r;
}
template <class V, int32_t N>
LANES_INLINE Lanes<V, N> LookUpWords(const uint16_t* table, const Lanes<V, N>& index) {
#if defined(__SSE2__)
    return LookUpWordsInserting(table, index);
#else
    return LookUp(table, index);
#endif
}

// table[index] = value, lane by lane, in lane order (a later lane wins a shared index). The
// lanes go through memory, where single loads take them apart cheaper than extractions.
template <class V, int32_t N>
LANES_INLINE void ScatterLanes(uint32_t* table, const Lanes<V, N>& index,
                               const Lanes<V, N>& value) {
    alignas(32) uint32_t at[LaneCount];
    alignas(32) uint32_t what[LaneCount];
    for (int32_t i = 0; i < Lanes<V, N>::Parts; ++i) {
        std::memcpy(at + i * Lanes<V, N>::PerPart, &index.part[i], sizeof(V));
        std::memcpy(what + i * Lanes<V, N>::PerPart, &value.part[i], sizeof(V));
    }
    table[at[0]] = what[0];
    table[at[1]] = what[1];
    table[at[2]] = what[2];
    table[at[3]] = what[3];
    if constexpr (N == 8) {
        table[at[4]] = what[4];
        table[at[5]] = what[5];
        table[at[6]] = what[6];
        table[at[7]] = what[7];
    }
}

#if defined(__AVX2__)
// For each set of lanes (bit j for lane j), the order that packs the set lanes to the front:
// their numbers in lane order, four bits a place, and lane 0 for the places left over.
constexpr std::array<uint32_t, 256> MakePackingOrders() {
    std::array<uint32_t, 256> orders{};
    for (uint32_t set = 0; set < 256; ++set) {
        uint32_t order = 0;
        int32_t place = 0;
        for (uint32_t lane = 0; lane < 8; ++lane) {
            if ((set >> lane & 1) != 0)
                order |= lane << (4 * place++);
        }
        orders[set] = order;
    }
    return orders;
}
constexpr std::array<uint32_t, 256> PackingOrders = MakePackingOrders();

// Stores the lanes of `a` and `b` where `mask` is set, in lane order, packed at the front of
// `toA` and `toB`, and returns how many. Both must have room for eight lanes.
LANES_INLINE int32_t StorePacked(uint32_t* toA, uint32_t* toB, const Lanes<Vec8>& a,
                                 const Lanes<Vec8>& b, const Lanes<Vec8>& mask) {
    const uint32_t set = static_cast<uint32_t>(
        _mm256_movemask_ps(_mm256_castsi256_ps(__builtin_bit_cast(__m256i, mask.part[0]))));
    // Each lane's nibble moved to its own lane; the permutation reads the low three bits.
    const __m256i order =
        _mm256_srlv_epi32(_mm256_set1_epi32(static_cast<int32_t>(PackingOrders[set])),
                          _mm256_setr_epi32(0, 4, 8, 12, 16, 20, 24, 28));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(toA),
                        _mm256_permutevar8x32_epi32(__builtin_bit_cast(__m256i, a.part[0]), order));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(toB),
                        _mm256_permutevar8x32_epi32(__builtin_bit_cast(__m256i, b.part[0]), order));
    return __builtin_popcount(set);
}
#endif

#ifdef LANES_HAVE_AVX2
// Whether this processor runs AVX2, asked once.
inline bool ProcessorHasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#else
inline bool ProcessorHasAvx2() {
    return false;
}
#endif

} // namespace
