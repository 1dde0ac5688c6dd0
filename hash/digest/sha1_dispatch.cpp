// Which SHA-1 compression this processor runs, asked of CPUID once.
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

const CpuFeatures& Cpu() {
  static const CpuFeatures features = AskCpuid();
  return features;
}

Sha1Compression BestWithoutShaExtensions() {
  if (CpuHasAvx2()) {
    return Sha1CompressAvx2;
  }
  if (CpuHasSsse3()) {
    return Sha1CompressSsse3;
  }
  return Sha1CompressPortable;
}

} // namespace

bool CpuHasSsse3() {
  return Cpu().ssse3;
}

bool CpuHasAvx2() {
  return Cpu().avx2;
}

bool CpuHasShaExtensions() {
  return Cpu().sha;
}

void Sha1CompressWithoutShaExtensions(uint32_t state[5], const uint8_t* blocks, size_t count) {
  static const Sha1Compression best = BestWithoutShaExtensions();
  best(state, blocks, count);
}

Sha1Compression& Sha1ActiveCompression() {
  static Sha1Compression active =
      CpuHasShaExtensions() ? Sha1CompressShaNi : BestWithoutShaExtensions();
  return active;
}

} // namespace corvane
