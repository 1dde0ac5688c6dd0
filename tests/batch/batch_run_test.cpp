#include "hash/core/batch_run.h"

#include "tests/batch/expected_report.h"
#include "tests/common/temp_folder.h"
#include "tests/doubles/fake_progress.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace corvane {

namespace {

namespace fs = std::filesystem;

const std::string kMd5Empty = "d41d8cd98f00b204e9800998ecf8427e";
const std::string kSha1Empty = "da39a3ee5e6b4b0d3255bfef95601890afd80709";
const std::string kMd5Abc = "900150983cd24fb0d6963f7d28e17f72";
const std::string kSha1Abc = "a9993e364706816aba3e25717850c26c9cd0d89d";

class RecordingResults : public ResultsView {
public:
  int shown = 0;
  std::string report;
  HashMode mode = static_cast<HashMode>(-1);
  void ShowReport(const std::string& text, HashMode m) override {
    ++shown;
    report = text;
    mode = m;
  }
};

class BatchRun : public ::testing::Test {
protected:
  // A full path whose last separator is a backslash, as the shell sends. On the host the backslash
  // is simply part of the file's name.
  std::string PathOf(const std::string& name) const {
#ifdef _WIN32
    return folder_.Path(name);
#else
    return folder_.Path("data\\" + name);
#endif
  }

  std::string MakeFile(const std::string& name, const std::string& contents) {
    const std::string path = PathOf(name);
    std::ofstream(path, std::ios::binary) << contents;
    return path;
  }

  void Run(const std::string& list, HashMode mode) {
    RunBatch(list.c_str(), mode, progress, results);
  }

