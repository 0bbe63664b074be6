// Eight 32-bit lanes in the compiler's own vector types, for the vector terrain code: one
// source that compiles to SSE2, AVX2, NEON and WebAssembly SIMD.
#pragma once
#include <cstdint>
#include <cstring>

// Every helper here is forced inline, so the same body takes the instructions of whichever
// function it lands in: a plain one gets the build's baseline vectors (SSE2 on x86-64, NEON
// on aarch64, SIMD128 in the browser with -msimd128), one marked LANES_AVX2 gets AVX2. No
// vector crosses a real call, and helpers take them by reference, so 32-byte vectors never
// meet the calling convention, which differs with and without AVX; the compilers' notes
// about that convention are silenced for the files that use the lanes.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wpsabi"
#elif defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif
#define LANES_INLINE [[gnu::always_inline]] inline

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define LANES_HAVE_AVX2 1
#define LANES_AVX2 __attribute__((target("avx2")))
#endif

typedef int32_t Lanes __attribute__((vector_size(32)));   // NOLINT(modernize-use-using)
typedef uint32_t ULanes __attribute__((vector_size(32))); // NOLINT(modernize-use-using)
typedef uint64_t LanePairs __attribute__((vector_size(32))); // NOLINT(modernize-use-using)
typedef uint8_t LaneBytes __attribute__((vector_size(8)));   // NOLINT(modernize-use-using)
typedef uint16_t LaneWords __attribute__((vector_size(16))); // NOLINT(modernize-use-using)

constexpr int32_t LaneCount = 8;

// Whether this build's baseline has real vector registers for the lanes; without them (a
// browser build without -msimd128) the compiler splits the lanes into scalars.
#if defined(__SSE2__) || defined(__ARM_NEON) || defined(__wasm_simd128__)
constexpr bool LanesAreNative = true;
#else
constexpr bool LanesAreNative = false;
#endif

LANES_INLINE Lanes Splat(int32_t value) {
    return Lanes{} + value;
}

// 0, 1, ... 7: each lane's own number.
LANES_INLINE Lanes LaneNumbers() {
    return Lanes{0, 1, 2, 3, 4, 5, 6, 7};
}

// a where the mask lane is all bits, b where it is 0.
LANES_INLINE Lanes Select(const Lanes& mask, const Lanes& a, const Lanes& b) {
    return (a & mask) | (b & ~mask);
}

// Masks, as comparisons of lanes give them (all bits or 0 a lane).
LANES_INLINE bool AnySet(const Lanes& mask) {
    const LanePairs pairs = __builtin_bit_cast(LanePairs, mask);
    return ((pairs[0] | pairs[1]) | (pairs[2] | pairs[3])) != 0;
}
LANES_INLINE bool AllSet(const Lanes& mask) {
    const LanePairs pairs = __builtin_bit_cast(LanePairs, mask);
    return ((pairs[0] & pairs[1]) & (pairs[2] & pairs[3])) == ~uint64_t{0};
}

LANES_INLINE Lanes LoadLanes(const void* from) {
    Lanes v;
    std::memcpy(&v, from, sizeof v);
    return v;
}
LANES_INLINE void StoreLanes(void* to, const Lanes& v) {
    std::memcpy(to, &v, sizeof v);
}

// Lane j of part P repeats lane (8P + j) / R of v: eight lanes spread across R times as many
// places, as when each lane stands for a strip R columns wide.
template <int32_t P, int32_t R> LANES_INLINE Lanes Spread(const Lanes& v) {
    static_assert(P >= 0 && P < R && (R == 1 || R == 2 || R == 4 || R == 8));
    return __builtin_shufflevector(v, v, (P * 8) / R, (P * 8 + 1) / R, (P * 8 + 2) / R,
                                   (P * 8 + 3) / R, (P * 8 + 4) / R, (P * 8 + 5) / R,
                                   (P * 8 + 6) / R, (P * 8 + 7) / R);
}

// Table lookups, eight entries by eight single loads: on the processors we measured they
// beat the gather instructions several times over. The indices travel in pairs through
// general registers. Every index must lie inside the table.
LANES_INLINE Lanes LookUpBytes(const uint8_t* table, const Lanes& index) {
    const LanePairs at = __builtin_bit_cast(LanePairs, index);
    uint64_t bytes = 0;
    for (int32_t p = 0; p < 4; ++p) {
        bytes |= (uint64_t{table[static_cast<uint32_t>(at[p])]} |
                  uint64_t{table[at[p] >> 32]} << 8)
                 << (16 * p);
    }
    return __builtin_convertvector(__builtin_bit_cast(LaneBytes, bytes), Lanes);
}

LANES_INLINE Lanes LookUpWords(const uint16_t* table, const Lanes& index) {
    const LanePairs at = __builtin_bit_cast(LanePairs, index);
    uint64_t half[2] = {0, 0};
    for (int32_t p = 0; p < 4; ++p) {
        half[p / 2] |= (uint64_t{table[static_cast<uint32_t>(at[p])]} |
                        uint64_t{table[at[p] >> 32]} << 16)
                       << (32 * (p % 2));
    }
    LaneWords words;
    std::memcpy(&words, half, sizeof words);
    return __builtin_convertvector(words, Lanes);
}

// table[index] = value, lane by lane, in lane order (a later lane wins a shared index).
LANES_INLINE void ScatterLanes(uint32_t* table, const Lanes& index, const Lanes& value) {
    const LanePairs at = __builtin_bit_cast(LanePairs, index);
    const LanePairs what = __builtin_bit_cast(LanePairs, value);
    for (int32_t p = 0; p < 4; ++p) {
        table[static_cast<uint32_t>(at[p])] = static_cast<uint32_t>(what[p]);
        table[at[p] >> 32] = static_cast<uint32_t>(what[p] >> 32);
    }
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
