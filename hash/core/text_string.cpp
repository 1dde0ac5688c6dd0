#include "hash/core/text_string.h"

#include <cstring>

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

CTextString::CTextString() : m_text(new char[1]{'\0'}), m_length(0) {}

CTextString::CTextString(const char* text) : CTextString() {
  Assign(text);
}

CTextString::CTextString(const CTextString& other) : CTextString() {
  Assign(other);
}

CTextString::~CTextString() {
  delete[] m_text;
}

CTextString& CTextString::Assign(const char* text) {
  Replace(text, TextLength(text));
  return *this;
}

CTextString& CTextString::Assign(const CTextString& other) {
  Replace(other.m_text, other.m_length);
  return *this;
}

// Copies before releasing, so assigning a string its own text is safe.
void CTextString::Replace(const char* text, int length) {
  char* fresh = new char[length + 1];
  if (length > 0)
    std::memcpy(fresh, text, length);
  fresh[length] = '\0';
  delete[] m_text;
  m_text = fresh;
  m_length = length;
}

int CTextString::Find(const char* pattern, int start) const {
  if (start < 0 || !pattern)
    return -1;
  const int length = Length();
  const int patternLength = TextLength(pattern);
  if (patternLength > length)
    return -1;
  for (int i = start; i <= length - patternLength; ++i) {
    if (std::memcmp(m_text + i, pattern, patternLength) == 0)
      return i;
  }
  return -1;
}

CTextString CTextString::Right(int count) const {
  const int length = Length();
  count = Clamp(count, 0, length);
  CTextString result;
  result.Replace(m_text + length - count, count);
  return result;
}

CTextString CTextString::Mid(int start, int count) const {
  const int length = Length();
  start = Clamp(start, 0, length);
  count = Clamp(count, 0, length - start);
  CTextString result;
  result.Replace(m_text + start, count);
  return result;
}

CTextString CTextString::Mid(int start) const {
  return Mid(start, Length());
}

void CTextString::Trim() {
  const int length = Length();
  int first = 0;
  while (first < length && IsTrimmed(m_text[first]))
    ++first;
  int end = length;
  while (end > first && IsTrimmed(m_text[end - 1]))
    --end;
  if (first == 0 && end == length)
    return;
  Replace(m_text + first, end - first);
}
