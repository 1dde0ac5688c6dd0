// The report as the results window shows it: streamed as RTF into a real rich-text control, names
// full of RTF-special and 8-bit characters come back as exactly the lines they were given.
#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "hash/core/report.h"

namespace corvane {

namespace {

const char kDigest[] = "900150983cd24fb0d6963f7d28e17f72";

const std::vector<std::string> kNames = {
    "plain.txt",
    "x{y}z.txt",
    "back\\slash",
    "}{",
    "\\par not a break",
    "\\'41 not A",
    "\\fs99 big",
    "{\\rtf1 inner}",
    "caf\xe9.txt",
    "\xe4\xf6\xfc\xdf \xc6\xd8",
    "\xa9\xae\xb1",
    "  two blanks",
    "-5 and 12",
    "semi;colon",
    "trailing\\",
    "{\\*\\fonttbl}",
    "\\\\server\\x",
    "dollar $ & ~ %",
    "",
    "last",
};

struct StreamSource {
  const std::string* text;
  size_t offset;
};

DWORD CALLBACK ReadReport(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const size_t left = source->text->size() - source->offset;
  const size_t count = left < static_cast<size_t>(size) ? left : static_cast<size_t>(size);
  std::memcpy(buffer, source->text->data() + source->offset, count);
  source->offset += count;
  *read = static_cast<LONG>(count);
  return 0;
}

// What the control holds after the report is streamed in, as WM_GETTEXT gives it.
std::string ShownText(const char* library, const char* windowClass, const std::string& report) {
  HMODULE module = LoadLibraryA(library);
  EXPECT_NE(module, nullptr) << library;
  if (module == nullptr)
    return "";
  HWND edit = CreateWindowExA(0, windowClass, "", ES_MULTILINE | ES_READONLY | WS_POPUP, 0, 0, 400,
                              300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  EXPECT_NE(edit, nullptr) << windowClass;
  std::string shown;
  if (edit != nullptr) {
    SendMessageA(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    StreamSource source{&report, 0};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadReport};
    SendMessageA(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    const LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    shown.assign(static_cast<size_t>(length) + 1, '\0');
    const LRESULT got =
        SendMessageA(edit, WM_GETTEXT, shown.size(), reinterpret_cast<LPARAM>(&shown[0]));
    shown.resize(static_cast<size_t>(got));
    DestroyWindow(edit);
  }
  FreeLibrary(module);
  return shown;
}

// Every name once as a digest line and once as a failure line; lines are separated by CR LF, and
// the paragraph break that ends the last failure line is the control's own final one.
void BuildReport(std::string* report, std::string* expected) {
  ReportBuilder builder;
  std::vector<std::string> lines;
  for (size_t i = 0; i < kNames.size(); ++i) {
    builder.AddFailureLine(kNames[i].c_str(), kCouldNotOpenFile);
    lines.push_back(kNames[i] + kCouldNotOpenFile);
  }
  for (size_t i = 0; i < kNames.size(); ++i) {
    builder.AddDigestLine(kDigest, kNames[i].c_str(), i + 1 < kNames.size());
    lines.push_back(std::string(kDigest) + "    " + kNames[i]);
  }
  *report = builder.Finish();
  expected->clear();
  for (size_t i = 0; i < lines.size(); ++i)
    *expected += lines[i] + (i + 1 < lines.size() ? "\r\n" : "");
}

TEST(ReportInRichEdit, NamesWithRtfSpecialAndEightBitCharactersShowExactlyAsGiven) {
  std::string report;
  std::string expected;
  BuildReport(&report, &expected);
  EXPECT_EQ(ShownText("riched32.dll", "RICHEDIT", report), expected);
  EXPECT_EQ(ShownText("riched20.dll", "RichEdit20A", report), expected);
}

TEST(ReportInRichEdit, AFailureLineLastEndsTheTextWithoutAnEmptyLine) {
  ReportBuilder builder;
  builder.AddDigestLine(kDigest, "a{b}.txt", true);
  builder.AddFailureLine("\\c.txt", kCouldNotOpenFile);
  const std::string expected = std::string(kDigest) + "    a{b}.txt\r\n\\c.txt" + kCouldNotOpenFile;
  EXPECT_EQ(ShownText("riched32.dll", "RICHEDIT", builder.Finish()), expected);
}

// A selection of 100,000 files: every line reaches the view. Prints how long the load took.
TEST(ReportInRichEdit, AReportOfAHundredThousandLinesLoadsWhole) {
  const size_t count = 100000;
  ReportBuilder builder;
  std::string expected;
  for (size_t i = 0; i < count; ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    builder.AddFailureLine(name.c_str(), kCouldNotOpenFile);
    expected += name + kCouldNotOpenFile + (i + 1 < count ? "\r\n" : "");
  }
  const std::string report = builder.Finish();
  const DWORD start = GetTickCount();
  const std::string shown = ShownText("riched32.dll", "RICHEDIT", report);
  std::printf("%zu lines: %lu ms\n", count, GetTickCount() - start);
  EXPECT_EQ(shown, expected);
}

} // namespace

} // namespace corvane
