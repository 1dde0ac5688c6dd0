#include <gtest/gtest.h>
#include <sys/mman.h>

#include "tests/digest_oracle/oracle.h"

namespace corvane {

namespace {

// A read-only stretch of zero pages; the kernel backs it with no memory.
class ZeroMapping {
public:
  explicit ZeroMapping(size_t size)
      : size_(size),
        base_(mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0)) {}
  ~ZeroMapping() {
    if (base_ != MAP_FAILED) {
      munmap(base_, size_);
    }
  }
  ZeroMapping(const ZeroMapping&) = delete;
  ZeroMapping& operator=(const ZeroMapping&) = delete;
  const uint8_t* data() const {
    return base_ == MAP_FAILED ? nullptr : static_cast<const uint8_t*>(base_);
  }

private:
  size_t size_;
  void* base_;
};

// The largest length one update accepts, after bytes are already waiting: the engines must take
// it whole (SHA-1's running total must not wrap) and count its bits exactly.
TEST(HugeUpdate, OneUpdateOfTheLargestLengthAfterWaitingBytesMatchesLibcrypto) {
  ZeroMapping mapping(size_t{1} << 32);
  const uint8_t* zeros = mapping.data();
  ASSERT_NE(zeros, nullptr);
  const uint8_t head[5] = {'h', 'e', 'a', 'd', '!'};
  const uint32_t length = 0xffffffffu;

  Md5Context md5;
  Sha1Context sha1;
  Md5Init(&md5);
  Sha1Init(&sha1);
  ReferenceDigest referenceMd5(EVP_md5());
  ReferenceDigest referenceSha1(EVP_sha1());
  Md5Update(&md5, head, sizeof head);
  Sha1Update(&sha1, head, sizeof head);
  referenceMd5.Update(head, sizeof head);
  referenceSha1.Update(head, sizeof head);
  Md5Update(&md5, zeros, length);
  Sha1Update(&sha1, zeros, length);
  referenceMd5.Update(zeros, length);
  referenceSha1.Update(zeros, length);

  uint8_t md5Digest[16];
  uint8_t sha1Digest[20];
  Md5Final(md5Digest, &md5);
  Sha1Final(&sha1, sha1Digest);
  EXPECT_EQ(ToHex(md5Digest, 16), referenceMd5.FinalHex());
  EXPECT_EQ(ToHex(sha1Digest, 20), referenceSha1.FinalHex());
}

} // namespace

} // namespace corvane
