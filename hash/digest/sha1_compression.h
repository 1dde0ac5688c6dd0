#pragma once
// The SHA-1 compressions behind Sha1Transform: the portable one, built from the named step
// function, step constant and rotation, and one on the processor's SHA instructions.

#include <cstdint>

#include <cstddef>

// Compresses count consecutive 64-byte blocks into the chaining words.
using Sha1Compression = void (*)(uint32_t state[5], const uint8_t* blocks, size_t count);

void Sha1TransformPortable(uint32_t state[5], const uint8_t block[64]);
void Sha1CompressPortable(uint32_t state[5], const uint8_t* blocks, size_t count);
// Only on a processor for which CpuHasShaExtensions() is true.
void Sha1CompressShaNi(uint32_t state[5], const uint8_t* blocks, size_t count);
bool CpuHasShaExtensions();

// The compression Sha1Transform uses, chosen once by CPUID. Tests may point it at the portable
// one to run the whole engine through the fallback.
Sha1Compression& Sha1ActiveCompression();
