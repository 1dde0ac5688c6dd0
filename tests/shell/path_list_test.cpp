// The path list on its own: joining, the capacity bound and the cut before the hash call.
#include "shell/core/path_list.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace corvane {
namespace {

void Append(PathList& list, const std::string& path) {
  list.Append(path.data(), path.size());
}

TEST(PathList, StartsEmptyAndJoinsPathsWithLineFeeds) {
  auto list = std::make_unique<PathList>();
  EXPECT_TRUE(list->Empty());
  EXPECT_STREQ("", list->Text());
  Append(*list, "P");
  Append(*list, "Q");
  Append(*list, "R");
  EXPECT_STREQ("P\nQ\nR\n", list->Text());
  list->CutFinalLineFeed();
  EXPECT_STREQ("P\nQ\nR", list->Text());
  list->CutFinalLineFeed();
  EXPECT_STREQ("P\nQ\nR", list->Text()) << "a second cut keeps the last path";
  list->Clear();
  EXPECT_TRUE(list->Empty());
  list->CutFinalLineFeed();
  EXPECT_STREQ("", list->Text());
}

TEST(PathList, RefusesAPathThatWouldNotFitWithItsLineFeedAndTheNul) {
  auto list = std::make_unique<PathList>();
  const std::string path(259, 'p');
  std::size_t kept = 0;
  while (list->Append(path.data(), path.size())) {
    ++kept;
  }
  EXPECT_EQ(32767u, kept);
  EXPECT_EQ(32767u * 260, list->Length());
  EXPECT_EQ('\0', list->Text()[list->Length()]);

  // The remaining 260 bytes take a path of 258 characters, its line feed and the NUL exactly.
  EXPECT_FALSE(list->Append(path.data(), 259));
  EXPECT_TRUE(list->Append(path.data(), 258));
  EXPECT_EQ(PathList::kCapacity - 1, list->Length());
  EXPECT_FALSE(list->Append("", 0)) << "not even a bare line feed fits now";
  EXPECT_EQ('\n', list->Text()[PathList::kCapacity - 2]);
}

} // namespace
} // namespace corvane
