// Allocation failure inside the hash module's portable core: at whichever allocation it strikes,
// std::bad_alloc leaves the batch run and the strings cleanly, with nothing leaked (the sanitizer
// checks at exit), so the export's catch-all is the one place that has to stop it.
#include "hash/core/batch_run.h"
#include "hash/core/text_tokenizer.h"

#include "tests/common/temp_folder.h"
#include "tests/doubles/fake_progress.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

namespace corvane {

namespace {

// Allocations left before the next one fails; negative: none fails.
long g_allocationsLeft = -1;

void* Allocate(std::size_t size) {
  if (g_allocationsLeft == 0)
    throw std::bad_alloc();
  if (g_allocationsLeft > 0)
    --g_allocationsLeft;
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr)
    throw std::bad_alloc();
  return block;
}

// Arms the failure for the lifetime of the object.
struct FailingAllocation {
  explicit FailingAllocation(long after) { g_allocationsLeft = after; }
  ~FailingAllocation() { g_allocationsLeft = -1; }
};

} // namespace

} // namespace corvane

// The replaceable global allocation functions, which live outside every namespace.
void* operator new(std::size_t size) {
  return corvane::Allocate(size);
}
void* operator new[](std::size_t size) {
  return corvane::Allocate(size);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}

namespace corvane {

namespace {

class NullResults : public ResultsView {
public:
  int shown = 0;
  void ShowReport(const std::string&, HashMode) override { ++shown; }
};

TEST(AllocationFailure, AtAnyAllocationTheBatchRunThrowsBadAllocAndHoldsNothing) {
  const test::TempFolder folder;
  std::string list;
  for (const char* name : {"a.txt", "b.txt"}) {
    const std::string path = folder.Path(name);
    std::ofstream(path, std::ios::binary) << std::string(70000, 'x');
    list += path + "\n";
  }
  list += folder.Path("missing.txt");

  int failures = 0;
  bool completed = false;
  for (long after = 0; after < 10000 && !completed; ++after) {
    FakeProgress progress;
    NullResults results;
    try {
      FailingAllocation failing(after);
      RunBatch(list.c_str(), after % 2 == 0 ? HashMode::ComputeMd5 : HashMode::ComputeSha1,
               progress, results);
      completed = true;
    } catch (const std::bad_alloc&) {
      ++failures;
      EXPECT_EQ(results.shown, 0);
    }
  }
  EXPECT_TRUE(completed);
  EXPECT_GT(failures, 10);
}

TEST(AllocationFailure, AStringOrTokenizerThatCannotGrowKeepsWhatItHad) {
  CTextString text("C:\\dir\\a.txt");
  CTextString padded(" x ");
  {
    FailingAllocation failing(0);
    EXPECT_THROW(text.Assign("something longer"), std::bad_alloc);
    EXPECT_THROW(padded.Trim(), std::bad_alloc);
  }
  EXPECT_STREQ(text.Text(), "C:\\dir\\a.txt");
  EXPECT_STREQ(padded.Text(), " x ");

  CTextTokenizer tokens("a\nb", "\n");
  CTextString out("old");
  {
    FailingAllocation failing(0);
    EXPECT_THROW(tokens.ReadToken(out), std::bad_alloc);
  }
  EXPECT_STREQ(out.Text(), "old");
  tokens.ReadToken(out);
  EXPECT_STREQ(out.Text(), "a");
}

} // namespace

} // namespace corvane
