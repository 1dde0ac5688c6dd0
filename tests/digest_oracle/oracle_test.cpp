#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/digest_oracle/oracle.h"

namespace corvane {

namespace {

template <class Engine> class AgreesWithLibcrypto : public EngineTest<Engine> {};
TYPED_TEST_SUITE(AgreesWithLibcrypto, AllEngines);

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
  struct Path {
    const char* name;
    Sha1Compression compress;
    bool supported;
  };
  const Path paths[] = {{"SSSE3", Sha1CompressSsse3, CpuHasSsse3()},
                        {"AVX2", Sha1CompressAvx2, CpuHasAvx2()},
                        {"SHA instructions", Sha1CompressShaNi, CpuHasShaExtensions()},
                        {"without SHA instructions", Sha1CompressWithoutShaExtensions, true}};
  std::mt19937 random(180);
  // Up to five blocks: the vector paths work ahead on the next block or pair, and AVX2 takes
  // blocks in pairs with an odd one left over.
  uint8_t blocks[5 * 64];
  for (int n = 0; n < 20000; ++n) {
    uint32_t initial[5], expected[5];
    for (int i = 0; i < 5; ++i) {
      initial[i] = expected[i] = random();
    }
    for (auto& b : blocks) {
      b = static_cast<uint8_t>(random());
    }
    const size_t count = n % 6;
    Sha1CompressPortable(expected, blocks, count);
    for (const Path& path : paths) {
      if (!path.supported) {
        continue;
      }
      uint32_t state[5];
      std::copy(initial, initial + 5, state);
      path.compress(state, blocks, count);
      ASSERT_TRUE(std::equal(expected, expected + 5, state))
          << path.name << ", round " << n << ", " << count << " blocks";
    }
  }
}

} // namespace

} // namespace corvane
