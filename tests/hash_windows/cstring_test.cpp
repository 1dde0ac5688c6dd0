// The framework's string: case, joining, comparing, a writable buffer.

#include "framework/cstring.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace corvane {

TEST(FrameworkCString, MakeLowerChangesOnlyCapitalLetters) {
  CString text("ABCdef0189XYZ \xC4");
  text.MakeLower();
  EXPECT_EQ(text, "abcdef0189xyz \xC4");
}

TEST(FrameworkCString, JoinsComparesAndGrows) {
  CString a("MD5 ");
  CString b = a;
  b += "Digest";
  b += '\n';
  b += CString("tail");
  EXPECT_EQ(b, "MD5 Digest\ntail");
  EXPECT_EQ(b.GetLength(), 15);
  EXPECT_TRUE(a != b);
  CString empty(nullptr);
  EXPECT_TRUE(empty.IsEmpty());
  char* buffer = empty.GetBuffer(10);
  std::snprintf(buffer, 11, "%s", "abc");
  empty.ReleaseBuffer();
  EXPECT_EQ(empty, "abc");
  EXPECT_EQ(empty.GetLength(), 3);
}

} // namespace corvane
