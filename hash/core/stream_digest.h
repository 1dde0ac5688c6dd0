#pragma once
// The block loop shared by the batch run and verification.

#include "hash/core/bytes_text.h"
#include "hash/core/digest_algorithm.h"
#include "hash/core/progress_view.h"

#include <cstdint>
#include <cstdio>

namespace corvane {

enum class StreamOutcome {
  Finished,  // read to its end; the digest text is set
  Aborted,   // the user confirmed an abort; the abort request is still raised
  ReadError, // the stream failed before its end
};

constexpr uint32_t kReadBlockSize = 65536;

// Reads the stream to its end in blocks of kReadBlockSize through the chosen engine. After every
// block it sets the bar (the percentage of fileSize read) and the bytes text (the running count in
// the given form), pumps messages and, when an abort is requested, asks the user. The window is
// told to paint after a declined abort; otherwise it paints at its own pace. readBuffer holds
// kReadBlockSize bytes; digestText receives the lower-case hexadecimal digest (32 or 40 characters
// and a NUL).
StreamOutcome DigestStream(std::FILE* stream, int64_t fileSize, DigestAlgorithm algorithm,
                           BytesText bytesText, ProgressView& view, uint8_t* readBuffer,
                           char digestText[41]);

} // namespace corvane
