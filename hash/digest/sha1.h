#pragma once
// SHA-1 message digest (FIPS 180-1), incremental over a byte stream.

#include <cstdint>

namespace corvane {

struct Sha1Context {
  uint8_t buffer[64];
  uint16_t bufferedBytes;
  uint32_t bitCountLow;
  uint32_t bitCountHigh;
  uint32_t state[5]; // H0..H4
};

void Sha1Init(Sha1Context* context);
void Sha1Update(Sha1Context* context, const uint8_t* data, uint32_t length);
// Writes the 20-byte digest; the context is left as it is (spent, not cleared).
void Sha1Final(Sha1Context* context, uint8_t digest[20]);
void Sha1Transform(uint32_t state[5], const uint8_t block[64]);
uint32_t Sha1RoundFunction(uint16_t t, uint32_t b, uint32_t c, uint32_t d);
uint32_t Sha1RoundConstant(uint16_t t);
uint32_t RotateLeft(uint16_t n, uint32_t x);

} // namespace corvane
