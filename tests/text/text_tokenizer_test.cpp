#include "hash/core/text_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane {

namespace {

std::vector<std::string> ReadAll(CTextTokenizer& tokenizer) {
  std::vector<std::string> tokens;
  CTextString token;
  while (tokenizer.HasMoreTokens()) {
    tokenizer.ReadToken(token);
    tokens.push_back(token.Text());
  }
  return tokens;
}

using Tokens = std::vector<std::string>;

TEST(TextTokenizer, SplitsAtEveryDelimiterAndCountsBeforeReading) {
  struct Case {
    const char* text;
    int count;
    Tokens tokens;
  } cases[] = {
      {"a\nb", 2, {"a", "b"}},
      {"\na", 2, {"", "a"}},
      {"a\n\nb", 3, {"a", "", "b"}},
      // A delimiter that ends the text is counted, but no empty token follows it.
      {"a\n", 2, {"a"}},
      {"", 0, {}},
      {"single", 1, {"single"}},
      {"\n", 2, {""}},
  };
  for (const Case& c : cases) {
    CTextTokenizer tokenizer(c.text, "\n");
    EXPECT_EQ(tokenizer.CountTokens(), c.count) << c.text;
    EXPECT_EQ(ReadAll(tokenizer), c.tokens) << c.text;
    EXPECT_FALSE(tokenizer.HasMoreTokens());
    EXPECT_EQ(tokenizer.CountTokens(), 0);
  }
}

TEST(TextTokenizer, AMultiCharacterDelimiterMatchesOnlyAsAWhole) {
  CTextTokenizer tokenizer("a\rb\r\nc\nd\r\n\r\ne", "\r\n");
  EXPECT_EQ(tokenizer.CountTokens(), 4);
  EXPECT_EQ(ReadAll(tokenizer), (Tokens{"a\rb", "c\nd", "", "e"}));
}

TEST(TextTokenizer, CountingDoesNotMoveAndCountsFromThePosition) {
  CTextTokenizer tokenizer("x\ny\nz", "\n");
  CTextString token;
  tokenizer.ReadToken(token);
  EXPECT_EQ(tokenizer.CountTokens(), 2);
  EXPECT_EQ(tokenizer.CountTokens(), 2);
  tokenizer.ReadToken(token);
  EXPECT_STREQ(token.Text(), "y");
}

TEST(TextTokenizer, ReadingWhenExhaustedGivesTheEmptyString) {
  CTextTokenizer tokenizer("", "\n");
  EXPECT_FALSE(tokenizer.HasMoreTokens());
  CTextString token("left over");
  tokenizer.ReadToken(token);
  EXPECT_STREQ(token.Text(), "");
}

TEST(TextTokenizer, KeepsItsOwnCopies) {
  std::string text = "p\nq";
  std::string delimiter = "\n";
  CTextTokenizer tokenizer(text.c_str(), delimiter.c_str());
  text.assign("zzzzzzzz");
  delimiter.assign("z");
  EXPECT_EQ(ReadAll(tokenizer), (Tokens{"p", "q"}));
}

} // namespace

} // namespace corvane
