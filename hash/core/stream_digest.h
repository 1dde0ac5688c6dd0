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

// Takes every block a stream loop reads.
class BlockSink {
public:
  virtual ~BlockSink() = default;
  virtual void Take(const uint8_t* data, uint32_t length) = 0;
};

// The window's part when a file is opened, the index-th of count: its name, its size, the bar's
// range and position 0, then "File index of count".
void ShowFileStart(ProgressView& view, const char* path, int64_t fileSize, int index, int count);

// The window's part of every block: the bar set to the percentage of fileSize read, the bytes text
// (bytesRead in the given form), the thread's messages pumped and, when an abort is requested, the
// user asked. After a declined abort the window is told to paint; otherwise it paints at its own
// pace. False once the user confirmed.
bool ShowBlockProgress(ProgressView& view, int64_t bytesRead, int64_t fileSize,
                       BytesText bytesText);

// Reads the stream to its end in blocks of kReadBlockSize, each given to sink and then shown
// (ShowBlockProgress). readBuffer holds kReadBlockSize bytes.
StreamOutcome ReadStream(std::FILE* stream, int64_t fileSize, BlockSink& sink, BytesText bytesText,
                         ProgressView& view, uint8_t* readBuffer);

// ReadStream through the chosen engine. digestText receives the lower-case hexadecimal digest (32
// or 40 characters and a NUL) when the stream is Finished.
StreamOutcome DigestStream(std::FILE* stream, int64_t fileSize, DigestAlgorithm algorithm,
                           BytesText bytesText, ProgressView& view, uint8_t* readBuffer,
                           char digestText[41]);

} // namespace corvane
