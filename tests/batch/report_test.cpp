#include "hash/core/report.h"

#include "tests/batch/expected_report.h"

#include "tests/report_fuzz/rtf_reader.h"

#include <gtest/gtest.h>

namespace corvane {

namespace {

TEST(Report, HoldsPrologueLinesAndEpilogueByteForByte) {
  ReportBuilder report;
  report.AddDigestLine("d41d8cd98f00b204e9800998ecf8427e", "a.txt", true);
  report.AddFailureLine("b.txt", kCouldNotOpenFile);
  EXPECT_EQ(report.Finish(), test::kReportPrologue +
                                 "d41d8cd98f00b204e9800998ecf8427e    a.txt\\par\n"
                                 "b.txt Could not open file\\par\n"
                                 "\n}");
}

TEST(Report, WithoutLinesIsPrologueAndEpilogue) {
  EXPECT_EQ(ReportBuilder().Finish(), test::kReportPrologue + "\n}");
}

TEST(Report, EscapesTheCharactersThatWouldChangeTheDocumentsStructure) {
  ReportBuilder report;
  report.AddDigestLine("00", "x{y}\\z.txt", false);
  report.AddFailureLine("}{", kCouldNotReadFile);
  EXPECT_EQ(report.Finish(), test::kReportPrologue + "00    x\\{y\\}\\\\z.txt"
                                                     "\\}\\{ Could not read file\\par\n"
                                                     "\n}");
}

TEST(Report, KeepsEightBitAndOtherPunctuationAsItStands) {
  ReportBuilder report;
  report.AddDigestLine("ab", "caf\xe9 (1) ;~%.txt", false);
  EXPECT_EQ(report.Finish(), test::kReportPrologue + "ab    caf\xe9 (1) ;~%.txt\n}");
}

// Shift-JIS: 表示 is 95 5C 8E A6, ボ 83 7B, a lone half-width ｱ B1; a lead byte may end a name.
TEST(Report, DoubleByteNamesGoWholeAsHexEscapesUnderTheirCodePageAndCharset) {
  constexpr AnsiCodePage kJapanese{932, 128, {0x81, 0x9f, 0xe0, 0xfc}};
  const std::string names[] = {"\x95\x5c\x8e\xa6.txt", "\x83\x7b}\xb1\\", "a\x81"};
  ReportBuilder report(kJapanese);
  report.AddDigestLine("00", names[0].c_str(), true);
  report.AddFailureLine(names[1].c_str(), kCouldNotOpenFile);
  report.AddDigestLine("01", names[2].c_str(), false);
  const std::string finished = report.Finish();
  EXPECT_EQ(finished, "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern"
                      "\\fprq1\\fcharset128 Courier New;}}\n\\viewkind4\\uc1\\pard\\f0\\fs18 "
                      "00    \\'95\\'5c\\'8e\\'a6.txt\\par\n"
                      "\\'83\\'7b\\}\\'b1\\\\ Could not open file\\par\n"
                      "01    a\\'81\n}");
  EXPECT_EQ(rtf::PlainText(finished),
            "00    " + names[0] + "\n" + names[1] + kCouldNotOpenFile + "\n01    " + names[2]);
}

TEST(Report, CyrillicNamesGoAsHexEscapesUnderTheCyrillicCharset) {
  ReportBuilder report(AnsiCodePage{1251, 204, {}});
  report.AddDigestLine("00", "\xcf\xf0\xe8\xe2\xe5\xf2.txt", false);
  EXPECT_EQ(report.Finish(), "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1033{\\fonttbl{\\f0"
                             "\\fmodern\\fprq1\\fcharset204 Courier New;}}\n\\viewkind4\\uc1\\pard"
                             "\\f0\\fs18 00    \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2.txt\n}");
}

} // namespace

} // namespace corvane
