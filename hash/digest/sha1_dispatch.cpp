// Which SHA-1 compression this processor runs, asked of CPUID once, when the module is loaded.
#include "hash/digest/sha1_compression.h"

#include <cpuid.h>

namespace corvane {

namespace {

struct CpuFeatures {
  bool ssse3 = false;
  bool avx2 = false; // with BMI1 and BMI2, and the AVX registers saved by the system
  bool sha = false;  // with SSSE3 and SSE4.1
};

// The AVX state is usable only if the system saves it on a thread switch: XCR0 bits 1 (SSE) and
// 2 (AVX), readable once the system has set OSXSAVE.
bool SystemSavesAvxState(unsigned leaf1Ecx) {
  if (!(leaf1Ecx & bit_OSXSAVE) || !(leaf1Ecx & bit_AVX)) {
    return false;
  }
  unsigned xcr0Low, xcr0High;
  __asm__("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
  return (xcr0Low & 6u) == 6u;
}

CpuFeatures AskCpuid() {
  CpuFeatures features;
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) {
    return features;
  }
  const unsigned leaf1Ecx = c;
  features.ssse3 = leaf1Ecx & bit_SSSE3;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) {
    return features;
  }
  features.avx2 =
      (b & bit_AVX2) && (b & bit_BMI) && (b & bit_BMI2) && SystemSavesAvxState(leaf1Ecx);
  features.sha = features.ssse3 && (leaf1Ecx & bit_SSE4_1) && (b & bit_SHA);
  return features;
}

// Chosen by the module's initialisers, before any thread can hash: Hash.dll guards no local
// static, and two commands may run at once. Nothing hashes while modules are being initialised.
const CpuFeatures g_cpu = AskCpuid();

Sha1Compression BestWithoutShaExtensions() {
  if (g_cpu.avx2) {
    return Sha1CompressAvx2;
  }
  if (g_cpu.ssse3) {
    return Sha1CompressSsse3;
  }
  return Sha1CompressPortable;
}

const Sha1Compression g_bestWithoutShaExtensions = BestWithoutShaExtensions();
Sha1Compression g_activeCompression = g_cpu.sha ? Sha1CompressShaNi : g_bestWithoutShaExtensions;

} // namespace

bool CpuHasSsse3() {
  return g_cpu.ssse3;
}

bool CpuHasAvx2() {
  return g_cpu.avx2;
}

bool CpuHasShaExtensions() {
  return g_cpu.sha;
}

void Sha1CompressWithoutShaExtensions(uint32_t state[5], const uint8_t* blocks, size_t count) {
  g_bestWithoutShaExtensions(state, blocks, count);
}

Sha1Compression& Sha1ActiveCompression() {
  return g_activeCompression;
}

} // namespace corvane
