#include "hash/core/text_string.h"

#include <cstring>

namespace corvane {

namespace {

int TextLength(const char* text) {
  return text ? static_cast<int>(std::strlen(text)) : 0;
}

int Clamp(int value, int lower, int upper) {
  return value < lower ? lower : (value > upper ? upper : value);
}

bool IsTrimmed(char c) {
  return c == ' ' || c == '\r' || c == '\n' || c == '\f' || c == '\t';
}

} // namespace

CTextString::CTextString() : text_(new char[1]{'\0'}), length_(0) {}

CTextString::CTextString(const char* text) : CTextString() {
  Assign(text);
}

CTextString::CTextString(const CTextString& other) : CTextString() {
  Assign(other);
}

CTextString::~CTextString() {
  delete[] text_;
}

CTextString& CTextString::Assign(const char* text) {
  Replace(text, TextLength(text));
  return *this;
}

CTextString& CTextString::Assign(const CTextString& other) {
  Replace(other.text_, other.length_);
  return *this;
}

// Copies before releasing, so assigning a string its own text is safe.
void CTextString::Replace(const char* text, int length) {
  char* fresh = new char[length + 1];
  if (length > 0)
    std::memcpy(fresh, text, length);
  fresh[length] = '\0';
  delete[] text_;
  text_ = fresh;
  length_ = length;
}

int CTextString::Find(const char* pattern, int start) const {
  if (start < 0 || !pattern)
    return -1;
  const int length = Length();
  const int patternLength = TextLength(pattern);
  if (patternLength > length)
    return -1;
  for (int i = start; i <= length - patternLength; ++i) {
    if (std::memcmp(text_ + i, pattern, patternLength) == 0)
      return i;
  }
  return -1;
}

CTextString CTextString::Right(int count) const {
  const int length = Length();
  count = Clamp(count, 0, length);
  CTextString result;
  result.Replace(text_ + length - count, count);
  return result;
}

CTextString CTextString::Mid(int start, int count) const {
  const int length = Length();
  start = Clamp(start, 0, length);
  count = Clamp(count, 0, length - start);
  CTextString result;
  result.Replace(text_ + start, count);
  return result;
}

CTextString CTextString::Mid(int start) const {
  return Mid(start, Length());
}

void CTextString::Trim() {
  const int length = Length();
  int first = 0;
  while (first < length && IsTrimmed(text_[first]))
    ++first;
  int end = length;
  while (end > first && IsTrimmed(text_[end - 1]))
    --end;
  if (first == 0 && end == length)
    return;
  Replace(text_ + first, end - first);
}

} // namespace corvane
