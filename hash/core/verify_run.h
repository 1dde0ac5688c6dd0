#pragma once
// Verification of one file against a digest the user types, without the windows: the Windows
// workflow plays the digest entry dialog and the message boxes, tests play them too.

#include "hash/core/digest_algorithm.h"
#include "hash/core/progress_view.h"

#include <string>

namespace corvane {

// The message boxes the workflow may end with.
enum class VerifyMessage {
  MoreThanOneFile,
  CouldNotOpenFile,
  CouldNotReadFile,
  DigestMismatch,
  DigestMatch,
};

// Box types as the window system numbers them (kept here so that this part needs no window
// headers).
constexpr unsigned kBoxOk = 0x00;
constexpr unsigned kBoxIconWarning = 0x30;

struct VerifyBox {
  const char* text;
  const char* caption;
  unsigned type;
};

VerifyBox VerifyBoxFor(VerifyMessage message);

constexpr const char kInvalidDigestText[] = "This does not appear to be a valid message digest";

// What the workflow needs from the user besides the progress window.
class VerifyUser {
public:
  virtual ~VerifyUser() = default;
  // Shows the digest entry dialog modally; false when the user cancelled it. Otherwise digest
  // holds the accepted, lower-cased text (empty when the dialog could not be shown).
  virtual bool AskDigest(std::string& digest) = 0;
  // Shows one of the workflow's boxes and returns when the user has closed it.
  virtual void Tell(VerifyMessage message) = 0;
};

enum class VerifyOutcome {
  Refused,      // more than one path
  Cancelled,    // the digest entry dialog was cancelled
  CouldNotOpen, // the file did not open
  ReadError,    // reading failed before the end of the file
  Aborted,      // the user confirmed an abort
  Mismatch,
  Match,
};

// The whole workflow after the path list arrives: a list holding any line feed is refused; a null
// list is no file at all, like an empty one.
VerifyOutcome VerifyPathList(const char* pathList, DigestAlgorithm algorithm,
                             ProgressView& progress, VerifyUser& user);

// Reads one file through the chosen engine with the progress window and tells the user the verdict.
VerifyOutcome RunVerification(const char* path, DigestAlgorithm algorithm,
                              const char* expectedDigest, ProgressView& progress, VerifyUser& user);

// What the digest entry dialog accepts: the already lower-cased text, exactly 32 characters for
// MD5 and 40 for SHA-1, made of 0-9 and a-f only. Nothing is trimmed.
bool IsValidDigestText(const std::string& text, DigestAlgorithm algorithm);

} // namespace corvane
