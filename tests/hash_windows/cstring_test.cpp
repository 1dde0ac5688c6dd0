// The framework's string: printf-style formatting with 64-bit counts, case, joining, comparing.

#include "framework/cstring.h"

#include <gtest/gtest.h>

namespace corvane {

TEST(FrameworkCString, FormatPrintsSixtyFourBitCountsWithI64i) {
  CString text;
  text.Format("%I64i bytes", 5000000000LL);
  EXPECT_EQ(text, "5000000000 bytes");
  text.Format("%I64i", -1LL);
  EXPECT_EQ(text, "-1");
  text.Format("File %i of %i", 2, 5);
  EXPECT_EQ(text, "File 2 of 5");
  text.Format("%s", std::string(5000, 'x').c_str());
  EXPECT_EQ(text.GetLength(), 5000);
}

TEST(FrameworkCString, MakeLowerChangesOnlyCapitalLetters) {
  CString text("ABCdef0189XYZ \xC4");
  text.MakeLower();
  EXPECT_EQ(text, "abcdef0189xyz \xC4");
}

TEST(FrameworkCString, JoinsComparesAndGrows) {
  CString a("MD5 ");
  CString b = a + "Digest";
  b += '\n';
  b += CString("tail");
  EXPECT_EQ(b, "MD5 Digest\ntail");
  EXPECT_EQ(b.GetLength(), 15);
  EXPECT_TRUE(a != b);
  EXPECT_TRUE(a < b);
  CString empty(nullptr);
  EXPECT_TRUE(empty.IsEmpty());
  char* buffer = empty.GetBuffer(10);
  std::snprintf(buffer, 11, "%s", "abc");
  empty.ReleaseBuffer();
  EXPECT_EQ(empty, "abc");
  EXPECT_EQ(empty.GetLength(), 3);
}

} // namespace corvane
