#include "common/ascii_case.h"
#include "hash/core/verify_run.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane {

namespace {

const std::string kMd5 = "900150983cd24fb0d6963f7d28e17f72";
const std::string kSha1 = "a9993e364706816aba3e25717850c26c9cd0d89d";

struct DigestCase {
  std::string text;
  DigestAlgorithm algorithm;
  bool valid;
};

TEST(DigestEntryText, AcceptsOnlyLowerHexOfTheAlgorithmsExactLength) {
  const DigestCase cases[] = {
      {kMd5, DigestAlgorithm::Md5, true},
      {kSha1, DigestAlgorithm::Sha1, true},
      {"0123456789abcdef0123456789abcdef", DigestAlgorithm::Md5, true},
      {kMd5, DigestAlgorithm::Sha1, false}, // an MD5 digest for SHA-1
      {kSha1, DigestAlgorithm::Md5, false}, // and the reverse
      {"", DigestAlgorithm::Md5, false},
      {kMd5.substr(1), DigestAlgorithm::Md5, false},           // one short
      {kMd5 + "0", DigestAlgorithm::Md5, false},               // one long
      {" " + kMd5.substr(1), DigestAlgorithm::Md5, false},     // leading blank in place of a digit
      {kMd5.substr(0, 31) + " ", DigestAlgorithm::Md5, false}, // trailing blank
      {" " + kMd5, DigestAlgorithm::Md5, false},               // leading blank, not trimmed
      {kSha1.substr(0, 20) + "-" + kSha1.substr(21), DigestAlgorithm::Sha1, false},
      {kSha1.substr(0, 20) + " " + kSha1.substr(21), DigestAlgorithm::Sha1, false},
      {kMd5.substr(0, 31) + "g", DigestAlgorithm::Md5, false},
      {kMd5.substr(0, 31) + "A", DigestAlgorithm::Md5,
       false}, // upper case is lowered before the test
      {kMd5.substr(0, 31) + "/", DigestAlgorithm::Md5,
       false}, // the neighbours of each accepted range
      {kMd5.substr(0, 31) + ":", DigestAlgorithm::Md5, false},
      {kMd5.substr(0, 31) + "`", DigestAlgorithm::Md5, false},
      {kMd5.substr(0, 31) + "\xb0", DigestAlgorithm::Md5,
       false}, // bytes from 0x80 are negative and fail
      {kMd5.substr(0, 31) + "\xe6", DigestAlgorithm::Md5, false},
  };
  for (const DigestCase& c : cases)
    EXPECT_EQ(IsValidDigestText(c.text, c.algorithm), c.valid)
        << "\"" << c.text << "\" for algorithm " << static_cast<int>(c.algorithm);
}

TEST(DigestEntryText, ComparisonIgnoresLetterCaseButNothingElse) {
  EXPECT_TRUE(EqualsNoCase("A9993E364706816ABA3E25717850C26C9CD0D89D", kSha1.c_str()));
  EXPECT_TRUE(EqualsNoCase("a9993E364706816aBa3e25717850C26c9cd0d89D", kSha1.c_str()));
  EXPECT_TRUE(EqualsNoCase("", ""));
  EXPECT_FALSE(EqualsNoCase(kSha1.substr(0, 39).c_str(), kSha1.c_str()));
  EXPECT_FALSE(EqualsNoCase(kSha1.c_str(), kSha1.substr(0, 39).c_str()));
  EXPECT_FALSE(EqualsNoCase("", kMd5.c_str()));
  EXPECT_FALSE(EqualsNoCase("900150983cd24fb0d6963f7d28e17f73", kMd5.c_str()));
}

TEST(VerifyBoxes, CarryTheProductTitleAndWarnOnEveryFailure) {
  const char* product = "Corvane 2004 - 64-bit Edition";
  const struct {
    VerifyMessage message;
    const char* text;
    unsigned type;
  } boxes[] = {
      {VerifyMessage::MoreThanOneFile, "Can only verify one file at a time", 0x30},
      {VerifyMessage::CouldNotOpenFile, "Could not open file", 0x30},
      {VerifyMessage::CouldNotReadFile, "Could not read file", 0x30},
      {VerifyMessage::DigestMismatch, "Verification failed. Digest does not match.", 0x30},
      {VerifyMessage::DigestMatch, "Digest matches. Verification succeeded.", 0x00},
  };
  for (const auto& expected : boxes) {
    const VerifyBox box = VerifyBoxFor(expected.message);
    EXPECT_STREQ(box.text, expected.text);
    EXPECT_STREQ(box.caption, product);
    EXPECT_EQ(box.type, expected.type) << expected.text;
  }
}

} // namespace

} // namespace corvane
