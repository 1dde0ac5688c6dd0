// What the shell extension asks of the hash module: the offset of the picked menu item, handed to
// the export as a plain integer.
#pragma once

#include <cstdint>

namespace corvane {

// Any value beyond these computes with SHA-1; the results window is given it unchanged.
enum class HashMode : std::int32_t {
  ComputeMd5 = 0,
  ComputeSha1 = 1,
  VerifyMd5 = 2,
  VerifySha1 = 3,
};

constexpr bool IsVerification(HashMode mode) {
  return mode == HashMode::VerifyMd5 || mode == HashMode::VerifySha1;
}

} // namespace corvane
