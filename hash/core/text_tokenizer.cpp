#include "hash/core/text_tokenizer.h"

namespace corvane {

CTextTokenizer::CTextTokenizer(const char* text, const char* delimiter)
    : text_(text), delimiter_(delimiter), position_(text_.Length() == 0 ? -1 : 0) {}

int CTextTokenizer::CountTokens() const {
  if (text_.Length() == 0 || position_ == -1)
    return 0;
  // An empty delimiter would never advance.
  const int step = delimiter_.Length() > 0 ? delimiter_.Length() : 1;
  int count = 1;
  for (int d = text_.Find(delimiter_.Text(), position_); d != -1;
       d = text_.Find(delimiter_.Text(), d + step))
    ++count;
  return count;
}

void CTextTokenizer::ReadToken(CTextString& out) {
  if (position_ == -1) {
    out.Assign("");
    return;
  }
  const int delimiterLength = delimiter_.Length();
  const int d = delimiterLength > 0 ? text_.Find(delimiter_.Text(), position_) : -1;
  if (d == -1) {
    out = text_.Mid(position_);
    position_ = -1;
    return;
  }
  out = text_.Mid(position_, d - position_);
  // No empty token follows a delimiter that ends the text.
  position_ = d == text_.Length() - delimiterLength ? -1 : d + delimiterLength;
}

} // namespace corvane