  test::TempFolder folder_;
  FakeProgress progress;
  RecordingResults results;
};

using Texts = std::vector<std::string>;

TEST_F(BatchRun, OneFileDrivesTheWindowAndReportsOneLineWithoutParagraphBreak) {
  const std::string path = MakeFile("a.txt", "abc");
  Run(path, HashMode::ComputeMd5);

  EXPECT_EQ(progress.events, (Texts{"create", "title:Hashing File...", "show", "name:" + path,
                                    "size:3 bytes", "range:0-100", "pos:0", "status:File 1 of 1",
                                    "pos:100", "bytes:3", "pump", "destroy"}));
  EXPECT_EQ(results.shown, 1);
  EXPECT_EQ(results.mode, HashMode::ComputeMd5);
  EXPECT_EQ(results.report, test::kReportPrologue + kMd5Abc + "    a.txt\n}");
}

TEST_F(BatchRun, ThreeFilesCountAndSeparateTheirLines) {
  const std::string list = MakeFile("one.bin", "abc") + "\n" + MakeFile("two.bin", "") + "\n" +
                           MakeFile("three.bin", "abc");
  Run(list, HashMode::ComputeSha1);

  EXPECT_EQ(progress.EventsStartingWith("title:"), Texts{"Hashing Files..."});
  EXPECT_EQ(progress.EventsStartingWith("status:"),
            (Texts{"File 1 of 3", "File 2 of 3", "File 3 of 3"}));
  EXPECT_EQ(results.report, test::kReportPrologue + kSha1Abc + "    one.bin\\par\n" + kSha1Empty +
                                "    two.bin\\par\n" + kSha1Abc + "    three.bin\n}");
}

TEST_F(BatchRun, EmptyFileIsReadOnceWithNothingAndGetsTheEmptyDigest) {
  Run(MakeFile("empty", ""), HashMode::ComputeMd5);
  EXPECT_EQ(progress.EventsStartingWith("size:"), Texts{"0 bytes"});
  EXPECT_EQ(progress.EventsStartingWith("bytes:"), Texts{"0"});
  EXPECT_EQ(progress.EventsStartingWith("pos:"), (Texts{"0", "0"}));
  EXPECT_EQ(progress.pumps, 1);
  EXPECT_EQ(results.report, test::kReportPrologue + kMd5Empty + "    empty\n}");
}

TEST_F(BatchRun, FileOfExactlyOneBlockTakesASecondEmptyRead) {
  const std::string block(65536, 'x');
  Run(MakeFile("block", block), HashMode::ComputeSha1);
  EXPECT_EQ(progress.EventsStartingWith("size:"), Texts{"65536 bytes"});
  EXPECT_EQ(progress.EventsStartingWith("bytes:"), (Texts{"65536", "65536"}));
  EXPECT_EQ(progress.EventsStartingWith("pos:"), (Texts{"0", "100", "100"}));
  EXPECT_EQ(progress.pumps, 2);
}

TEST_F(BatchRun, EveryFileStartsTheBarAtZeroAndEveryBlockIsShownThenPumped) {
  const std::string large = MakeFile("large", std::string(2 * 65536 + 10, 'q'));
  const std::string small = MakeFile("small", "abc");
  Run(large + "\n" + small, HashMode::ComputeMd5);
  // The window is given every value and left to paint at its own pace.
  EXPECT_EQ(progress.Sequence(),
            "create | title:Hashing Files... | show | name:" + large +
                " | size:131082 bytes | range:0-100 | pos:0 | status:File 1 of 2"
                " | pos:49 | bytes:65536 | pump"
                " | pos:99 | bytes:131072 | pump"
                " | pos:100 | bytes:131082 | pump | name:" +
                small +
                " | size:3 bytes | range:0-100 | pos:0 | status:File 2 of 2"
                " | pos:100 | bytes:3 | pump | destroy");
}

TEST_F(BatchRun, FilesThatCannotBeOpenedGetTheirLineAndStillCount) {
  const std::string list = MakeFile("first", "abc") + "\n" + PathOf("missing-middle") + "\n" +
                           MakeFile("third", "") + "\n" + PathOf("missing-last");
  Run(list, HashMode::ComputeMd5);

  EXPECT_EQ(progress.EventsStartingWith("status:"), (Texts{"File 1 of 4", "File 3 of 4"}));
  EXPECT_EQ(progress.EventsStartingWith("name:").size(), 2u);
  EXPECT_EQ(results.report, test::kReportPrologue + kMd5Abc + "    first\\par\n" +
                                "missing-middle Could not open file\\par\n" + kMd5Empty +
                                "    third\\par\n" + "missing-last Could not open file\\par\n" +
                                "\n}");
}

TEST_F(BatchRun, ConfirmedAbortKeepsFinishedLinesAndStopsTheRun) {
  const std::string big(3 * 65536, 'b');
  const std::string list =
      MakeFile("first", "abc") + "\n" + MakeFile("second", big) + "\n" + MakeFile("third", "abc");
  progress.onPump = [this](int pump) {
    if (pump == 3) // the second block of the second file
      progress.abortRequested = true;
  };
  progress.abortAnswers = {true};
  Run(list, HashMode::ComputeMd5);

  EXPECT_EQ(progress.EventsStartingWith("status:"), (Texts{"File 1 of 3", "File 2 of 3"}));
  EXPECT_EQ(progress.pumps, 3);
  EXPECT_EQ(progress.events.back(), "destroy");
  EXPECT_EQ(results.shown, 1);
  EXPECT_EQ(results.report, test::kReportPrologue + kMd5Abc + "    first\\par\n" + "\n}");
}

TEST_F(BatchRun, DeclinedAbortGoesOnReadingAndGivesTheSameDigest) {
  std::string contents(5 * 65536 + 77, '\0');
  std::mt19937 random(7);
  for (char& c : contents)
    c = static_cast<char>(random());
  const std::string path = MakeFile("random.bin", contents);
  Run(path, HashMode::ComputeSha1);
  const std::string uninterrupted = results.report;

  FakeProgress interrupted;
  interrupted.onPump = [&interrupted](int pump) {
    if (pump == 2 || pump == 4)
      interrupted.abortRequested = true;
  };
  interrupted.abortAnswers = {false, false};
  RecordingResults again;
  RunBatch(path.c_str(), HashMode::ComputeSha1, interrupted, again);

  EXPECT_EQ(interrupted.EventsStartingWith("confirm").size(), 2u);
  EXPECT_FALSE(interrupted.abortRequested);
  EXPECT_EQ(interrupted.pumps, 6);
  EXPECT_EQ(interrupted.EventsStartingWith("bytes:"),
            (Texts{"65536", "131072", "196608", "262144", "327680", "327757"}));
  // At once after each declined question, and nowhere else.
  EXPECT_EQ(interrupted.EventsStartingWith("paint").size(), 2u);
  for (size_t i = 0; i + 1 < interrupted.events.size(); ++i) {
    if (interrupted.events[i] == "confirm") {
      EXPECT_EQ(interrupted.events[i + 1], "paint");
    }
  }
  EXPECT_EQ(again.report, uninterrupted);
}

TEST_F(BatchRun, AnyOtherModeHashesWithSha1AndPassesTheModeOn) {
  Run(MakeFile("m4", "abc"), static_cast<HashMode>(4));
  EXPECT_EQ(results.mode, static_cast<HashMode>(4));
  EXPECT_EQ(results.report, test::kReportPrologue + kSha1Abc + "    m4\n}");
}

TEST_F(BatchRun, CarriageReturnsStayInTheirEntries) {
  const std::string first = MakeFile("first", "abc");
  const std::string second = MakeFile("second", "abc");
  Run(first + "\r\n" + second, HashMode::ComputeMd5);
  EXPECT_EQ(results.report, test::kReportPrologue + "first\r Could not open file\\par\n" + kMd5Abc +
                                "    second\n}");
}

TEST_F(BatchRun, TrailingLineFeedAndBlanksAreTrimmedAway) {
  Run("\t " + MakeFile("only", "abc") + "\n  \r\n", HashMode::ComputeMd5);
  EXPECT_EQ(progress.EventsStartingWith("title:"), Texts{"Hashing File..."});
  EXPECT_EQ(progress.EventsStartingWith("status:"), Texts{"File 1 of 1"});
  EXPECT_EQ(results.report, test::kReportPrologue + kMd5Abc + "    only\n}");
}

TEST_F(BatchRun, EmptyOrNullListShowsTheWindowsWithoutLines) {
  RunBatch(nullptr, HashMode::ComputeMd5, progress, results);
  EXPECT_EQ(progress.events, (Texts{"create", "title:Hashing File...", "show", "destroy"}));
  EXPECT_EQ(results.report, test::kReportPrologue + "\n}");

  FakeProgress blank;
  RunBatch(" \n\t", HashMode::ComputeSha1, blank, results);
  EXPECT_EQ(results.report, test::kReportPrologue + "\n}");
  EXPECT_EQ(results.shown, 2);
}

TEST_F(BatchRun, EntryWithoutBackslashIsNamedByTheWholeEntry) {
  Run("no-folder-here.txt\n\nC:\\ends-with\\", HashMode::ComputeMd5);
  EXPECT_EQ(results.report,
            test::kReportPrologue + "no-folder-here.txt Could not open file\\par\n" +
                " Could not open file\\par\n" + " Could not open file\\par\n" + "\n}");
}

TEST_F(BatchRun, BracesInANameCannotCorruptTheReport) {
  Run(MakeFile("{b}.txt", "abc") + "\n" + MakeFile("next", ""), HashMode::ComputeMd5);
  EXPECT_EQ(results.report,
            test::kReportPrologue + kMd5Abc + "    \\{b\\}.txt\\par\n" + kMd5Empty + "    next\n}");
}

// In Shift-JIS the second byte of 表 (0x95 0x5C) and of ソ (0x83 0x5C) is a backslash. Only the
// first file exists: where the host is Windows, its file system takes 0x5C for a separator.
TEST_F(BatchRun, DoubleByteNamesEndAtTheLastRealSeparator) {
  constexpr AnsiCodePage kJapanese{932, 128, {0x81, 0x9f, 0xe0, 0xfc}};
  const std::string list = MakeFile("\x83\x74\x83\x67.txt", "abc") + "\n" +
                           PathOf("\x95\x5c\\\x83\x5c\x83\x74\x83\x67.txt") + "\n" +
                           PathOf("x\x95\x5c");
  RunBatch(list.c_str(), HashMode::ComputeMd5, progress, results, kJapanese);
  EXPECT_EQ(results.report,
            "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern\\fprq1"
            "\\fcharset128 Courier New;}}\n\\viewkind4\\uc1\\pard\\f0\\fs18 " +
                kMd5Abc + "    \\'83\\'74\\'83\\'67.txt\\par\n" +
                "\\'83\\'5c\\'83\\'74\\'83\\'67.txt Could not open file\\par\n" +
                "x\\'95\\'5c Could not open file\\par\n\n}");
}

#ifndef _WIN32
// A directory opens as a stream on the host but cannot be read: the run must not spin on it.
TEST_F(BatchRun, ReadErrorEndsThatFileWithItsOwnLineAndTheRunGoesOn) {
  const std::string folder = PathOf("folder");
  fs::create_directory(folder);
  Run(folder + "\n" + MakeFile("after", ""), HashMode::ComputeMd5);
  EXPECT_EQ(results.report, test::kReportPrologue + "folder Could not read file\\par\n" +
                                kMd5Empty + "    after\n}");
}
#endif

} // namespace

} // namespace corvane
