// Eight 32-bit lanes over the compiler's own vector types, for the vector terrain code: one
// source that compiles to SSE2, AVX2, NEON and WebAssembly SIMD.
#pragma once
#include <cstdint>
#include <cstring>

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
typedef uint8_t Bytes4 __attribute__((vector_size(4)));   // NOLINT(modernize-use-using)
typedef uint8_t Bytes8 __attribute__((vector_size(8)));   // NOLINT(modernize-use-using)
typedef uint16_t Words4 __attribute__((vector_size(8)));  // NOLINT(modernize-use-using)
typedef uint16_t Words8 __attribute__((vector_size(16))); // NOLINT(modernize-use-using)

template <class V> struct VectorShape;
template <> struct VectorShape<Vec4> {
    using Unsigned = UVec4;
    using Pairs = Pairs2;
    using Bytes = Bytes4;
    using Words = Words4;
};
template <> struct VectorShape<Vec8> {
    using Unsigned = UVec8;
    using Pairs = Pairs4;
    using Bytes = Bytes8;
    using Words = Words8;
};

// Eight 32-bit lanes in one or two vectors; lane j lies in part j / (8 / Parts).
template <class V> struct Lanes {
    using Vector = V;
    static constexpr int32_t Parts = 32 / static_cast<int32_t>(sizeof(V));
    static constexpr int32_t PerPart = LaneCount / Parts;
    V part[Parts];
};
using HalvedLanes = Lanes<Vec4>; // SSE2, NEON, SIMD128
using WideLanes = Lanes<Vec8>;   // AVX2

// Lane-by-lane arithmetic, 32-bit wrap-around; comparisons give masks (all bits or 0 a lane).
#define LANES_OPERATOR(op)                                                                         \
    template <class V> LANES_INLINE Lanes<V> operator op(const Lanes<V>& a, const Lanes<V>& b) {   \
        Lanes<V> r;                                                                                \
        for (int32_t i = 0; i < Lanes<V>::Parts; ++i)                                              \
            r.part[i] = a.part[i] op b.part[i];                                                    \
        return r;                                                                                  \
    }
LANES_OPERATOR(+)
LANES_OPERATOR(-)
LANES_OPERATOR(&)
LANES_OPERATOR(|)
LANES_OPERATOR(^)
LANES_OPERATOR(==)
LANES_OPERATOR(!=)
LANES_OPERATOR(>)
LANES_OPERATOR(<)
#undef LANES_OPERATOR

template <class V> LANES_INLINE Lanes<V> operator~(const Lanes<V>& a) {
    Lanes<V> r;
    for (int32_t i = 0; i < Lanes<V>::Parts; ++i)
        r.part[i] = ~a.part[i];
    return r;
}

template <class L> LANES_INLINE L Splat(int32_t value) {
    L r;
    for (auto& p : r.part)
        p = typename L::Vector{} + value;
    return r;
}

// 0, 1, ... 7: each lane's own number.
template <class L> LANES_INLINE L LaneNumbers() {
    const int32_t numbers[LaneCount] = {0, 1, 2, 3, 4, 5, 6, 7};
    L r;
    std::memcpy(&r, numbers, sizeof r);
    return r;
}

template <class V> LANES_INLINE Lanes<V> ShiftLeft(const Lanes<V>& a, int32_t bits) {
    Lanes<V> r;
    for (int32_t i = 0; i < Lanes<V>::Parts; ++i) {
        using U = typename VectorShape<V>::Unsigned;
        r.part[i] = __builtin_bit_cast(V, __builtin_bit_cast(U, a.part[i]) << bits);
    }
    return r;
}
template <class V> LANES_INLINE Lanes<V> ShiftRightLogical(const Lanes<V>& a, int32_t bits) {
    Lanes<V> r;
    for (int32_t i = 0; i < Lanes<V>::Parts; ++i) {
        using U = typename VectorShape<V>::Unsigned;
        r.part[i] = __builtin_bit_cast(V, __builtin_bit_cast(U, a.part[i]) >> bits);
    }
    return r;
}
template <class V> LANES_INLINE Lanes<V> ShiftRightArithmetic(const Lanes<V>& a, int32_t bits) {
    Lanes<V> r;
    for (int32_t i = 0; i < Lanes<V>::Parts; ++i)
        r.part[i] = a.part[i] >> bits;
    return r;
}

