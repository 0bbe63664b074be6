// Table lookups for the vector terrain code: eight entries fetched by eight single loads.
#pragma once

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TARNVELL_VECTOR_TERRAIN 1
#include <immintrin.h>

#include <cstdint>

// On the processors we measured, eight single loads collected in general registers beat an
// AVX2 gather several times over. Every index must lie inside the table.

// The four 32-bit indices of each half, as two pairs a half.
struct IndexPairs {
    uint64_t pair[4];
};
__attribute__((target("avx2"))) inline IndexPairs SplitIndices(__m256i index) {
    const __m128i low = _mm256_castsi256_si128(index);
    const __m128i high = _mm256_extracti128_si256(index, 1);
    return {{static_cast<uint64_t>(_mm_cvtsi128_si64(low)),
             static_cast<uint64_t>(_mm_extract_epi64(low, 1)),
             static_cast<uint64_t>(_mm_cvtsi128_si64(high)),
             static_cast<uint64_t>(_mm_extract_epi64(high, 1))}};
}

// table[index] for eight byte entries, widened to 32-bit lanes.
__attribute__((target("avx2"))) inline __m256i LookUpBytes(const uint8_t* table, __m256i index) {
    const IndexPairs at = SplitIndices(index);
    auto entry = [table](uint64_t position) { return uint64_t{table[position]}; };
    const uint64_t bytes =
        entry(static_cast<uint32_t>(at.pair[0])) | entry(at.pair[0] >> 32) << 8 |
        entry(static_cast<uint32_t>(at.pair[1])) << 16 | entry(at.pair[1] >> 32) << 24 |
        entry(static_cast<uint32_t>(at.pair[2])) << 32 | entry(at.pair[2] >> 32) << 40 |
        entry(static_cast<uint32_t>(at.pair[3])) << 48 | entry(at.pair[3] >> 32) << 56;
    return _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(static_cast<int64_t>(bytes)));
}

// table[index] for eight 16-bit entries, widened to 32-bit lanes.
__attribute__((target("avx2"))) inline __m256i LookUpWords(const uint16_t* table, __m256i index) {
    const IndexPairs at = SplitIndices(index);
    auto entry = [table](uint64_t position) { return uint64_t{table[position]}; };
    const uint64_t low = entry(static_cast<uint32_t>(at.pair[0])) | entry(at.pair[0] >> 32) << 16 |
                         entry(static_cast<uint32_t>(at.pair[1])) << 32 |
                         entry(at.pair[1] >> 32) << 48;
    const uint64_t high = entry(static_cast<uint32_t>(at.pair[2])) | entry(at.pair[2] >> 32) << 16 |
                          entry(static_cast<uint32_t>(at.pair[3])) << 32 |
                          entry(at.pair[3] >> 32) << 48;
    return _mm256_cvtepu16_epi32(
        _mm_set_epi64x(static_cast<int64_t>(high), static_cast<int64_t>(low)));
}

// Whether this processor runs the vector code, asked once.
inline bool ProcessorHasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

#endif
