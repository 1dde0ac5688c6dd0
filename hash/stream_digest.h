#pragma once
// The block loop shared by the batch run and verification.

#include "hash/progress_view.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

enum class DigestAlgorithm { Md5, Sha1 };

enum class StreamOutcome {
  Finished,  // read to its end; the digest text is set
  Aborted,   // the user confirmed an abort; the abort request is still raised
  ReadError, // the stream failed before its end
};

constexpr uint32_t kReadBlockSize = 65536;
constexpr std::chrono::milliseconds kRefreshInterval{100};

// Reads the stream to its end in blocks of kReadBlockSize through the chosen engine. Once per block
// it pumps messages and, when an abort is requested, asks the user. The bar (the percentage of
// fileSize read) and the bytes text (the running count formatted with bytesFormat, a printf format
// taking one long long) are refreshed for the first and the last block, for the block after a
// declined abort, and otherwise when kRefreshInterval has passed since the last refresh. readBuffer
// holds kReadBlockSize bytes; digestText receives the lower-case hexadecimal digest (32 or 40
// characters and a NUL).
StreamOutcome DigestStream(std::FILE* stream, int64_t fileSize, DigestAlgorithm algorithm,
                           const char* bytesFormat, ProgressView& view, uint8_t* readBuffer,
                           char digestText[41]);
