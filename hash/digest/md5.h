#pragma once
// MD5 message digest (RFC 1321), incremental over a byte stream.

#include <cstdint>

namespace corvane {

struct Md5Context {
  uint32_t state[4];    // chaining words A, B, C, D
  uint32_t bitCount[2]; // message bits absorbed, low word first
  uint8_t buffer[64];   // block being collected; (bitCount[0] >> 3) & 63 bytes are waiting
};

void Md5Init(Md5Context* context);
void Md5Update(Md5Context* context, const uint8_t* data, uint32_t length);
// Writes the 16-byte digest and clears the whole context.
void Md5Final(uint8_t digest[16], Md5Context* context);
void Md5Transform(uint32_t state[4], const uint8_t block[64]);

} // namespace corvane
