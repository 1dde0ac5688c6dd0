// SHA-1 for processors without SHA instructions: the message schedule, step constants added, is
// computed four words at a time in SSSE3 registers, and the steps run as straight scalar code. The
// schedule of the next block is computed between the steps of the current one, so that the vector
// units work while the scalar chain of the steps waits on itself.
#include "hash/digest/sha1_compression.h"
#include "hash/digest/sha1_steps.h"

#include <immintrin.h>

#include <utility>

namespace corvane {

namespace {

// Compiled for SSSE3 whatever the build's target: the caller checks the processor.
#define CORVANE_SSSE3_TARGET __attribute__((target("ssse3")))

using namespace sha1_steps;
constexpr auto kGroups = std::make_integer_sequence<int, 20>{};

template <int N> CORVANE_SSSE3_TARGET CORVANE_ALWAYS_INLINE __m128i Rotl4(__m128i x) {
  return _mm_or_si128(_mm_slli_epi32(x, N), _mm_srli_epi32(x, 32 - N));
}

// Words 4I..4I+3 of the schedule into w[I % 8] (the last eight groups), and with their step
// constant into wk.
template <int I>
CORVANE_SSSE3_TARGET CORVANE_ALWAYS_INLINE void ScheduleGroup(__m128i (&w)[8], const uint8_t* block,
                                                              uint32_t* wk) {
  __m128i x;
  if constexpr (I < 4) {
    const __m128i bigEndian = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
    x = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * I)),
                         bigEndian);
  } else if constexpr (I < 8) {
    // W[t] = rotl1(W[t-3] ^ W[t-8] ^ W[t-14] ^ W[t-16]). The last word of the group needs the
    // first (t-3), so the group is computed with a zero there and that word mended afterwards.
    const __m128i s =
        _mm_xor_si128(_mm_xor_si128(w[I - 4], _mm_alignr_epi8(w[I - 3], w[I - 4], 8)),
                      _mm_xor_si128(w[(I - 2) % 8], _mm_srli_si128(w[(I - 1) % 8], 4)));
    x = _mm_xor_si128(Rotl4<1>(s), Rotl4<2>(_mm_slli_si128(s, 12)));
  } else {
    // From t = 32 on, the recurrence applied twice: W[t] = rotl2(W[t-6] ^ W[t-16] ^ W[t-28] ^
    // W[t-32]), with no word of its own group among the terms; w[I % 8] still holds W[t-32].
    x = Rotl4<2>(_mm_xor_si128(
        _mm_xor_si128(_mm_alignr_epi8(w[(I - 1) % 8], w[(I - 2) % 8], 8), w[(I - 4) % 8]),
        _mm_xor_si128(w[(I - 7) % 8], w[I % 8])));
  }
  w[I % 8] = x;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(wk + 4 * I),
                   _mm_add_epi32(x, _mm_set1_epi32(static_cast<int>(GroupConstant(I)))));
}

template <int... G>
CORVANE_SSSE3_TARGET CORVANE_ALWAYS_INLINE void ScheduleBlock(__m128i (&w)[8], const uint8_t* block,
                                                              uint32_t* wk,
                                                              std::integer_sequence<int, G...>) {
  (ScheduleGroup<G>(w, block, wk), ...);
}

template <int... G>
CORVANE_ALWAYS_INLINE void Steps(uint32_t (&v)[5], const uint32_t* wk,
                                 std::integer_sequence<int, G...>) {
  (FourSteps<G, 4>(v, wk), ...);
}

template <int... G>
CORVANE_SSSE3_TARGET CORVANE_ALWAYS_INLINE void
StepsWhileScheduling(uint32_t (&v)[5], const uint32_t* wk, __m128i (&w)[8], const uint8_t* next,
                     uint32_t* nextWk, std::integer_sequence<int, G...>) {
  ((FourSteps<G, 4>(v, wk), ScheduleGroup<G>(w, next, nextWk)), ...);
}

} // namespace

CORVANE_SSSE3_TARGET void Sha1CompressSsse3(uint32_t state[5], const uint8_t* blocks,
                                            size_t count) {
  if (count == 0) {
    return;
  }
  uint32_t wk[2][80];
  __m128i w[8];
  ScheduleBlock(w, blocks, wk[0], kGroups);
  uint32_t h[5] = {state[0], state[1], state[2], state[3], state[4]};
  uint32_t v[5] = {h[0], h[1], h[2], h[3], h[4]};
  for (size_t k = 0; k < count; ++k) {
    if (k + 1 < count) {
      StepsWhileScheduling(v, wk[k % 2], w, blocks + 64 * (k + 1), wk[(k + 1) % 2], kGroups);
    } else {
      Steps(v, wk[k % 2], kGroups);
    }
    AddInto(h, v);
  }
  for (int i = 0; i < 5; ++i) {
    state[i] = h[i];
  }
}

} // namespace corvane
