#include "hash/digest/md5.h"

#include <cstddef>
#include <cstring>

namespace corvane {

namespace {

inline void StoreLe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

} // namespace

// Macros rather than functions so that the compression stays straight-line code with its
// constants and rotations as immediates, whatever the optimisation level.

// Little-endian message word; widening first keeps the top byte out of int's sign bit.
#define MD5_WORD(p)                                                                                \
  (static_cast<uint32_t>((p)[0]) | static_cast<uint32_t>((p)[1]) << 8 |                            \
   static_cast<uint32_t>((p)[2]) << 16 | static_cast<uint32_t>((p)[3]) << 24)
#define MD5_ROTL(x, s) (((x) << (s)) | ((x) >> (32 - (s))))
// Each step adds its message word and constant to a before b is known, and the auxiliary function
// is arranged so that as little as possible waits for b: the dependency chain through b is the
// engine's speed limit.
#define MD5_STEP_F(a, b, c, d, x, t, s)                                                            \
  (a) += (x) + (t);                                                                                \
  (a) += (d) ^ ((b) & ((c) ^ (d)));                                                                \
  (a) = MD5_ROTL((a), (s)) + (b)
#define MD5_STEP_G(a, b, c, d, x, t, s)                                                            \
  (a) += (x) + (t) + ((c) & ~(d));                                                                 \
  (a) += (b) & (d);                                                                                \
  (a) = MD5_ROTL((a), (s)) + (b)
#define MD5_STEP_H(a, b, c, d, x, t, s)                                                            \
  (a) += (x) + (t);                                                                                \
  (a) += (b) ^ ((c) ^ (d));                                                                        \
  (a) = MD5_ROTL((a), (s)) + (b)
#define MD5_STEP_I(a, b, c, d, x, t, s)                                                            \
  (a) += (x) + (t);                                                                                \
  (a) += (c) ^ ((b) | ~(d));                                                                       \
  (a) = MD5_ROTL((a), (s)) + (b)

namespace {

// The compression of RFC 1321 over count consecutive blocks; the chaining words stay in registers
// from block to block.
__attribute__((always_inline)) inline void Md5Compress(uint32_t state[4], const uint8_t* block,
                                                       size_t count) {
  uint32_t sa = state[0], sb = state[1], sc = state[2], sd = state[3];
  for (; count > 0; --count, block += 64) {
    const uint32_t x0 = MD5_WORD(block + 0), x1 = MD5_WORD(block + 4), x2 = MD5_WORD(block + 8),
                   x3 = MD5_WORD(block + 12), x4 = MD5_WORD(block + 16), x5 = MD5_WORD(block + 20),
                   x6 = MD5_WORD(block + 24), x7 = MD5_WORD(block + 28), x8 = MD5_WORD(block + 32),
                   x9 = MD5_WORD(block + 36), x10 = MD5_WORD(block + 40),
                   x11 = MD5_WORD(block + 44), x12 = MD5_WORD(block + 48),
                   x13 = MD5_WORD(block + 52), x14 = MD5_WORD(block + 56),
                   x15 = MD5_WORD(block + 60);
    uint32_t a = sa, b = sb, c = sc, d = sd;

    MD5_STEP_F(a, b, c, d, x0, 0xd76aa478u, 7);
    MD5_STEP_F(d, a, b, c, x1, 0xe8c7b756u, 12);
    MD5_STEP_F(c, d, a, b, x2, 0x242070dbu, 17);
    MD5_STEP_F(b, c, d, a, x3, 0xc1bdceeeu, 22);
    MD5_STEP_F(a, b, c, d, x4, 0xf57c0fafu, 7);
    MD5_STEP_F(d, a, b, c, x5, 0x4787c62au, 12);
    MD5_STEP_F(c, d, a, b, x6, 0xa8304613u, 17);
    MD5_STEP_F(b, c, d, a, x7, 0xfd469501u, 22);
    MD5_STEP_F(a, b, c, d, x8, 0x698098d8u, 7);
    MD5_STEP_F(d, a, b, c, x9, 0x8b44f7afu, 12);
    MD5_STEP_F(c, d, a, b, x10, 0xffff5bb1u, 17);
    MD5_STEP_F(b, c, d, a, x11, 0x895cd7beu, 22);
    MD5_STEP_F(a, b, c, d, x12, 0x6b901122u, 7);
    MD5_STEP_F(d, a, b, c, x13, 0xfd987193u, 12);
    MD5_STEP_F(c, d, a, b, x14, 0xa679438eu, 17);
    MD5_STEP_F(b, c, d, a, x15, 0x49b40821u, 22);

    MD5_STEP_G(a, b, c, d, x1, 0xf61e2562u, 5);
    MD5_STEP_G(d, a, b, c, x6, 0xc040b340u, 9);
    MD5_STEP_G(c, d, a, b, x11, 0x265e5a51u, 14);
    MD5_STEP_G(b, c, d, a, x0, 0xe9b6c7aau, 20);
    MD5_STEP_G(a, b, c, d, x5, 0xd62f105du, 5);
    MD5_STEP_G(d, a, b, c, x10, 0x02441453u, 9);
    MD5_STEP_G(c, d, a, b, x15, 0xd8a1e681u, 14);
    MD5_STEP_G(b, c, d, a, x4, 0xe7d3fbc8u, 20);
    MD5_STEP_G(a, b, c, d, x9, 0x21e1cde6u, 5);
    MD5_STEP_G(d, a, b, c, x14, 0xc33707d6u, 9);
    MD5_STEP_G(c, d, a, b, x3, 0xf4d50d87u, 14);
    MD5_STEP_G(b, c, d, a, x8, 0x455a14edu, 20);
    MD5_STEP_G(a, b, c, d, x13, 0xa9e3e905u, 5);
    MD5_STEP_G(d, a, b, c, x2, 0xfcefa3f8u, 9);
    MD5_STEP_G(c, d, a, b, x7, 0x676f02d9u, 14);
    MD5_STEP_G(b, c, d, a, x12, 0x8d2a4c8au, 20);

    MD5_STEP_H(a, b, c, d, x5, 0xfffa3942u, 4);
    MD5_STEP_H(d, a, b, c, x8, 0x8771f681u, 11);
    MD5_STEP_H(c, d, a, b, x11, 0x6d9d6122u, 16);
    MD5_STEP_H(b, c, d, a, x14, 0xfde5380cu, 23);
    MD5_STEP_H(a, b, c, d, x1, 0xa4beea44u, 4);
    MD5_STEP_H(d, a, b, c, x4, 0x4bdecfa9u, 11);
    MD5_STEP_H(c, d, a, b, x7, 0xf6bb4b60u, 16);
    MD5_STEP_H(b, c, d, a, x10, 0xbebfbc70u, 23);
    MD5_STEP_H(a, b, c, d, x13, 0x289b7ec6u, 4);
    MD5_STEP_H(d, a, b, c, x0, 0xeaa127fau, 11);
    MD5_STEP_H(c, d, a, b, x3, 0xd4ef3085u, 16);
    MD5_STEP_H(b, c, d, a, x6, 0x04881d05u, 23);
    MD5_STEP_H(a, b, c, d, x9, 0xd9d4d039u, 4);
    MD5_STEP_H(d, a, b, c, x12, 0xe6db99e5u, 11);
    MD5_STEP_H(c, d, a, b, x15, 0x1fa27cf8u, 16);
    MD5_STEP_H(b, c, d, a, x2, 0xc4ac5665u, 23);

    MD5_STEP_I(a, b, c, d, x0, 0xf4292244u, 6);
    MD5_STEP_I(d, a, b, c, x7, 0x432aff97u, 10);
    MD5_STEP_I(c, d, a, b, x14, 0xab9423a7u, 15);
    MD5_STEP_I(b, c, d, a, x5, 0xfc93a039u, 21);
    MD5_STEP_I(a, b, c, d, x12, 0x655b59c3u, 6);
    MD5_STEP_I(d, a, b, c, x3, 0x8f0ccc92u, 10);
    MD5_STEP_I(c, d, a, b, x10, 0xffeff47du, 15);
    MD5_STEP_I(b, c, d, a, x1, 0x85845dd1u, 21);
    MD5_STEP_I(a, b, c, d, x8, 0x6fa87e4fu, 6);
    MD5_STEP_I(d, a, b, c, x15, 0xfe2ce6e0u, 10);
    MD5_STEP_I(c, d, a, b, x6, 0xa3014314u, 15);
    MD5_STEP_I(b, c, d, a, x13, 0x4e0811a1u, 21);
    MD5_STEP_I(a, b, c, d, x4, 0xf7537e82u, 6);
    MD5_STEP_I(d, a, b, c, x11, 0xbd3af235u, 10);
    MD5_STEP_I(c, d, a, b, x2, 0x2ad7d2bbu, 15);
    MD5_STEP_I(b, c, d, a, x9, 0xeb86d391u, 21);

    sa += a;
    sb += b;
    sc += c;
    sd += d;
  }
  state[0] = sa;
  state[1] = sb;
  state[2] = sc;
  state[3] = sd;
}

} // namespace

void Md5Init(Md5Context* context) {
  context->state[0] = 0x67452301u;
  context->state[1] = 0xefcdab89u;
  context->state[2] = 0x98badcfeu;
  context->state[3] = 0x10325476u;
  context->bitCount[0] = 0;
  context->bitCount[1] = 0;
}

void Md5Update(Md5Context* context, const uint8_t* data, uint32_t length) {
  // Nothing to count or copy; also keeps a null pointer with length 0 away from memcpy.
  if (length == 0) {
    return;
  }
  const uint32_t oldLow = context->bitCount[0];
  context->bitCount[0] = oldLow + (length << 3);
  if (context->bitCount[0] < oldLow) {
    ++context->bitCount[1];
  }
  context->bitCount[1] += length >> 29;

  const uint32_t have = (oldLow >> 3) & 63;
  if (have != 0) {
    const uint32_t need = 64 - have;
    if (length < need) {
      std::memcpy(context->buffer + have, data, length);
      return;
    }
    std::memcpy(context->buffer + have, data, need);
    Md5Transform(context->state, context->buffer);
    data += need;
    length -= need;
  }
  // Whole blocks of the caller's data are compressed where they are: a detour through the buffer
  // would cost a copy per block.
  const uint32_t wholeBlocks = length / 64;
  Md5Compress(context->state, data, wholeBlocks);
  data += wholeBlocks * 64;
  length -= wholeBlocks * 64;
  std::memcpy(context->buffer, data, length);
}

void Md5Final(uint8_t digest[16], Md5Context* context) {
  const uint32_t have = (context->bitCount[0] >> 3) & 63;
  context->buffer[have] = 0x80;
  const uint32_t free = 63 - have;
  if (free < 8) {
    std::memset(context->buffer + have + 1, 0, free);
    Md5Transform(context->state, context->buffer);
    std::memset(context->buffer, 0, 56);
  } else {
    std::memset(context->buffer + have + 1, 0, free - 8);
  }
  StoreLe32(context->buffer + 56, context->bitCount[0]);
  StoreLe32(context->buffer + 60, context->bitCount[1]);
  Md5Transform(context->state, context->buffer);
  for (int i = 0; i < 4; ++i) {
    StoreLe32(digest + 4 * i, context->state[i]);
  }
  std::memset(context, 0, sizeof *context);
}

void Md5Transform(uint32_t state[4], const uint8_t block[64]) {
  Md5Compress(state, block, 1);
}

} // namespace corvane
