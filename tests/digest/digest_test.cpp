#include <gtest/gtest.h>

#include <cstring>

#include "tests/common/engine_traits.h"

namespace corvane {

namespace {

struct Vector {
  std::string message;
  const char* md5;
  const char* sha1;
};

// RFC 1321 A.5 in full, and the messages of FIPS 180-1's appendices.
const Vector kStandardVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    {"a", "0cc175b9c0f1b6a831c399e269772661", "86f7e437faa5a7fce15d1ddcb9eaeaea377667b8"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0",
     "c12252ceda8be8994d5fa0290a47231c1d16aae3"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b",
     "32d10c7b8cf96570ca04ce37f2a19d84240d3a89"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f", "761c457bf73b14d27e9e9265c46f4b4dda11f940"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a", "50abf5706a150990a08b2c5ea40fa0e585554732"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "8215ef0796a20bcaaae116d3876c664a",
     "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
    {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21",
     "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
};

// The alphabet repeated: lengths around the end of the first block, where padding changes shape.
std::string Alphabet(size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    text += static_cast<char>('a' + i % 26);
  }
  return text;
}

struct LengthVector {
  size_t length;
  const char* md5;
  const char* sha1;
};

const LengthVector kPaddingBoundaryVectors[] = {
    {55, "0d7ae056b2f015cd7dc67494efd658f1", "a617d006d1ca12671785098a19a87fe58443bde9"},
    {56, "31fcfb5165169eb55898e7e4cf34d19a", "4ad5bb7ae3c4024768d364b77c52128ea3cffebe"},
    {63, "1b30c0670c15e7da3c2ba7bce77ebe99", "fc8a5ab77259625085ead3ec96515b3b8d933fad"},
    {64, "a2eaf6295c32adc403865fd96a2f182b", "93249d4c2f8903ebf41ac358473148ae6ddd7042"},
    {65, "eba2cce0ca8df47e62414a736b3105a2", "cf2a63cc308225cf07b498d2309a01dd0df52f67"},
};

std::vector<uint8_t> Pattern(size_t length) {
  std::vector<uint8_t> bytes(length);
  uint32_t x = 0x2545f491u;
  for (auto& b : bytes) {
    x = x * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(x >> 24);
  }
  return bytes;
}

// The expected digest of a vector for an engine, by the engine's digest size.
template <class Engine, class V> const char* Expected(const V& v) {
  return Engine::kDigestSize == 16 ? v.md5 : v.sha1;
}

template <class Engine> class DigestEngineTest : public EngineTest<Engine> {};
TYPED_TEST_SUITE(DigestEngineTest, AllEngines);

TYPED_TEST(DigestEngineTest, StandardTestMessagesGiveTheirPublishedDigests) {
  for (const Vector& v : kStandardVectors) {
    EXPECT_EQ(DigestOf<TypeParam>(Bytes(v.message)), Expected<TypeParam>(v))
        << TypeParam::kName << " of \"" << v.message.substr(0, 80) << "\"";
  }
}

TYPED_TEST(DigestEngineTest, EmptyFileWithOneZeroLengthUpdateGivesTheEmptyDigest) {
  typename TypeParam::Context context;
  TypeParam::Init(&context);
  const uint8_t unused = 0;
  TypeParam::Update(&context, &unused, 0);
  uint8_t digest[TypeParam::kDigestSize];
  TypeParam::Final(&context, digest);
  EXPECT_EQ(ToHex(digest, sizeof digest), Expected<TypeParam>(kStandardVectors[0]));
}

TYPED_TEST(DigestEngineTest, LengthsAroundTheFirstBlockEndPadCorrectly) {
  for (const LengthVector& v : kPaddingBoundaryVectors) {
    const std::vector<uint8_t> message = Bytes(Alphabet(v.length));
    EXPECT_EQ(DigestOf<TypeParam>(message), Expected<TypeParam>(v)) << v.length << " bytes";
    EXPECT_EQ(DigestInPieces<TypeParam>(message, {1}), Expected<TypeParam>(v))
        << v.length << " bytes, one at a time";
  }
}

TYPED_TEST(DigestEngineTest, AnySplitOfAMessageGivesTheSameDigest) {
  // Long enough for several 64 KiB reads and a ragged tail.
  const std::vector<uint8_t> message = Pattern(3 * 65536 + 1000);
  const std::string whole = DigestOf<TypeParam>(message);
  const std::vector<std::vector<uint32_t>> splits = {
      {1},
      {63, 1},
      {64, 64},
      {65536},
      {0, 7, 0, 0, 64, 0, 1, 0},
      {55, 9},
      {65535, 1},
      {3, 61, 127},
      {65537},
      {0, 65536},
      {129, 0},
      {1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 377, 610, 987, 1597, 2584},
  };
  for (const auto& pieces : splits) {
    EXPECT_EQ(DigestInPieces<TypeParam>(message, pieces), whole)
        << TypeParam::kName << ", split starting with " << pieces[0];
  }
  // Every possible first cut of a short message.
  const std::vector<uint8_t> shortMessage = Pattern(200);
  const std::string shortWhole = DigestOf<TypeParam>(shortMessage);
  for (uint32_t cut = 0; cut <= shortMessage.size(); ++cut) {
    typename TypeParam::Context context;
    TypeParam::Init(&context);
    TypeParam::Update(&context, shortMessage.data(), cut);
    TypeParam::Update(&context, shortMessage.data() + cut,
                      static_cast<uint32_t>(shortMessage.size() - cut));
    uint8_t digest[TypeParam::kDigestSize];
    TypeParam::Final(&context, digest);
    EXPECT_EQ(ToHex(digest, sizeof digest), shortWhole) << "cut at " << cut;
  }
}

TYPED_TEST(DigestEngineTest, ContextIsReusableAfterInitialisingAgain) {
  typename TypeParam::Context context;
  std::memset(&context, 0xa5, sizeof context);
  uint8_t digest[TypeParam::kDigestSize];
  for (const Vector& v : kStandardVectors) {
    TypeParam::Init(&context);
    const std::vector<uint8_t> message = Bytes(v.message);
    TypeParam::Update(&context, message.data(), static_cast<uint32_t>(message.size()));
    TypeParam::Final(&context, digest);
    EXPECT_EQ(ToHex(digest, sizeof digest), Expected<TypeParam>(v));
  }
}

TEST(Md5Engine, FinalClearsTheContextAndWritesOnlyTheSixteenDigestBytes) {
  for (size_t length : {0, 3, 55, 56, 63, 64, 100}) {
    Md5Context context;
    Md5Init(&context);
    const std::vector<uint8_t> message = Pattern(length);
    Md5Update(&context, message.data(), static_cast<uint32_t>(length));

    uint8_t out[16 + 32];
    std::memset(out, 0xcc, sizeof out);
    Md5Final(out + 16, &context);

    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&context);
    for (size_t i = 0; i < sizeof context; ++i) {
      ASSERT_EQ(raw[i], 0) << "context byte " << i << " after " << length << " bytes";
    }
    for (size_t i = 0; i < 16; ++i) {
      EXPECT_EQ(out[i], 0xcc) << "byte before the digest";
      EXPECT_EQ(out[32 + i], 0xcc) << "byte after the digest";
    }
    EXPECT_EQ(ToHex(out + 16, 16), DigestOf<Md5Engine>(message));
  }
}

TEST(Md5Engine, BitCountCarriesIntoTheHighWord) {
  Md5Context context;
  Md5Init(&context);
  // As if 2^29 - 128 bytes had been absorbed: no bytes waiting, the low word 1024 bits short of
  // wrapping.
  context.bitCount[0] = 0xfffffc00u;
  const std::vector<uint8_t> message = Pattern(200);
  Md5Update(&context, message.data(), 100);
  EXPECT_EQ(context.bitCount[0], 0xfffffc00u + 800u);
  EXPECT_EQ(context.bitCount[1], 0u);
  Md5Update(&context, message.data() + 100, 100);
  EXPECT_EQ(context.bitCount[0], 0x00000240u);
  EXPECT_EQ(context.bitCount[1], 1u);
  // The waiting bytes are still read from the low word after the wrap.
  EXPECT_EQ(0, std::memcmp(context.buffer, message.data() + 192, 8));

  // The count is modulo 2^64.
  context.bitCount[0] = 0xfffffff8u;
  context.bitCount[1] = 0xffffffffu;
  Md5Update(&context, message.data(), 1);
  EXPECT_EQ(context.bitCount[0], 0u);
  EXPECT_EQ(context.bitCount[1], 0u);
}

TEST(Sha1Engine, ZeroLengthUpdateChangesNothing) {
  Sha1Context context;
  std::memset(&context, 0x5a, sizeof context);
  Sha1Init(&context);
  const std::vector<uint8_t> message = Pattern(100);
  Sha1Update(&context, message.data(), 100);
  Sha1Context before;
  std::memcpy(&before, &context, sizeof context);
  Sha1Update(&context, message.data(), 0);
  Sha1Update(&context, nullptr, 0);
  EXPECT_EQ(0, std::memcmp(&before, &context, sizeof context));
  EXPECT_EQ(context.bufferedBytes, 36);
  EXPECT_EQ(context.bitCountLow, 800u);
  EXPECT_EQ(context.bitCountHigh, 0u);
}

TEST(Sha1Engine, BitCountCarriesIntoTheHighWordAndEndsTheMessage) {
  Sha1Context context;
  Sha1Init(&context);
  context.bitCountLow = 0xffffff00u; // 32 bytes short of wrapping
  context.bitCountHigh = 6;
  const std::vector<uint8_t> message = Pattern(64);
  Sha1Update(&context, message.data(), 20);
  EXPECT_EQ(context.bitCountLow, 0xffffffa0u);
  EXPECT_EQ(context.bitCountHigh, 6u);
  Sha1Update(&context, message.data() + 20, 44);
  EXPECT_EQ(context.bitCountLow, 0x00000100u);
  EXPECT_EQ(context.bitCountHigh, 7u);
  EXPECT_EQ(context.bufferedBytes, 0);

  uint8_t digest[20];
  Sha1Final(&context, digest);
  const uint8_t length[8] = {0, 0, 0, 7, 0, 0, 1, 0};
  EXPECT_EQ(0, std::memcmp(context.buffer + 56, length, 8));
  EXPECT_EQ(context.buffer[0], 0x80);

  // The count is modulo 2^64.
  Sha1Init(&context);
  context.bitCountLow = 0xfffffff8u;
  context.bitCountHigh = 0xffffffffu;
  Sha1Update(&context, message.data(), 1);
  EXPECT_EQ(context.bitCountLow, 0u);
  EXPECT_EQ(context.bitCountHigh, 0u);
}

TEST(Sha1Engine, FinalLeavesTheLastPaddedBlockAndTheDigestWordsInTheContext) {
  for (size_t length : {55, 56, 60, 63}) {
    Sha1Context context;
    Sha1Init(&context);
    const std::vector<uint8_t> message = Pattern(length);
    Sha1Update(&context, message.data(), static_cast<uint32_t>(length));
    uint8_t out[20 + 16];
    std::memset(out, 0xcc, sizeof out);
    Sha1Final(&context, out + 8);
    for (size_t i = 0; i < 8; ++i) {
      EXPECT_EQ(out[i], 0xcc) << "byte before the digest";
      EXPECT_EQ(out[28 + i], 0xcc) << "byte after the digest";
    }

    // With 56 or more bytes the marker went into an extra block, so the last one holds only
    // zeros and the length.
    std::vector<uint8_t> last(64, 0);
    if (length < 56) {
      std::memcpy(last.data(), message.data(), length);
      last[length] = 0x80;
    }
    last[62] = static_cast<uint8_t>((length * 8) >> 8);
    last[63] = static_cast<uint8_t>(length * 8);
    EXPECT_EQ(ToHex(context.buffer, 64), ToHex(last.data(), 64)) << length << " bytes";
    for (int k = 0; k < 5; ++k) {
      const uint32_t word = static_cast<uint32_t>(out[8 + 4 * k]) << 24 |
                            static_cast<uint32_t>(out[9 + 4 * k]) << 16 |
                            static_cast<uint32_t>(out[10 + 4 * k]) << 8 | out[11 + 4 * k];
      EXPECT_EQ(context.state[k], word);
    }
  }
}

} // namespace

} // namespace corvane
