#include "hash/core/verify_run.h"

#include "common/ascii_case.h"
#include "common/product.h"
#include "common/scoped_file.h"
#include "hash/core/file_length.h"
#include "hash/core/stream_digest.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace corvane {

VerifyBox VerifyBoxFor(VerifyMessage message) {
  switch (message) {
  case VerifyMessage::MoreThanOneFile:
    return {"Can only verify one file at a time", kProductTitle, kBoxOk | kBoxIconWarning};
  case VerifyMessage::CouldNotOpenFile:
    return {"Could not open file", kProductTitle, kBoxOk | kBoxIconWarning};
  case VerifyMessage::CouldNotReadFile:
    return {"Could not read file", kProductTitle, kBoxOk | kBoxIconWarning};
  case VerifyMessage::DigestMismatch:
    return {"Verification failed. Digest does not match.", kProductTitle, kBoxOk | kBoxIconWarning};
  case VerifyMessage::DigestMatch:
    break;
  }
  return {"Digest matches. Verification succeeded.", kProductTitle, kBoxOk};
}

bool IsValidDigestText(const std::string& text, DigestAlgorithm algorithm) {
  const size_t required = 2 * static_cast<size_t>(DigestLength(algorithm));
  if (text.size() != required)
    return false;
  for (const char ch : text) {
    // Signed on purpose: every byte from 0x80 up is negative and fails the first test.
    const signed char value = static_cast<signed char>(ch);
    if (value < '0' || (value > '9' && value < 'a') || value > 'f')
      return false;
  }
  return true;
}

VerifyOutcome VerifyPathList(const char* pathList, DigestAlgorithm algorithm,
                             ProgressView& progress, VerifyUser& user) {
  const char* path = pathList != nullptr ? pathList : "";
  // The list is neither trimmed nor split: any line feed, a trailing one too, means two entries.
  if (std::strchr(path, '\n') != nullptr) {
    user.Tell(VerifyMessage::MoreThanOneFile);
    return VerifyOutcome::Refused;
  }
  std::string expected;
  if (!user.AskDigest(expected))
    return VerifyOutcome::Cancelled;
  return RunVerification(path, algorithm, expected.c_str(), progress, user);
}

VerifyOutcome RunVerification(const char* path, DigestAlgorithm algorithm,
                              const char* expectedDigest, ProgressView& progress,
                              VerifyUser& user) {
  progress.Create();

  ScopedFile file(std::fopen(path, "rb"));
  if (!file) {
    user.Tell(VerifyMessage::CouldNotOpenFile);
    progress.Destroy();
    return VerifyOutcome::CouldNotOpen;
  }

  progress.Show();
  const int64_t fileLength = FileLength(file.Get());
  char sizeText[kBytesTextSize];
  FormatBytes(fileLength, BytesText::CountAndUnit, sizeText);
  progress.SetFileName(path);
  progress.SetFileSize(sizeText);
  progress.SetRange(0, 100);
  progress.SetPosition(0);
  progress.SetStatus("Verifying File");

  const std::unique_ptr<uint8_t[]> readBuffer(new uint8_t[kReadBlockSize]);
  char digestText[41];
  const StreamOutcome outcome =
      DigestStream(file.Get(), fileLength, algorithm, BytesText::CountAndUnit, progress,
                   readBuffer.get(), digestText);
  file.Close();
  progress.Destroy();

  switch (outcome) {
  case StreamOutcome::Aborted:
    return VerifyOutcome::Aborted;
  case StreamOutcome::ReadError:
    // No verdict: the digest of part of a file says nothing about the file.
    user.Tell(VerifyMessage::CouldNotReadFile);
    return VerifyOutcome::ReadError;
  case StreamOutcome::Finished:
    break;
  }
  if (EqualsNoCase(expectedDigest != nullptr ? expectedDigest : "", digestText)) {
    user.Tell(VerifyMessage::DigestMatch);
    return VerifyOutcome::Match;
  }
  user.Tell(VerifyMessage::DigestMismatch);
  return VerifyOutcome::Mismatch;
}

} // namespace corvane
