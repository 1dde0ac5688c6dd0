// What the shell extension asks of the hash module: the offset of the picked menu item, handed to
// the export as a plain integer. Each mode's facts are stated here once, for the menu, the hash
// module, the host and the tests alike.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane {

// Any value beyond these computes with SHA-1; the results window is given it unchanged.
enum class HashMode : std::int32_t {
  ComputeMd5 = 0,
  ComputeSha1 = 1,
  VerifyMd5 = 2,
  VerifySha1 = 3,
};

enum class DigestAlgorithm { Md5, Sha1 };

struct HashModeFacts {
  HashMode mode;
  DigestAlgorithm algorithm;
  bool verifies;
  const char* menuText;    // the submenu item
  const char* helpText;    // the shell's status bar
  const char* hostCommand; // corvane-host.exe --command
  const char* reportWord;  // first word of a saved report, with its blank; null: no report
};

// In menu order: a mode is its item's offset.
inline constexpr HashModeFacts kHashModes[] = {
    {HashMode::ComputeMd5, DigestAlgorithm::Md5, false, "Calculate &MD5 Hash", "Compute MD5 Hash",
     "md5", "MD5 "},
    {HashMode::ComputeSha1, DigestAlgorithm::Sha1, false, "Calculate &SHA-1 Hash",
     "Compute SHA-1 Hash", "sha1", "SHA-1 "},
    {HashMode::VerifyMd5, DigestAlgorithm::Md5, true, "&Verify MD5 Hash", "Verify MD5 Hash",
     "verify-md5", nullptr},
    {HashMode::VerifySha1, DigestAlgorithm::Sha1, true, "Verify SHA-1 &Hash", "Verify SHA-1 Hash",
     "verify-sha1", nullptr},
};

inline constexpr std::size_t kHashModeCount = sizeof kHashModes / sizeof kHashModes[0];

// A saved report of any other mode: hashed with SHA-1, it yet names no algorithm.
inline constexpr char kUnknownReportWord[] = "Unknown Hash ";

constexpr bool ModesAreOffsets() {
  for (std::size_t i = 0; i < kHashModeCount; ++i) {
    if (static_cast<std::size_t>(kHashModes[i].mode) != i) {
      return false;
    }
  }
  return true;
}
static_assert(ModesAreOffsets(), "the hash module takes the offset of the picked item as its mode");

// Null for a mode beyond the known ones.
constexpr const HashModeFacts* FactsOf(HashMode mode) {
  const auto index = static_cast<std::size_t>(static_cast<std::uint32_t>(mode));
  return index < kHashModeCount ? &kHashModes[index] : nullptr;
}

constexpr bool IsVerification(HashMode mode) {
  return FactsOf(mode) != nullptr && FactsOf(mode)->verifies;
}

// Every mode beyond the known ones uses SHA-1.
constexpr DigestAlgorithm DigestAlgorithmOf(HashMode mode) {
  return FactsOf(mode) != nullptr ? FactsOf(mode)->algorithm : DigestAlgorithm::Sha1;
}

constexpr const char* ReportWordOf(HashMode mode) {
  const HashModeFacts* facts = FactsOf(mode);
  return facts != nullptr && facts->reportWord != nullptr ? facts->reportWord : kUnknownReportWord;
}

} // namespace corvane
