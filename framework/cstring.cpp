#include "framework/cstring.h"

namespace corvane {

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
