#include "hash/core/report.h"

#include <utility>

namespace corvane {

ReportBuilder::ReportBuilder()
    : text_("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033"
            "{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}}\n"
            "\\viewkind4\\uc1\\pard\\f0\\fs18 ") {}

// A name holding a brace or a backslash would otherwise open a group or a control word and
// swallow the rest of the report.
void ReportBuilder::AppendName(const char* entryName) {
  for (const char* c = entryName; *c; ++c) {
    if (*c == '\\' || *c == '{' || *c == '}')
      text_ += '\\';
    text_ += *c;
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
