#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/registrar/script_reader.h"

namespace corvane {
namespace {

// Reads every token; the last entry is the failure, if any, as "!<hresult>".
std::vector<std::string> Tokens(const std::string& text, LeadBytePredicate isLeadByte = nullptr) {
  ScriptReader reader(text.c_str(), isLeadByte);
  std::vector<std::string> tokens;
  std::string token;
  for (;;) {
    reader.SkipWhiteSpace();
    if (reader.AtEnd()) {
      return tokens;
    }
    const HResult result = reader.NextToken(token);
    if (Failed(result)) {
      tokens.push_back("!" + std::to_string(static_cast<std::uint32_t>(result)));
      return tokens;
    }
    tokens.push_back(token);
  }
}

const std::string kDispFailure = "!" + std::to_string(0x80020009u);

TEST(ScriptReader, SplitsAtTabLineFeedCarriageReturnAndBlankOnly) {
  EXPECT_EQ(Tokens("a\tb\nc\rd e"), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(Tokens("a\vb\fc"), (std::vector<std::string>{"a\vb\fc"}));
  EXPECT_EQ(Tokens("  \r\n{\r\n\t}\r\n"), (std::vector<std::string>{"{", "}"}));
}

TEST(ScriptReader, QuotedTokensKeepBlanksAndReadDoubledQuotesAsOne) {
  EXPECT_EQ(Tokens("'It''s' 'a b' '' x"), (std::vector<std::string>{"It's", "a b", "", "x"}));
  EXPECT_EQ(Tokens("''''"), (std::vector<std::string>{"'"}));
  // A quote inside a plain token is an ordinary character.
  EXPECT_EQ(Tokens("ab'c"), (std::vector<std::string>{"ab'c"}));
  // The closing quote ends the token even without white space after it.
  EXPECT_EQ(Tokens("'a'b"), (std::vector<std::string>{"a", "b"}));
}

TEST(ScriptReader, EndOfTextInsideQuotedTokenIsScriptError) {
  EXPECT_EQ(Tokens("x 'abc"), (std::vector<std::string>{"x", kDispFailure}));
  EXPECT_EQ(Tokens("'abc''"), (std::vector<std::string>{kDispFailure}));
}

TEST(ScriptReader, EndOfTextWhereTokenIsRequiredIsScriptError) {
  ScriptReader reader(" \t\r\n");
  std::string token;
  EXPECT_EQ(reader.NextToken(token), kDispException);
}

TEST(ScriptReader, TokenMustFitBufferWithItsNul) {
  EXPECT_EQ(Tokens(std::string(4095, 'a')), (std::vector<std::string>{std::string(4095, 'a')}));
  EXPECT_EQ(Tokens(std::string(4096, 'a')), (std::vector<std::string>{kDispFailure}));
  EXPECT_EQ(Tokens("'" + std::string(4095, 'q') + "'").at(0), std::string(4095, 'q'));
  EXPECT_EQ(Tokens("'" + std::string(4096, 'q') + "'"), (std::vector<std::string>{kDispFailure}));
  // A doubled quote takes one byte of the buffer.
  EXPECT_EQ(Tokens("'" + std::string(4094, 'q') + "'''").at(0), std::string(4094, 'q') + "'");
}

bool LeadByte81(unsigned char byte) {
  return byte == 0x81;
}

TEST(ScriptReader, DoubleByteCharactersAreNeverSplit) {
  // The trail byte of a double-byte character may look like a quote or white space.
  EXPECT_EQ(Tokens("'a\x81'' c", LeadByte81), (std::vector<std::string>{"a\x81'", "c"}));
  EXPECT_EQ(Tokens("a\x81 b", LeadByte81), (std::vector<std::string>{"a\x81 b"}));
  EXPECT_EQ(Tokens("a\x81 b", nullptr), (std::vector<std::string>{"a\x81", "b"}));
  // A lead byte at the very end stands alone.
  EXPECT_EQ(Tokens("a\x81", LeadByte81), (std::vector<std::string>{"a\x81"}));
}

} // namespace
} // namespace corvane
