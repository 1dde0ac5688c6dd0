#include "shell/registrar/script_reader.h"

#include "common/diagnostic_trace.h"

namespace corvane {

std::size_t ScriptReader::CharLength(const char* at) const noexcept {
  if (isLeadByte_ != nullptr && at[0] != '\0' && at[1] != '\0' &&
      isLeadByte_(static_cast<unsigned char>(at[0]))) {
    return 2;
  }
  return 1;
}

void ScriptReader::SkipWhiteSpace() noexcept {
  while (IsWhiteSpace(text_[position_])) {
    ++position_;
  }
}

HResult ScriptReader::NextToken(std::string& token) {
  token.clear();
  SkipWhiteSpace();
  if (AtEnd()) {
    return kDispException;
  }
  const char* at = text_ + position_;
  const bool quoted = *at == '\'';
  if (quoted) {
    ++at;
  }
  for (;;) {
    if (*at == '\0') {
      if (quoted) {
        Trace("NextToken : Unexpected End of File\n");
        position_ = static_cast<std::size_t>(at - text_);
        return kDispException;
      }
      break;
    }
    if (quoted && *at == '\'') {
      if (at[1] != '\'') {
        ++at;
        break;
      }
      ++at; // a doubled quote stands for one
    } else if (!quoted && IsWhiteSpace(*at)) {
      break;
    }
    const std::size_t length = CharLength(at);
    if (token.size() + length >= kTokenBufferSize) {
      return kDispException;
    }
    token.append(at, length);
    at += length;
  }
  position_ = static_cast<std::size_t>(at - text_);
  return kOk;
}

} // namespace corvane
