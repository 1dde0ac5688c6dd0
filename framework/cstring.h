#pragma once
// The framework's 8-bit growable string: every text shown to the user and the report itself.

#include <string>

namespace corvane {

class CString {
public:
  CString() = default;
  CString(const char* text) : m_text(text != nullptr ? text : "") {}
  CString(const std::string& text) : m_text(text) {}

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }
  operator const char*() const { return m_text.c_str(); }
  const char* GetString() const { return m_text.c_str(); }
  const std::string& Str() const { return m_text; }

  CString& operator+=(const CString& other) {
    m_text += other.m_text;
    return *this;
  }
  CString& operator+=(const char* text) {
    if (text != nullptr) {
      m_text += text;
    }
    return *this;
  }
  CString& operator+=(char ch) {
    m_text += ch;
    return *this;
  }

  // Lower-cases A to Z only; other bytes stay as they are.
  CString& MakeLower();

  // Writable buffer of at least minLength characters; ReleaseBuffer cuts at the first NUL.
  char* GetBuffer(int minLength);
  void ReleaseBuffer();

  friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
  friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

private:
  std::string m_text;
};

} // namespace corvane
