#pragma once
// One shape for both engines so that tests can run the same checks over MD5 and SHA-1.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "hash/digest/md5.h"
#include "hash/digest/sha1.h"
#include "hash/digest/sha1_compression.h"

namespace corvane {

struct Md5Engine {
  using Context = Md5Context;
  static constexpr size_t kDigestSize = 16;
  static constexpr const char* kName = "MD5";
  static bool Available() { return true; }
  static void Init(Context* c) { Md5Init(c); }
  static void Update(Context* c, const uint8_t* p, uint32_t n) { Md5Update(c, p, n); }
  static void Final(Context* c, uint8_t* digest) { Md5Final(digest, c); }
};

struct Sha1Engine {
  using Context = Sha1Context;
  static constexpr size_t kDigestSize = 20;
  static constexpr const char* kName = "SHA-1";
  static bool Available() { return true; }
  static void Init(Context* c) { Sha1Init(c); }
  static void Update(Context* c, const uint8_t* p, uint32_t n) { Sha1Update(c, p, n); }
  static void Final(Context* c, uint8_t* digest) { Sha1Final(c, digest); }
};

// SHA-1 through one compression, forced whatever CPUID would choose, so that every path the
// processor supports runs the whole engine; tests skip the paths it does not support.
template <Sha1Compression Compression, bool (*Supported)()> struct Sha1ForcedEngine : Sha1Engine {
  static bool Available() { return Supported(); }
  class Use {
  public:
    Use() : saved_(Sha1ActiveCompression()) { Sha1ActiveCompression() = Compression; }
    ~Use() { Sha1ActiveCompression() = saved_; }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

  private:
    Sha1Compression saved_;
  };
  static void Init(Context* c) {
    Use use;
    Sha1Init(c);
  }
  static void Update(Context* c, const uint8_t* p, uint32_t n) {
    Use use;
    Sha1Update(c, p, n);
  }
  static void Final(Context* c, uint8_t* digest) {
    Use use;
    Sha1Final(c, digest);
  }
};

inline bool Always() {
  return true;
}
struct Sha1PortableEngine : Sha1ForcedEngine<Sha1CompressPortable, Always> {
  static constexpr const char* kName = "SHA-1 (portable compression)";
};
struct Sha1Ssse3Engine : Sha1ForcedEngine<Sha1CompressSsse3, CpuHasSsse3> {
  static constexpr const char* kName = "SHA-1 (SSSE3 schedule)";
};
struct Sha1Avx2Engine : Sha1ForcedEngine<Sha1CompressAvx2, CpuHasAvx2> {
  static constexpr const char* kName = "SHA-1 (AVX2 schedule)";
};
struct Sha1ShaNiEngine : Sha1ForcedEngine<Sha1CompressShaNi, CpuHasShaExtensions> {
  static constexpr const char* kName = "SHA-1 (SHA instructions)";
};

// Every engine, and SHA-1 once as CPUID chooses and once through each compression.
using AllEngines = ::testing::Types<Md5Engine, Sha1Engine, Sha1PortableEngine, Sha1Ssse3Engine,
                                    Sha1Avx2Engine, Sha1ShaNiEngine>;

// Base of the typed suites: skips the compressions this processor cannot run.
template <class Engine> class EngineTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!Engine::Available()) {
      GTEST_SKIP() << Engine::kName << " is not supported by this processor";
    }
  }
};

inline std::string ToHex(const uint8_t* bytes, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < size; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

// Feeds the message in pieces of the given sizes, taken in turn and repeated until the message
// is used up; a size of 0 is a zero-length update.
template <class Engine>
std::string DigestInPieces(const std::vector<uint8_t>& message,
                           const std::vector<uint32_t>& pieces) {
  typename Engine::Context context;
  Engine::Init(&context);
  size_t offset = 0;
  for (size_t i = 0; offset < message.size(); i = (i + 1) % pieces.size()) {
    const size_t n = std::min<size_t>(pieces[i], message.size() - offset);
    Engine::Update(&context, message.data() + offset, static_cast<uint32_t>(n));
    offset += n;
  }
  uint8_t digest[Engine::kDigestSize];
  Engine::Final(&context, digest);
  return ToHex(digest, sizeof digest);
}

template <class Engine> std::string DigestOf(const std::vector<uint8_t>& message) {
  return DigestInPieces<Engine>(message, {static_cast<uint32_t>(message.size())});
}

// The digest text of a whole message fed in one update.
template <class Engine> std::string DigestText(const std::string& message) {
  return DigestInPieces<Engine>(Bytes(message), {static_cast<uint32_t>(message.size())});
}

} // namespace corvane
