#pragma once
// Verification of one file against a typed digest (the two verify modes of Hash).

#include "hash/core/digest_algorithm.h"

namespace corvane {

// pathList is the caller's list, untrimmed: any line feed in it is refused as more than one file;
// null counts as no file.
void VerifyFileDigest(const char* pathList, DigestAlgorithm algorithm);

} // namespace corvane
