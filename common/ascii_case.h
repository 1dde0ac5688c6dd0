// Letter case of ASCII text. The texts compared (digests, registry names and keywords) are 8-bit in
// the ANSI code page, so bytes from 0x80 up are never letters here, and no locale decides.
#pragma once

namespace corvane {

constexpr char LowerAscii(char ch) noexcept {
  return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

// ASCII letters compare without case; every other byte must be equal.
inline bool EqualsNoCase(const char* left, const char* right) noexcept {
  for (;; ++left, ++right) {
    if (LowerAscii(*left) != LowerAscii(*right)) {
      return false;
    }
    if (*left == '\0') {
      return true;
    }
  }
}

} // namespace corvane
