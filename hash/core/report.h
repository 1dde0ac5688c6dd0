#pragma once
// The RTF report of a batch run: a prologue, one line per listed file, an epilogue.

#include "hash/core/code_page.h"

#include <string>

namespace corvane {

class ReportBuilder {
public:
  // Names are bytes of codePage, which the prologue declares along with its font charset.
  explicit ReportBuilder(const AnsiCodePage& codePage = kWesternCodePage);

  // A file read to its end; moreEntries adds the paragraph break that separates it from the next.
  void AddDigestLine(const char* digestText, const char* entryName, bool moreEntries);
  // A file that could not be opened or read: the entry name, the reason and a paragraph break.
  void AddFailureLine(const char* entryName, const char* reason);
  // Appends the epilogue and hands the finished report over.
  std::string Finish();

private:
  void AppendName(const char* entryName);

  AnsiCodePage codePage_;
  std::string text_;
};

constexpr const char kCouldNotOpenFile[] = " Could not open file";
constexpr const char kCouldNotReadFile[] = " Could not read file";

} // namespace corvane
