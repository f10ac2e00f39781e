// One corner (six packed floats: position, normal) moved between memory and
// the low six lanes of an AVX register with plain loads and stores: four
// floats and two. Masked moves (vmaskmovps) would do it in one instruction,
// but their stores take many times longer on some processors (AMD's among
// them), where they made the AVX2 loops slower than the SSE2 ones.
#pragma once

#if defined(__x86_64__)
#include <immintrin.h>

namespace skinning {

// Lanes 6 and 7 are zero.
__attribute__((target("avx2"), always_inline)) inline __m256 LoadCorner(const float* corner) {
    const __m128 low = _mm_loadu_ps(corner);
    const __m128 high = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(corner + 4)));
    return _mm256_insertf128_ps(_mm256_castps128_ps256(low), high, 1);
}

// Writes lanes 0-5 and nothing after them.
__attribute__((target("avx2"), always_inline)) inline void StoreCorner(float* corner, __m256 lanes) {
    _mm_storeu_ps(corner, _mm256_castps256_ps128(lanes));
    _mm_storel_pi(reinterpret_cast<__m64*>(corner + 4), _mm256_extractf128_ps(lanes, 1));
}

}  // namespace skinning

#endif  // __x86_64__
