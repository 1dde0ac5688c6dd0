#pragma once
// Which engine digests a stream, and which one each mode asks for.

#include "common/hash_mode.h"

namespace corvane {

enum class DigestAlgorithm { Md5, Sha1 };

// Bytes of the digest; its text has two hexadecimal digits per byte.
constexpr int DigestLength(DigestAlgorithm algorithm) {
  return algorithm == DigestAlgorithm::Md5 ? 16 : 20;
}

// Only the two MD5 modes use MD5: every other mode, one beyond the known ones too, uses SHA-1.
constexpr DigestAlgorithm DigestAlgorithmOf(HashMode mode) {
  return mode == HashMode::ComputeMd5 || mode == HashMode::VerifyMd5 ? DigestAlgorithm::Md5
                                                                     : DigestAlgorithm::Sha1;
}

} // namespace corvane
