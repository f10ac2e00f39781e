// One corner (six packed floats: position, normal) moved between memory and
// registers: SSE position and normal, or the low six lanes of an AVX
// register. It is stored as four floats and two:
// a masked store (vmaskmovps) would do it in one instruction, but takes many
// times longer on some processors (AMD's among them), where it made the
// AVX2 loops slower than the SSE2 ones.
#pragma once

#if defined(__x86_64__)
#include <immintrin.h>

namespace skinning {

// Lanes 6 and 7 are zero. A masked load is one fast instruction on every
// processor with AVX2 (only masked stores are slow on some).
__attribute__((target("avx2"), always_inline)) inline __m256 LoadCorner(const float* corner) {
    return _mm256_maskload_ps(corner, _mm256_setr_epi32(-1, -1, -1, -1, -1, -1, 0, 0));
}

// Writes position [x y z] and normal [x y z] (lanes 0-2 of each) as six
// floats, and nothing after them: [px py pz nx] as four, then [ny nz].
inline void StoreCornerSse(float* corner, __m128 position, __m128 normal) {
    const __m128 zzxx = _mm_shuffle_ps(position, normal, _MM_SHUFFLE(0, 0, 2, 2));
    _mm_storeu_ps(corner, _mm_shuffle_ps(position, zzxx, _MM_SHUFFLE(2, 0, 1, 0)));
    _mm_storel_pi(reinterpret_cast<__m64*>(corner + 4),
                  _mm_shuffle_ps(normal, normal, _MM_SHUFFLE(0, 0, 2, 1)));
}

// Writes lanes 0-5 and nothing after them.
__attribute__((target("avx2"), always_inline)) inline void StoreCorner(float* corner,
                                                                       __m256 lanes) {
    _mm_storeu_ps(corner, _mm256_castps256_ps128(lanes));
    _mm_storel_pi(reinterpret_cast<__m64*>(corner + 4), _mm256_extractf128_ps(lanes, 1));
}

}  // namespace skinning

#endif  // __x86_64__
