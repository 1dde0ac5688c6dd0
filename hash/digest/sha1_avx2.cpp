// SHA-1 for processors with AVX2 but without SHA instructions: the schedules of two blocks are
// computed at once, one in each 128-bit half of the AVX2 registers, step constants added, while
// the scalar steps of the two blocks before them run.
#include "hash/digest/sha1_compression.h"
#include "hash/digest/sha1_steps.h"

#include <immintrin.h>

#include <utility>

namespace corvane {

namespace {

// Compiled for AVX2 (and BMI's non-destructive rotations) whatever the build's target: the caller
// checks the processor. Only unaligned vector stores: the Windows x64 stack is aligned to 16
// bytes only.
#define CORVANE_AVX2_TARGET __attribute__((target("avx2,bmi,bmi2")))

using namespace sha1_steps;
constexpr auto kGroups = std::make_integer_sequence<int, 20>{};
constexpr auto kPairGroups = std::make_integer_sequence<int, 40>{};

template <int N> CORVANE_AVX2_TARGET CORVANE_ALWAYS_INLINE __m256i Rotl8(__m256i x) {
  return _mm256_or_si256(_mm256_slli_epi32(x, N), _mm256_srli_epi32(x, 32 - N));
}

// Words 4I..4I+3 of both schedules into w[I % 8] (block a in the low half, block b in the high
// half; the shifts and alignments below work within each half), and with their step constant
// into wk as groups of four words, a's before b's.
template <int I>
CORVANE_AVX2_TARGET CORVANE_ALWAYS_INLINE void ScheduleGroup(__m256i (&w)[8], const uint8_t* a,
                                                             const uint8_t* b, uint32_t* wk) {
  __m256i x;
  if constexpr (I < 4) {
    const __m256i bigEndian = _mm256_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3,
                                              12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
    const __m256i both = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 16 * I))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 16 * I)), 1);
    x = _mm256_shuffle_epi8(both, bigEndian);
  } else if constexpr (I < 8) {
    // W[t] = rotl1(W[t-3] ^ W[t-8] ^ W[t-14] ^ W[t-16]). The last word of the group needs the
    // first (t-3), so the group is computed with a zero there and that word mended afterwards.
    const __m256i s =
        _mm256_xor_si256(_mm256_xor_si256(w[I - 4], _mm256_alignr_epi8(w[I - 3], w[I - 4], 8)),
                         _mm256_xor_si256(w[(I - 2) % 8], _mm256_srli_si256(w[(I - 1) % 8], 4)));
    x = _mm256_xor_si256(Rotl8<1>(s), Rotl8<2>(_mm256_slli_si256(s, 12)));
  } else {
    // From t = 32 on, the recurrence applied twice: W[t] = rotl2(W[t-6] ^ W[t-16] ^ W[t-28] ^
    // W[t-32]), with no word of its own group among the terms; w[I % 8] still holds W[t-32].
    x = Rotl8<2>(_mm256_xor_si256(
        _mm256_xor_si256(_mm256_alignr_epi8(w[(I - 1) % 8], w[(I - 2) % 8], 8), w[(I - 4) % 8]),
        _mm256_xor_si256(w[(I - 7) % 8], w[I % 8])));
  }
  w[I % 8] = x;
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(wk + 8 * I),
                      _mm256_add_epi32(x, _mm256_set1_epi32(static_cast<int>(GroupConstant(I)))));
}

template <int... G>
CORVANE_AVX2_TARGET CORVANE_ALWAYS_INLINE void SchedulePair(__m256i (&w)[8], const uint8_t* a,
                                                            const uint8_t* b, uint32_t* wk,
                                                            std::integer_sequence<int, G...>) {
  (ScheduleGroup<G>(w, a, b, wk), ...);
}

// Group J of the 40 groups of four steps of a pair (block a's, then b's), and every other group
// one group of the next pair's schedule.
template <bool ScheduleNext, int J>
CORVANE_AVX2_TARGET CORVANE_ALWAYS_INLINE void
PairGroup(uint32_t (&h)[5], uint32_t (&v)[5], const uint32_t* wk, __m256i (&w)[8],
          const uint8_t* nextA, const uint8_t* nextB, uint32_t* nextWk) {
  if constexpr (J < 20) {
    FourSteps<J, 8>(v, wk);
  } else {
    FourSteps<J - 20, 8>(v, wk + 4);
  }
  if constexpr (J == 19 || J == 39) {
    AddInto(h, v);
  }
  if constexpr (ScheduleNext && J % 2 == 0) {
    ScheduleGroup<J / 2>(w, nextA, nextB, nextWk);
  }
}

template <bool ScheduleNext, int... J>
CORVANE_AVX2_TARGET CORVANE_ALWAYS_INLINE void
PairSteps(uint32_t (&h)[5], uint32_t (&v)[5], const uint32_t* wk, __m256i (&w)[8],
          const uint8_t* nextA, const uint8_t* nextB, uint32_t* nextWk,
          std::integer_sequence<int, J...>) {
  (PairGroup<ScheduleNext, J>(h, v, wk, w, nextA, nextB, nextWk), ...);
}

template <int... G>
CORVANE_ALWAYS_INLINE void SingleSteps(uint32_t (&v)[5], const uint32_t* wk,
                                       std::integer_sequence<int, G...>) {
  (FourSteps<G, 8>(v, wk), ...);
}

} // namespace

CORVANE_AVX2_TARGET void Sha1CompressAvx2(uint32_t state[5], const uint8_t* blocks, size_t count) {
  if (count == 0) {
    return;
  }
  uint32_t wk[2][160];
  __m256i w[8];
  // A last block without a partner is scheduled in both halves: nothing past the blocks is read.
  SchedulePair(w, blocks, count > 1 ? blocks + 64 : blocks, wk[0], kGroups);
  uint32_t h[5] = {state[0], state[1], state[2], state[3], state[4]};
  uint32_t v[5] = {h[0], h[1], h[2], h[3], h[4]};
  for (size_t pair = 0;; ++pair) {
    const size_t left = count - 2 * pair;
    const uint32_t* current = wk[pair % 2];
    if (left == 1) {
      SingleSteps(v, current, kGroups);
      AddInto(h, v);
      break;
    }
    if (left == 2) {
      PairSteps<false>(h, v, current, w, nullptr, nullptr, nullptr, kPairGroups);
      break;
    }
    const uint8_t* next = blocks + 128 * (pair + 1);
    PairSteps<true>(h, v, current, w, next, left > 3 ? next + 64 : next, wk[(pair + 1) % 2],
                    kPairGroups);
  }
  for (int i = 0; i < 5; ++i) {
    state[i] = h[i];
  }
}

} // namespace corvane
