#include "hash/digest/sha1.h"

#include "hash/digest/sha1_compression.h"

#include <cstring>

namespace corvane {

namespace {

inline void StoreBe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

} // namespace

void Sha1Init(Sha1Context* context) {
  context->state[0] = 0x67452301u;
  context->state[1] = 0xefcdab89u;
  context->state[2] = 0x98badcfeu;
  context->state[3] = 0x10325476u;
  context->state[4] = 0xc3d2e1f0u;
  context->bufferedBytes = 0;
  context->bitCountLow = 0;
  context->bitCountHigh = 0;
}

void Sha1Update(Sha1Context* context, const uint8_t* data, uint32_t length) {
  if (length == 0) {
    return;
  }
  // 64 bits wide so that a length near 4 GiB plus the waiting bytes cannot wrap to a small total,
  // which would send the whole input into the 64-byte buffer.
  uint64_t total = static_cast<uint64_t>(length) + context->bufferedBytes;

  // Adding the length eight times keeps the count exact without a wider type; each addition can
  // wrap at most once.
  for (int i = 0; i < 8; ++i) {
    context->bitCountLow += length;
    if (context->bitCountLow < length) {
      ++context->bitCountHigh;
    }
  }

  if (total < 64) {
    std::memcpy(context->buffer + context->bufferedBytes, data, length);
    context->bufferedBytes = static_cast<uint16_t>(context->bufferedBytes + length);
    return;
  }
  while (total >= 64) {
    // Whole blocks of the caller's data need no detour through the buffer, and compressing them in
    // one call keeps the chaining words in registers.
    if (context->bufferedBytes == 0) {
      const size_t blocks = static_cast<size_t>(total / 64);
      Sha1ActiveCompression()(context->state, data, blocks);
      data += blocks * 64;
      total -= blocks * 64;
      break;
    }
    const uint32_t fill = 64u - context->bufferedBytes;
    std::memcpy(context->buffer + context->bufferedBytes, data, fill);
    Sha1Transform(context->state, context->buffer);
    data += fill;
    context->bufferedBytes = 0;
    total -= 64;
  }
  std::memset(context->buffer, 0, 64);
  if (total != 0) {
    std::memcpy(context->buffer, data, static_cast<size_t>(total));
  }
  context->bufferedBytes = static_cast<uint16_t>(total);
}

void Sha1Final(Sha1Context* context, uint8_t digest[20]) {
  uint32_t i = context->bufferedBytes;
  bool markerWritten = false;
  if (i >= 56) {
    context->buffer[i] = 0x80;
    std::memset(context->buffer + i + 1, 0, 63 - i);
    Sha1Transform(context->state, context->buffer);
    context->bufferedBytes = 0;
    i = 0;
    markerWritten = true;
  }
  StoreBe32(context->buffer + 56, context->bitCountHigh);
  StoreBe32(context->buffer + 60, context->bitCountLow);
  context->buffer[i] = markerWritten ? 0x00 : 0x80;
  std::memset(context->buffer + i + 1, 0, 55 - i);
  Sha1Transform(context->state, context->buffer);
  for (int k = 0; k < 5; ++k) {
    StoreBe32(digest + 4 * k, context->state[k]);
  }
}

void Sha1Transform(uint32_t state[5], const uint8_t block[64]) {
  Sha1ActiveCompression()(state, block, 1);
}

void Sha1CompressPortable(uint32_t state[5], const uint8_t* blocks, size_t count) {
  for (; count > 0; --count, blocks += 64) {
    Sha1TransformPortable(state, blocks);
  }
}

void Sha1TransformPortable(uint32_t state[5], const uint8_t block[64]) {
  uint32_t w[80];
  for (int t = 0; t < 16; ++t) {
    // Widen before shifting: a byte promoted to int would shift into the sign bit.
    w[t] = static_cast<uint32_t>(block[4 * t]) << 24 |
           static_cast<uint32_t>(block[4 * t + 1]) << 16 |
           static_cast<uint32_t>(block[4 * t + 2]) << 8 | static_cast<uint32_t>(block[4 * t + 3]);
  }
  for (int t = 16; t < 80; ++t) {
    w[t] = RotateLeft(1, w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16]);
  }

  uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
  for (uint16_t t = 0; t < 80; ++t) {
    const uint32_t temp =
        RotateLeft(5, a) + Sha1RoundFunction(t, b, c, d) + e + w[t] + Sha1RoundConstant(t);
    e = d;
    d = c;
    c = RotateLeft(30, b);
    b = a;
    a = temp;
  }

  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
}

uint32_t Sha1RoundFunction(uint16_t t, uint32_t b, uint32_t c, uint32_t d) {
  if (t < 20) {
    return (b & c) | (~b & d);
  }
  if (t < 40) {
    return b ^ c ^ d;
  }
  if (t < 60) {
    return (b & c) | (b & d) | (c & d);
  }
  return b ^ c ^ d;
}

uint32_t Sha1RoundConstant(uint16_t t) {
  if (t < 20) {
    return 0x5a827999u;
  }
  if (t < 40) {
    return 0x6ed9eba1u;
  }
  if (t < 60) {
    return 0x8f1bbcdcu;
  }
  return 0xca62c1d6u;
}

uint32_t RotateLeft(uint16_t n, uint32_t x) {
  return (x << n) | (x >> (32 - n));
}

} // namespace corvane
