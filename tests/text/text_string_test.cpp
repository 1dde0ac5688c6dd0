#include "hash/core/text_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace corvane {

namespace {

std::string S(const CTextString& text) {
  return text.Text();
}

TEST(TextString, ConstructionCopiesAndNullIsEmpty) {
  const char source[] = "C:\\dir\\a.txt";
  CTextString copy(source);
  EXPECT_NE(copy.Text(), source);
  EXPECT_EQ(S(copy), source);
  EXPECT_EQ(copy.Length(), 12);

  const CTextString fromNull(nullptr);
  ASSERT_NE(fromNull.Text(), nullptr);
  EXPECT_EQ(fromNull.Length(), 0);
  const CTextString empty;
  EXPECT_STREQ(empty.Text(), "");

  CTextString deep(copy);
  copy.Assign("other");
  EXPECT_EQ(S(deep), source);
  deep.Assign(static_cast<const char*>(nullptr));
  EXPECT_EQ(S(deep), "");
}

TEST(TextString, AssigningItsOwnTextOrItselfLeavesItUnchanged) {
  CTextString text("same text");
  text.Assign(text.Text());
  EXPECT_EQ(S(text), "same text");
  text.Assign(text);
  EXPECT_EQ(S(text), "same text");
  text = text;
  EXPECT_EQ(S(text), "same text");
}

TEST(TextString, FindFollowsItsRules) {
  const CTextString text("a\nb\nc");
  EXPECT_EQ(text.Find("\n", 0), 1);
  EXPECT_EQ(text.Find("\n", 2), 3);
  EXPECT_EQ(text.Find("\n", 4), -1);
  EXPECT_EQ(text.Find("b", -1), -1);
  EXPECT_EQ(text.Find("a\nb\nc\n", 0), -1);
  EXPECT_EQ(CTextString("no line feed").Find("\n", 0), -1);
  // An empty pattern is found at the start itself while that is within the text.
  EXPECT_EQ(text.Find("", 2), 2);
  EXPECT_EQ(text.Find("", 5), 5);
  EXPECT_EQ(text.Find("", 6), -1);
  EXPECT_EQ(CTextString("xabab").Find("ab", 2), 3);
}

TEST(TextString, RightAndMidTakeTheirRanges) {
  const CTextString path("C:\\dir\\a.txt");
  EXPECT_EQ(S(path.Right(3)), "txt");
  EXPECT_EQ(S(path.Right(0)), "");
  EXPECT_EQ(S(path.Right(12)), "C:\\dir\\a.txt");
  EXPECT_EQ(S(path.Mid(3, 3)), "dir");
  EXPECT_EQ(S(path.Mid(7)), "a.txt");
  EXPECT_EQ(S(path.Mid(7, 100)), "a.txt");
  EXPECT_EQ(S(path.Mid(12)), "");
}

TEST(TextString, RightAndMidOutsideTheirRangesClampToTheText) {
  const CTextString text("abcdef");
  EXPECT_EQ(S(text.Right(100)), "abcdef");
  EXPECT_EQ(S(text.Right(-4)), "");
  EXPECT_EQ(S(text.Mid(-3, 2)), "ab");
  EXPECT_EQ(S(text.Mid(4, -1)), "");
  EXPECT_EQ(S(text.Mid(10, 2)), "");
  EXPECT_EQ(S(text.Mid(10)), "");
  EXPECT_EQ(S(text.Mid(-1)), "abcdef");
}

TEST(TextString, TrimRemovesTheFiveWhiteCharactersAtBothEndsOnly) {
  struct Case {
    const char* input;
    const char* trimmed;
  } cases[] = {
      {" \tx y\r\n", "x y"},
      {"     ", ""},
      {"\vx", "\vx"},
      {"", ""},
      {"\f\nC:\\a.txt\n  \t", "C:\\a.txt"},
      {"a\n \nb", "a\n \nb"},
      {"\xa0x\xa0", "\xa0x\xa0"},
      {"x", "x"},
  };
  for (const Case& c : cases) {
    CTextString text(c.input);
    text.Trim();
    EXPECT_EQ(S(text), c.trimmed) << "input: " << c.input;
    EXPECT_EQ(text.Length(), static_cast<int>(std::strlen(c.trimmed)));
  }
}

} // namespace

} // namespace corvane
