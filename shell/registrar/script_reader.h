// Reading position in an expanded registration script, and its tokenizer.
#pragma once

#include <cstddef>
#include <string>

#include "shell/registrar/hresult.h"

namespace corvane {

// Whether a byte starts a double-byte character in the script's code page.
using LeadBytePredicate = bool (*)(unsigned char byte);

inline constexpr std::size_t kTokenBufferSize = 4096;

class ScriptReader {
public:
  // The text must stay alive and unchanged while it is read; it ends at its first NUL.
  explicit ScriptReader(const char* text = "", LeadBytePredicate isLeadByte = nullptr) noexcept
      : text_(text), isLeadByte_(isLeadByte) {}

  void Reset(const char* text) noexcept {
    text_ = text;
    position_ = 0;
  }

  // Reads one token: a quoted token ('It''s' reads It's) or a run up to white space. A token
  // must fit the token buffer with its NUL.
  HResult NextToken(std::string& token);
  void SkipWhiteSpace() noexcept;
  bool AtEnd() const noexcept { return text_[position_] == '\0'; }

  std::size_t Position() const noexcept { return position_; }
  void SetPosition(std::size_t position) noexcept { position_ = position; }

  // Bytes of the character at `at`: 2 for a lead byte followed by a trail byte, else 1.
  std::size_t CharLength(const char* at) const noexcept;

  static bool IsWhiteSpace(char c) noexcept {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
  }

private:
  const char* text_;
  std::size_t position_ = 0;
  LeadBytePredicate isLeadByte_;
};

} // namespace corvane