// a * factor, the low 32 bits of each lane's product.
template <class V> LANES_INLINE Lanes<V> MultiplyLow(const Lanes<V>& a, uint32_t factor) {
    Lanes<V> r;
    for (int32_t i = 0; i < Lanes<V>::Parts; ++i) {
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
template <class L> LANES_INLINE L Select(const L& mask, const L& a, const L& b) {
    return (a & mask) | (b & ~mask);
}

LANES_INLINE uint64_t PairOf(const Lanes<Vec4>& a, int32_t p) {
    return __builtin_bit_cast(Pairs2, a.part[p / 2])[p % 2];
}
LANES_INLINE uint64_t PairOf(const Lanes<Vec8>& a, int32_t p) {
    return __builtin_bit_cast(Pairs4, a.part[0])[p];
}

template <class V> LANES_INLINE bool AnySet(const Lanes<V>& mask) {
    V either = mask.part[0];
    for (int32_t i = 1; i < Lanes<V>::Parts; ++i)
        either |= mask.part[i];
    const auto pairs = __builtin_bit_cast(typename VectorShape<V>::Pairs, either);
    uint64_t any = 0;
    for (int32_t k = 0; k < static_cast<int32_t>(sizeof(V) / 8); ++k)
        any |= pairs[k];
    return any != 0;
}
template <class V> LANES_INLINE bool AllSet(const Lanes<V>& mask) {
    V both = mask.part[0];
    for (int32_t i = 1; i < Lanes<V>::Parts; ++i)
        both &= mask.part[i];
    const auto pairs = __builtin_bit_cast(typename VectorShape<V>::Pairs, both);
    uint64_t all = ~uint64_t{0};
    for (int32_t k = 0; k < static_cast<int32_t>(sizeof(V) / 8); ++k)
        all &= pairs[k];
    return all == ~uint64_t{0};
}

template <class L> LANES_INLINE L LoadLanes(const void* from) {
    L v;
    std::memcpy(&v, from, sizeof v);
    return v;
}
template <class L> LANES_INLINE void StoreLanes(void* to, const L& v) {
    std::memcpy(to, &v, sizeof v);
}

// Lane j of part P repeats lane (8P + j) / R of v: eight lanes spread across R times as many
// places, as when each lane stands for a strip R columns wide.
template <int32_t P, int32_t R, class V> LANES_INLINE Lanes<V> Spread(const Lanes<V>& v) {
    static_assert(P >= 0 && P < R && (R == 1 || R == 2 || R == 4 || R == 8));
    constexpr int32_t F = P * 8; // the first of the eight places
    if constexpr (Lanes<V>::Parts == 1) {
        return {{__builtin_shufflevector(v.part[0], v.part[0], F / R, (F + 1) / R, (F + 2) / R,
                                         (F + 3) / R, (F + 4) / R, (F + 5) / R, (F + 6) / R,
                                         (F + 7) / R)}};
    } else {
        return {{__builtin_shufflevector(v.part[0], v.part[1], F / R, (F + 1) / R, (F + 2) / R,
                                         (F + 3) / R),
                 __builtin_shufflevector(v.part[0], v.part[1], (F + 4) / R, (F + 5) / R,
                                         (F + 6) / R, (F + 7) / R)}};
    }
}

// Table lookups, eight entries by eight single loads: on the processors we measured they
// beat the gather instructions several times over. The indices travel in pairs through
// general registers; the entries come back packed in one or two words, which widen into the
// lanes in a step or two. Every index must lie inside the table.
template <class T> LANES_INLINE uint64_t LookUpPair(const T* table, uint64_t at) {
    return uint64_t{table[static_cast<uint32_t>(at)]} | uint64_t{table[at >> 32]}
                                                            << (8 * sizeof(T));
}

template <class V> LANES_INLINE Lanes<V> LookUpBytes(const uint8_t* table, const Lanes<V>& index) {
    const uint64_t bytes =
        LookUpPair(table, PairOf(index, 0)) | LookUpPair(table, PairOf(index, 1)) << 16 |
        LookUpPair(table, PairOf(index, 2)) << 32 | LookUpPair(table, PairOf(index, 3)) << 48;
    Lanes<V> r;
    if constexpr (Lanes<V>::Parts == 1) {
        r.part[0] = __builtin_convertvector(__builtin_bit_cast(Bytes8, bytes), V);
    } else {
        r.part[0] =
            __builtin_convertvector(__builtin_bit_cast(Bytes4, static_cast<uint32_t>(bytes)), V);
        r.part[1] = __builtin_convertvector(
            __builtin_bit_cast(Bytes4, static_cast<uint32_t>(bytes >> 32)), V);
    }
    return r;
}

template <class V> LANES_INLINE Lanes<V> LookUpWords(const uint16_t* table, const Lanes<V>& index) {
    const uint64_t low = LookUpPair(table, PairOf(index, 0)) | LookUpPair(table, PairOf(index, 1))
                                                                   << 32;
    const uint64_t high = LookUpPair(table, PairOf(index, 2)) | LookUpPair(table, PairOf(index, 3))
                                                                    << 32;
    Lanes<V> r;
    if constexpr (Lanes<V>::Parts == 1) {
        r.part[0] = __builtin_convertvector(__builtin_bit_cast(Words8, (Pairs2{low, high})), V);
    } else {
        r.part[0] = __builtin_convertvector(__builtin_bit_cast(Words4, low), V);
        r.part[1] = __builtin_convertvector(__builtin_bit_cast(Words4, high), V);
    }
    return r;
}

// table[index] = value, lane by lane, in lane order (a later lane wins a shared index).
LANES_INLINE void ScatterPair(uint32_t* table, uint64_t at, uint64_t what) {
    table[static_cast<uint32_t>(at)] = static_cast<uint32_t>(what);
    table[at >> 32] = static_cast<uint32_t>(what >> 32);
}
template <class V>
LANES_INLINE void ScatterLanes(uint32_t* table, const Lanes<V>& index, const Lanes<V>& value) {
    ScatterPair(table, PairOf(index, 0), PairOf(value, 0));
    ScatterPair(table, PairOf(index, 1), PairOf(value, 1));
    ScatterPair(table, PairOf(index, 2), PairOf(value, 2));
    ScatterPair(table, PairOf(index, 3), PairOf(value, 3));
}

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
