#include "hash/core/stream_digest.h"

#include "hash/digest/md5.h"
#include "hash/digest/sha1.h"

#include <cstdio>

namespace corvane {

namespace {

// One stream runs through one engine; its context is the only one set up.
union EngineContext {
  Md5Context md5;
  Sha1Context sha1;
};

// An engine as the block loop drives it, chosen once per stream.
struct DigestEngine {
  void (*init)(EngineContext& context);
  void (*update)(EngineContext& context, const uint8_t* data, uint32_t length);
  void (*finish)(EngineContext& context, uint8_t* digest);
};

constexpr DigestEngine kMd5Engine{
    [](EngineContext& context) { Md5Init(&context.md5); },
    [](EngineContext& context, const uint8_t* data, uint32_t length) {
      Md5Update(&context.md5, data, length);
    },
    [](EngineContext& context, uint8_t* digest) { Md5Final(digest, &context.md5); },
};

constexpr DigestEngine kSha1Engine{
    [](EngineContext& context) { Sha1Init(&context.sha1); },
    [](EngineContext& context, const uint8_t* data, uint32_t length) {
      Sha1Update(&context.sha1, data, length);
    },
    [](EngineContext& context, uint8_t* digest) { Sha1Final(&context.sha1, digest); },
};

const DigestEngine& EngineFor(DigestAlgorithm algorithm) {
  return algorithm == DigestAlgorithm::Md5 ? kMd5Engine : kSha1Engine;
}

void WriteHex(const uint8_t* digest, int length, char* text) {
  static const char kDigits[] = "0123456789abcdef";
  for (int i = 0; i < length; ++i) {
    text[2 * i] = kDigits[digest[i] >> 4];
    text[2 * i + 1] = kDigits[digest[i] & 15];
  }
  text[2 * length] = '\0';
}

// The blocks of one stream through one engine.
class EngineSink : public BlockSink {
public:
  explicit EngineSink(const DigestEngine& engine) : engine_(engine) { engine_.init(context_); }

  void Take(const uint8_t* data, uint32_t length) override {
    engine_.update(context_, data, length);
  }

  void Finish(char* digestText, int length) {
    uint8_t digest[20];
    engine_.finish(context_, digest);
    WriteHex(digest, length, digestText);
  }

private:
  const DigestEngine& engine_;
  EngineContext context_;
};

// A file that grew since it was measured may pass 100; the bar takes the low 32 bits.
int Percentage(int64_t bytesRead, int64_t fileSize) {
  const int64_t percent = fileSize != 0 ? bytesRead * 100 / fileSize : bytesRead;
  return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(percent)));
}

} // namespace

void ShowFileStart(ProgressView& view, const char* path, int64_t fileSize, int index, int count) {
  char sizeText[kBytesTextSize];
  FormatBytes(fileSize, BytesText::CountAndUnit, sizeText);
  view.SetFileName(path);
  view.SetFileSize(sizeText);
  view.SetRange(0, 100);
  view.SetPosition(0);
  char status[64];
  std::snprintf(status, sizeof status, "File %i of %i", index, count);
  view.SetStatus(status);
}

bool ShowBlockProgress(ProgressView& view, int64_t bytesRead, int64_t fileSize,
                       BytesText bytesText) {
  char countText[kBytesTextSize];
  FormatBytes(bytesRead, bytesText, countText);
  view.SetPosition(Percentage(bytesRead, fileSize));
  view.SetBytes(countText);
  view.PumpMessages();
  if (!view.AbortRequested())
    return true;
  if (view.ConfirmAbort())
    return false;
  view.ClearAbortRequest();
  // The question covered the window for a while: show at once where reading stands.
  view.Paint();
  return true;
}

StreamOutcome ReadStream(std::FILE* stream, int64_t fileSize, BlockSink& sink, BytesText bytesText,
                         ProgressView& view, uint8_t* readBuffer) {
  int64_t bytesRead = 0;
  while (!std::feof(stream)) {
    const size_t count = std::fread(readBuffer, 1, kReadBlockSize, stream);
    // Without this a failing device would be read forever without progress.
    if (count < kReadBlockSize && std::ferror(stream))
      return StreamOutcome::ReadError;
    sink.Take(readBuffer, static_cast<uint32_t>(count));
    bytesRead += static_cast<int64_t>(count);
    if (!ShowBlockProgress(view, bytesRead, fileSize, bytesText))
      return StreamOutcome::Aborted;
  }
  return StreamOutcome::Finished;
}

StreamOutcome DigestStream(std::FILE* stream, int64_t fileSize, DigestAlgorithm algorithm,
                           BytesText bytesText, ProgressView& view, uint8_t* readBuffer,
                           char digestText[41]) {
  EngineSink engine(EngineFor(algorithm));
  const StreamOutcome outcome = ReadStream(stream, fileSize, engine, bytesText, view, readBuffer);
  if (outcome == StreamOutcome::Finished)
    engine.Finish(digestText, DigestLength(algorithm));
  return outcome;
}

} // namespace corvane
