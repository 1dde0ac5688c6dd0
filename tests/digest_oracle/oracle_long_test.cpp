#include <gtest/gtest.h>

#include <cstring>

#include "tests/digest_oracle/oracle.h"

namespace corvane {

namespace {

constexpr uint32_t kReadSize = 65536;

// A pseudo-random stream, so that no two blocks repeat, generated a block at a time.
class PatternStream {
public:
  void Fill(uint8_t* block, size_t size) {
    for (size_t i = 0; i < size; i += 8) {
      state_ ^= state_ >> 12;
      state_ ^= state_ << 25;
      state_ ^= state_ >> 27;
      const uint64_t word = state_ * 0x2545f4914f6cdd1dull;
      std::memcpy(block + i, &word, std::min<size_t>(8, size - i));
    }
  }

private:
  uint64_t state_ = 0x9e3779b97f4a7c15ull;
};

TEST(LongMessages, StreamLongerThanFourGiBReadInBlocksMatchesLibcrypto) {
  // Past 2^32 bytes, so the low bit-count word wraps eight times and the high word passes 7.
  const uint64_t total = (uint64_t{1} << 32) + 123457;
  std::vector<uint8_t> block(kReadSize);
  PatternStream stream;
  Md5Context md5;
  Sha1Context sha1;
  Md5Init(&md5);
  Sha1Init(&sha1);
  ReferenceDigest referenceMd5(EVP_md5());
  ReferenceDigest referenceSha1(EVP_sha1());

  for (uint64_t done = 0; done < total;) {
    const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(kReadSize, total - done));
    stream.Fill(block.data(), n);
    Md5Update(&md5, block.data(), n);
    Sha1Update(&sha1, block.data(), n);
    referenceMd5.Update(block.data(), n);
    referenceSha1.Update(block.data(), n);
    done += n;
  }

  const uint64_t bits = total * 8;
  EXPECT_EQ(md5.bitCount[0], static_cast<uint32_t>(bits));
  EXPECT_EQ(md5.bitCount[1], static_cast<uint32_t>(bits >> 32));
  EXPECT_EQ(sha1.bitCountLow, static_cast<uint32_t>(bits));
  EXPECT_EQ(sha1.bitCountHigh, static_cast<uint32_t>(bits >> 32));

  uint8_t md5Digest[16];
  uint8_t sha1Digest[20];
  Md5Final(md5Digest, &md5);
  Sha1Final(&sha1, sha1Digest);
  EXPECT_EQ(ToHex(md5Digest, 16), referenceMd5.FinalHex());
  EXPECT_EQ(ToHex(sha1Digest, 20), referenceSha1.FinalHex());
}

} // namespace

} // namespace corvane
