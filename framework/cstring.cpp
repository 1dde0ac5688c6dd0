#include "framework/cstring.h"

#include <cstdarg>
#include <cstdio>

namespace corvane {

void CString::Format(const char* format, ...) {
  if (format == nullptr) {
    m_text.clear();
    return;
  }
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length < 0) {
    m_text.clear();
  } else {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    m_text.swap(text);
  }
  va_end(args);
}

CString& CString::MakeLower() {
  for (char& ch : m_text) {
    if (ch >= 'A' && ch <= 'Z') {
      ch = static_cast<char>(ch - 'A' + 'a');
    }
  }
  return *this;
}

char* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) {
    m_text.resize(static_cast<size_t>(minLength));
  }
  return &m_text[0];
}

void CString::ReleaseBuffer() {
  m_text.resize(std::char_traits<char>::length(m_text.c_str()));
}

} // namespace corvane
