#pragma once
// Which engine digests a stream (each mode's is in common/hash_mode.h) and how long its digest is.

#include "common/hash_mode.h"

namespace corvane {

// Bytes of the digest; its text has two hexadecimal digits per byte.
constexpr int DigestLength(DigestAlgorithm algorithm) {
  return algorithm == DigestAlgorithm::Md5 ? 16 : 20;
}

} // namespace corvane
