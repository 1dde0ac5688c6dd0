#pragma once
// The 80 SHA-1 steps as straight scalar code over a schedule computed ahead, whose words already
// hold the step constant (W[t] + K[t]). Shared by the compressions that build the schedule with
// vector instructions; plain C++, so it inlines into code of any instruction-set target.

#include <cstdint>

namespace corvane {

#define CORVANE_ALWAYS_INLINE inline __attribute__((always_inline))

namespace sha1_steps {

constexpr uint32_t Rotl(uint32_t x, int n) {
  return (x << n) | (x >> (32 - n));
}

// Step T. The five words are renamed instead of moved: the slot of e receives the new a, and b is
// rotated in place to become the next c. The schedule holds groups of four words, Stride words
// apart (4 for one block, 8 when two blocks' groups are interleaved).
template <int T, int Stride> CORVANE_ALWAYS_INLINE void Step(uint32_t (&v)[5], const uint32_t* wk) {
  constexpr int kA = (5 - T % 5) % 5;
  const uint32_t a = v[kA];
  uint32_t& b = v[(kA + 1) % 5];
  const uint32_t c = v[(kA + 2) % 5];
  const uint32_t d = v[(kA + 3) % 5];
  uint32_t& e = v[(kA + 4) % 5];
  uint32_t f;
  if constexpr (T < 20) {
    f = d ^ (b & (c ^ d));
  } else if constexpr (T >= 40 && T < 60) {
    f = (b & c) + (d & (b ^ c)); // majority: the two terms never share a bit
  } else {
    f = b ^ c ^ d;
  }
  // a, from the step just before, enters last: it is the only operand on the critical path.
  e += wk[(T / 4) * Stride + T % 4];
  e += f;
  e += Rotl(a, 5);
  b = Rotl(b, 30);
}

template <int G, int Stride>
CORVANE_ALWAYS_INLINE void FourSteps(uint32_t (&v)[5], const uint32_t* wk) {
  Step<4 * G, Stride>(v, wk);
  Step<4 * G + 1, Stride>(v, wk);
  Step<4 * G + 2, Stride>(v, wk);
  Step<4 * G + 3, Stride>(v, wk);
}

// After 80 steps the renaming has come full circle: v holds a..e in order again.
CORVANE_ALWAYS_INLINE void AddInto(uint32_t (&h)[5], uint32_t (&v)[5]) {
  for (int i = 0; i < 5; ++i) {
    h[i] += v[i];
    v[i] = h[i];
  }
}

// The step constant of the group of four steps G.
constexpr uint32_t GroupConstant(int g) {
  return g < 5 ? 0x5a827999u : g < 10 ? 0x6ed9eba1u : g < 15 ? 0x8f1bbcdcu : 0xca62c1d6u;
}

} // namespace sha1_steps

} // namespace corvane
