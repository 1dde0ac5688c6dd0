#include "hash/core/stream_digest.h"

#include "hash/digest/md5.h"
#include "hash/digest/sha1.h"

namespace corvane {

namespace {

void WriteHex(const uint8_t* digest, int length, char* text) {
  static const char kDigits[] = "0123456789abcdef";
  for (int i = 0; i < length; ++i) {
    text[2 * i] = kDigits[digest[i] >> 4];
    text[2 * i + 1] = kDigits[digest[i] & 15];
  }
  text[2 * length] = '\0';
}

// A file that grew since it was measured may pass 100; the bar takes the low 32 bits.
int Percentage(int64_t bytesRead, int64_t fileSize) {
  const int64_t percent = fileSize != 0 ? bytesRead * 100 / fileSize : bytesRead;
  return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(percent)));
}

} // namespace

StreamOutcome DigestStream(std::FILE* stream, int64_t fileSize, DigestAlgorithm algorithm,
                           const char* bytesFormat, ProgressView& view, uint8_t* readBuffer,
                           char digestText[41]) {
  Md5Context md5;
  Sha1Context sha1;
  Md5Init(&md5);
  Sha1Init(&sha1);
  int64_t bytesRead = 0;
  char bytesText[48];

  for (bool firstBlock = true; !std::feof(stream); firstBlock = false) {
    const size_t count = std::fread(readBuffer, 1, kReadBlockSize, stream);
    // Without this a failing device would be read forever without progress.
    if (count < kReadBlockSize && std::ferror(stream))
      return StreamOutcome::ReadError;
    if (algorithm == DigestAlgorithm::Md5)
      Md5Update(&md5, readBuffer, static_cast<uint32_t>(count));
    else
      Sha1Update(&sha1, readBuffer, static_cast<uint32_t>(count));
    bytesRead += static_cast<int64_t>(count);
    std::snprintf(bytesText, sizeof bytesText, bytesFormat, static_cast<long long>(bytesRead));
    view.SetPosition(Percentage(bytesRead, fileSize));
    view.SetBytes(bytesText);
    // Where a file starts and where it ends are always seen, however fast it is read.
    if (firstBlock || std::feof(stream))
      view.PaintProgress();
    view.PumpMessages();
    if (view.AbortRequested()) {
      if (view.ConfirmAbort())
        return StreamOutcome::Aborted;
      view.ClearAbortRequest();
      // The question covered the window for a while: show at once where reading stands.
      view.PaintProgress();
    }
  }

  uint8_t digest[20];
  if (algorithm == DigestAlgorithm::Md5) {
    Md5Final(digest, &md5);
    WriteHex(digest, 16, digestText);
  } else {
    Sha1Final(&sha1, digest);
    WriteHex(digest, 20, digestText);
  }
  return StreamOutcome::Finished;
}

} // namespace corvane
