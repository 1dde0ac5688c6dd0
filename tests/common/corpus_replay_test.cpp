// Replays a fuzz target's committed corpus (CORVANE_FUZZ_CORPUS) as an ordinary test.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace corvane {

namespace {

// Every committed input passes the fuzz target's own checks under the sanitizers.
TEST(FuzzCorpus, EveryCommittedInputPassesTheTargetsChecks) {
  std::size_t inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(CORVANE_FUZZ_CORPUS)) {
    if (!entry.is_regular_file())
      continue;
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                          std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
    ++inputs;
  }
  EXPECT_GE(inputs, 10u);
}

} // namespace

} // namespace corvane
