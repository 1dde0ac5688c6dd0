#pragma once
// The SHA-1 compressions behind Sha1Transform: the portable one, built from the named step
// function, step constant and rotation; two that compute the message schedule with vector
// instructions and run the steps as scalar code; and one on the processor's SHA instructions.

#include <cstdint>

#include <cstddef>

namespace corvane {

// Compresses count consecutive 64-byte blocks into the chaining words.
using Sha1Compression = void (*)(uint32_t state[5], const uint8_t* blocks, size_t count);

void Sha1TransformPortable(uint32_t state[5], const uint8_t block[64]);
void Sha1CompressPortable(uint32_t state[5], const uint8_t* blocks, size_t count);
// Each only on a processor for which its CpuHas... function is true.
void Sha1CompressSsse3(uint32_t state[5], const uint8_t* blocks, size_t count);
void Sha1CompressAvx2(uint32_t state[5], const uint8_t* blocks, size_t count);
void Sha1CompressShaNi(uint32_t state[5], const uint8_t* blocks, size_t count);
bool CpuHasSsse3();
// AVX2 with BMI1 and BMI2, and a system that saves the AVX registers.
bool CpuHasAvx2();
bool CpuHasShaExtensions();

// The compression this processor runs when it has no SHA instructions: its best vector path
// (AVX2, then SSSE3), or the portable one.
void Sha1CompressWithoutShaExtensions(uint32_t state[5], const uint8_t* blocks, size_t count);

// The compression Sha1Transform uses, chosen once by CPUID: the SHA instructions, else the one
// above. Tests may point it at any compression the processor supports to run the whole engine
// through it.
Sha1Compression& Sha1ActiveCompression();

} // namespace corvane
