#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/digest_oracle/oracle.h"

namespace {

template <class Engine> class AgreesWithLibcrypto : public ::testing::Test {};
using Engines = ::testing::Types<Md5Engine, Sha1Engine, Sha1PortableEngine>;
TYPED_TEST_SUITE(AgreesWithLibcrypto, Engines);

TYPED_TEST(AgreesWithLibcrypto, RandomMessagesInRandomSplits) {
  std::mt19937_64 random(20040401);
  std::vector<uint8_t> message;
  for (int n = 0; n < 4000; ++n) {
    // Mostly short messages, where the padding cases are; now and then one of several blocks.
    const size_t length = random() % 8 == 0 ? random() % 70000 : random() % 300;
    message.resize(length);
    for (auto& b : message) {
      b = static_cast<uint8_t>(random());
    }
    // Piece sizes around the block size, zero-length updates included.
    std::vector<uint32_t> pieces(1 + random() % 6);
    for (auto& p : pieces) {
      const int kind = static_cast<int>(random() % 4);
      p = static_cast<uint32_t>(kind == 0   ? random() % 4
                                : kind == 1 ? 60 + random() % 9
                                : kind == 2 ? random() % 200
                                            : random() % 70000);
    }
    if (std::all_of(pieces.begin(), pieces.end(), [](uint32_t p) { return p == 0; })) {
      pieces.push_back(1);
    }
    ASSERT_EQ(DigestInPieces<TypeParam>(message, pieces),
              ReferenceHex<TypeParam>(message.data(), message.size()))
        << TypeParam::kName << ", message " << n << " of " << length << " bytes";
  }
}

TYPED_TEST(AgreesWithLibcrypto, EveryLengthUpToFiveBlocksInOneUpdate) {
  std::mt19937_64 random(1321);
  std::vector<uint8_t> message(5 * 64 + 1);
  for (auto& b : message) {
    b = static_cast<uint8_t>(random());
  }
  for (size_t length = 0; length <= message.size(); ++length) {
    const std::vector<uint8_t> prefix(message.begin(), message.begin() + length);
    ReferenceDigest reference(ReferenceMd(static_cast<TypeParam*>(nullptr)));
    reference.Update(prefix.data(), prefix.size());
    EXPECT_EQ(DigestInPieces<TypeParam>(prefix, {static_cast<uint32_t>(length + 1)}),
              reference.FinalHex())
        << TypeParam::kName << ", length " << length;
  }
}

TEST(Sha1Compressions, AgreeBitForBitOnRandomStatesAndBlocks) {
  if (!CpuHasShaExtensions()) {
    GTEST_SKIP() << "this processor has no SHA instructions";
  }
  std::mt19937 random(180);
  uint8_t blocks[3 * 64];
  for (int n = 0; n < 20000; ++n) {
    uint32_t portable[5], instructions[5];
    for (int i = 0; i < 5; ++i) {
      portable[i] = instructions[i] = random();
    }
    for (auto& b : blocks) {
      b = static_cast<uint8_t>(random());
    }
    const size_t count = 1 + n % 3;
    Sha1CompressPortable(portable, blocks, count);
    Sha1CompressShaNi(instructions, blocks, count);
    ASSERT_TRUE(std::equal(portable, portable + 5, instructions)) << "round " << n;
  }
}

} // namespace
