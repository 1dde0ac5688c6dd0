#pragma once
// Reads the RTF subset the report builder emits back into plain text: groups, control words with
// an optional numeric parameter and their delimiting blank, the control symbols \\ \{ \} and \'hh,
// and \par as a line break. The font table is a destination whose text is not shown; carriage
// returns and line feeds in the source are not text.

#include <optional>
#include <string>
#include <vector>

namespace corvane {

namespace rtf {

inline bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

inline int HexValue(char c) {
  if (IsDigit(c))
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// The plain text of a well-formed document: one outer group opened by \rtf1, balanced groups,
// nothing after the outer group, no control symbol outside the subset. Empty when malformed.
inline std::optional<std::string> PlainText(const std::string& rtf) {
  if (rtf.compare(0, 6, "{\\rtf1") != 0)
    return std::nullopt;
  std::vector<bool> hidden{false}; // per open group: inside a destination that shows no text
  std::string text;
  bool firstWordOfGroup = true;
  std::size_t i = 1;
  while (i < rtf.size()) {
    const char c = rtf[i];
    if (hidden.empty())
      return std::nullopt; // something after the outer group closed
    const bool showing = !hidden.back();
    if (c == '{') {
      hidden.push_back(hidden.back());
      firstWordOfGroup = true;
      ++i;
      continue;
    }
    if (c == '}') {
      hidden.pop_back();
      ++i;
      firstWordOfGroup = false;
      if (hidden.empty() && i != rtf.size())
        return std::nullopt;
      continue;
    }
    if (c == '\\') {
      if (i + 1 >= rtf.size())
        return std::nullopt;
      const char next = rtf[i + 1];
      if (IsLetter(next)) {
        std::size_t end = i + 1;
        while (end < rtf.size() && IsLetter(rtf[end]))
          ++end;
        const std::string word = rtf.substr(i + 1, end - i - 1);
        if (end < rtf.size() && rtf[end] == '-')
          ++end;
        while (end < rtf.size() && IsDigit(rtf[end]))
          ++end;
        if (end < rtf.size() && rtf[end] == ' ')
          ++end; // the delimiting blank belongs to the control word
        if (word == "fonttbl" && firstWordOfGroup)
          hidden.back() = true;
        if (word == "par" && showing)
          text += '\n';
        firstWordOfGroup = false;
        i = end;
        continue;
      }
      firstWordOfGroup = false;
      if (next == '\\' || next == '{' || next == '}') {
        if (showing)
          text += next;
        i += 2;
        continue;
      }
      if (next == '\'') {
        if (i + 3 >= rtf.size() || HexValue(rtf[i + 2]) < 0 || HexValue(rtf[i + 3]) < 0)
          return std::nullopt;
        if (showing)
          text += static_cast<char>(HexValue(rtf[i + 2]) * 16 + HexValue(rtf[i + 3]));
        i += 4;
        continue;
      }
      return std::nullopt;
    }
    firstWordOfGroup = false;
    if (c != '\r' && c != '\n' && showing)
      text += c;
    ++i;
  }
  if (!hidden.empty())
    return std::nullopt;
  return text;
}

} // namespace rtf

} // namespace corvane
