#include "hash/core/report.h"

#include <utility>

ReportBuilder::ReportBuilder()
    : m_text("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033"
             "{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}}\n"
             "\\viewkind4\\uc1\\pard\\f0\\fs18 ") {}

// A name holding a brace or a backslash would otherwise open a group or a control word and
// swallow the rest of the report.
void ReportBuilder::AppendName(const char* entryName) {
  for (const char* c = entryName; *c; ++c) {
    if (*c == '\\' || *c == '{' || *c == '}')
      m_text += '\\';
    m_text += *c;
  }
}

void ReportBuilder::AddDigestLine(const char* digestText, const char* entryName, bool moreEntries) {
  m_text += digestText;
  m_text += "    ";
  AppendName(entryName);
  if (moreEntries)
    m_text += "\\par\n";
}

void ReportBuilder::AddFailureLine(const char* entryName, const char* reason) {
  AppendName(entryName);
  m_text += reason;
  m_text += "\\par\n";
}

std::string ReportBuilder::Finish() {
  m_text += "\n}";
  return std::move(m_text);
}
