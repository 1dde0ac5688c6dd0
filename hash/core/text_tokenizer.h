#pragma once
// Splits a text into tokens at a delimiter text (a whole string, never empty).

#include "hash/core/text_string.h"

namespace corvane {

class CTextTokenizer {
public:
  CTextTokenizer(const char* text, const char* delimiter);

  bool HasMoreTokens() const { return position_ != -1; }
  // Tokens from the current position on; an occurrence of the delimiter at the very end counts.
  int CountTokens() const;
  // Stores the next token in out (empty once exhausted) and advances.
  void ReadToken(CTextString& out);

private:
  CTextString text_;
  CTextString delimiter_;
  int position_; // start of the next token, or -1 when none is left
};

} // namespace corvane
