#include "hash/core/report.h"

#include <gtest/gtest.h>

namespace corvane {

namespace {

const std::string kPrologue =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern"
    "\\fprq1\\fcharset0 Courier New;}}\n\\viewkind4\\uc1\\pard\\f0\\fs18 ";

TEST(Report, HoldsPrologueLinesAndEpilogueByteForByte) {
  ReportBuilder report;
  report.AddDigestLine("d41d8cd98f00b204e9800998ecf8427e", "a.txt", true);
  report.AddFailureLine("b.txt", kCouldNotOpenFile);
  EXPECT_EQ(report.Finish(), kPrologue + "d41d8cd98f00b204e9800998ecf8427e    a.txt\\par\n"
                                         "b.txt Could not open file\\par\n"
                                         "\n}");
}

TEST(Report, WithoutLinesIsPrologueAndEpilogue) {
  EXPECT_EQ(ReportBuilder().Finish(), kPrologue + "\n}");
}

TEST(Report, EscapesTheCharactersThatWouldChangeTheDocumentsStructure) {
  ReportBuilder report;
  report.AddDigestLine("00", "x{y}\\z.txt", false);
  report.AddFailureLine("}{", kCouldNotReadFile);
  EXPECT_EQ(report.Finish(), kPrologue + "00    x\\{y\\}\\\\z.txt"
                                         "\\}\\{ Could not read file\\par\n"
                                         "\n}");
}

TEST(Report, KeepsEightBitAndOtherPunctuationAsItStands) {
  ReportBuilder report;
  report.AddDigestLine("ab", "caf\xe9 (1) ;~%.txt", false);
  EXPECT_EQ(report.Finish(), kPrologue + "ab    caf\xe9 (1) ;~%.txt\n}");
}

} // namespace

} // namespace corvane
