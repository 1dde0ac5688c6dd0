#include "hash/digest/sha1_compression.h"

#include <immintrin.h>

#include <utility>

namespace corvane {

namespace {

// Compiled for the SHA instructions whatever the build's target: the caller checks the processor.
#define CORVANE_SHA_TARGET __attribute__((target("sha,ssse3,sse4.1")))

struct ShaNiState {
  __m128i abcd, e0, e1, msg[4];
};

// One group of four steps (G = 0..19); the message words of later groups are expanded alongside
// while the rounds run.
template <int G> CORVANE_SHA_TARGET inline void Group(ShaNiState& s) {
  constexpr int cur = G % 4;
  __m128i& e = (G % 2 == 0) ? s.e0 : s.e1;
  __m128i& other = (G % 2 == 0) ? s.e1 : s.e0;
  if constexpr (G == 0)
    e = _mm_add_epi32(e, s.msg[0]);
  else
    e = _mm_sha1nexte_epu32(e, s.msg[cur]);
  other = s.abcd;
  if constexpr (G >= 3 && G <= 18)
    s.msg[(cur + 1) % 4] = _mm_sha1msg2_epu32(s.msg[(cur + 1) % 4], s.msg[cur]);
  s.abcd = _mm_sha1rnds4_epu32(s.abcd, e, G / 5);
  if constexpr (G >= 1 && G <= 16)
    s.msg[(cur + 3) % 4] = _mm_sha1msg1_epu32(s.msg[(cur + 3) % 4], s.msg[cur]);
  if constexpr (G >= 2 && G <= 17)
    s.msg[(cur + 2) % 4] = _mm_xor_si128(s.msg[(cur + 2) % 4], s.msg[cur]);
}

template <int... G>
CORVANE_SHA_TARGET inline void AllGroups(ShaNiState& s, std::integer_sequence<int, G...>) {
  (Group<G>(s), ...);
}

} // namespace

CORVANE_SHA_TARGET void Sha1CompressShaNi(uint32_t state[5], const uint8_t* blocks, size_t count) {
  const __m128i byteSwap = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
  ShaNiState s;
  s.abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1b);
  s.e0 = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
  for (; count > 0; --count, blocks += 64) {
    const __m128i abcdSaved = s.abcd;
    const __m128i eSaved = s.e0;
    for (int i = 0; i < 4; ++i)
      s.msg[i] = _mm_shuffle_epi8(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * i)), byteSwap);
    AllGroups(s, std::make_integer_sequence<int, 20>{});
    s.e0 = _mm_sha1nexte_epu32(s.e0, eSaved);
    s.abcd = _mm_add_epi32(s.abcd, abcdSaved);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(s.abcd, 0x1b));
  state[4] = static_cast<uint32_t>(_mm_extract_epi32(s.e0, 3));
}

} // namespace corvane
