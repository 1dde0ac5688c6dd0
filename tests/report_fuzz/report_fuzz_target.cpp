// Fuzz target for the report builder: for any entry names, in the Western code page and in a
// double-byte one, the report is well-formed RTF whose plain text is exactly the lines it was
// given. libFuzzer drives it in tools/fuzz.sh; the test run replays the committed corpus
// through it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "hash/core/report.h"
#include "tests/report_fuzz/rtf_reader.h"

namespace corvane {

namespace {

void Require(bool condition) {
  if (!condition)
    std::abort();
}

// Shift-JIS, whose second bytes include the backslash and the braces.
constexpr AnsiCodePage kJapanese{932, 128, {0x81, 0x9f, 0xe0, 0xfc}};
const char kWesternFontTable[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0"
                                 "\\fmodern\\fprq1\\fcharset0 Courier New;}}\n";
const char kJapaneseFontTable[] = "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033{\\fonttbl{\\f0"
                                  "\\fmodern\\fprq1\\fcharset128 Courier New;}}\n";
const std::string kBodyStart = "\\viewkind4\\uc1\\pard\\f0\\fs18 ";
const char* const kDigests[] = {"d41d8cd98f00b204e9800998ecf8427e",
                                "da39a3ee5e6b4b0d3255bfef95601890afd80709", ""};

// What a reader shows of a name: every byte but carriage returns and line feeds, which RTF does
// not take as text.
std::string Shown(const std::string& name) {
  std::string shown;
  for (char c : name)
    if (c != '\r' && c != '\n')
      shown += c;
  return shown;
}

} // namespace

// Input: entries separated by NUL bytes; each entry is one control byte (bits 0-1: digest line
// with one of the digests, or a failure line; bit 2: paragraph break after a digest line; bit 3:
// which failure reason) followed by the entry name.
void Check(const std::string& input, const AnsiCodePage& codePage, const std::string& prologue) {
  ReportBuilder report(codePage);
  std::string expected;
  std::size_t at = 0;
  while (at < input.size()) {
    std::size_t end = input.find('\0', at);
    if (end == std::string::npos)
      end = input.size();
    const unsigned control = static_cast<unsigned char>(input[at]);
    const std::string name = input.substr(at + 1, end > at ? end - at - 1 : 0);
    at = end + 1;
    if ((control & 3) == 3) {
      const char* reason = (control & 8) ? kCouldNotReadFile : kCouldNotOpenFile;
      report.AddFailureLine(name.c_str(), reason);
      expected += Shown(name) + reason + "\n";
    } else {
      const char* digest = kDigests[control & 3];
      const bool more = (control & 4) != 0;
      report.AddDigestLine(digest, name.c_str(), more);
      expected += std::string(digest) + "    " + Shown(name) + (more ? "\n" : "");
    }
  }
  const std::string finished = report.Finish();
  Require(finished.compare(0, prologue.size(), prologue) == 0);
  Require(finished.size() >= prologue.size() + 2 &&
          finished.compare(finished.size() - 2, 2, "\n}") == 0);
  const auto text = rtf::PlainText(finished);
  Require(text.has_value());
  Require(*text == expected);
}

int FuzzOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  Check(input, kWesternCodePage, kWesternFontTable + kBodyStart);
  Check(input, kJapanese, kJapaneseFontTable + kBodyStart);
  return 0;
}

} // namespace corvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return corvane::FuzzOneInput(data, size);
}
