#include "hash/core/report.h"

#include <cstdio>
#include <utility>

namespace corvane {

ReportBuilder::ReportBuilder(const AnsiCodePage& codePage) : codePage_(codePage) {
  char prologue[160];
  std::snprintf(prologue, sizeof prologue,
                "{\\rtf1\\ansi\\ansicpg%u\\deff0\\deflang1033"
                "{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset%u Courier New;}}\n"
                "\\viewkind4\\uc1\\pard\\f0\\fs18 ",
                static_cast<unsigned>(codePage_.number), static_cast<unsigned>(codePage_.charset));
  text_ = prologue;
}

// A name holding a brace or a backslash would otherwise open a group or a control word and
// swallow the rest of the report. Off the Western page every byte of 0x80 and above, and both
// bytes of a double-byte character, go as hexadecimal escapes: a second byte may be a backslash
// or a brace, and a reader meeting raw 8-bit text may take it for another page's. Carriage
// returns and line feeds stay raw, so that a reader shows none, as on the Western page.
void ReportBuilder::AppendName(const char* entryName) {
  static constexpr char kHex[] = "0123456789abcdef";
  const bool escapeEightBit = codePage_.number != kWesternCodePage.number;
  for (const char* c = entryName; *c;) {
    const int length = codePage_.CharLength(c);
    for (const char* end = c + length; c != end; ++c) {
      const auto byte = static_cast<unsigned char>(*c);
      if (escapeEightBit && (length == 2 || byte >= 0x80) && byte != '\r' && byte != '\n') {
        text_ += "\\'";
        text_ += kHex[byte >> 4];
        text_ += kHex[byte & 0x0f];
        continue;
      }
      if (*c == '\\' || *c == '{' || *c == '}')
        text_ += '\\';
      text_ += *c;
    }
  }
}

void ReportBuilder::AddDigestLine(const char* digestText, const char* entryName, bool moreEntries) {
  text_ += digestText;
  text_ += "    ";
  AppendName(entryName);
  if (moreEntries)
    text_ += "\\par\n";
}

void ReportBuilder::AddFailureLine(const char* entryName, const char* reason) {
  AppendName(entryName);
  text_ += reason;
  text_ += "\\par\n";
}

std::string ReportBuilder::Finish() {
  text_ += "\n}";
  return std::move(text_);
}

} // namespace corvane
