// Files that change under the batch run: deleted after the selection, not readable as a file,
// growing or shrinking between two blocks. The run always finishes with one clear line per entry,
// and a digest covers exactly the bytes that were read.
#include "hash/core/batch_run.h"

#include "tests/common/temp_folder.h"
#include "tests/doubles/fake_progress.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace corvane {

namespace {

namespace fs = std::filesystem;

const char kBodyStart[] = "\\viewkind4\\uc1\\pard\\f0\\fs18 ";

class Recorder : public ResultsView {
public:
  std::string report;
  void ShowReport(const std::string& text, HashMode) override { report = text; }
  // The report's body: what follows the prologue, without the epilogue.
  std::string Body() const {
    const size_t start = report.find(kBodyStart) + sizeof kBodyStart - 1;
    return report.substr(start, report.size() - start - 2);
  }
};

std::string Md5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
  static const char hex[] = "0123456789abcdef";
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    text += hex[digest[i] >> 4];
    text += hex[digest[i] & 15];
  }
  return text;
}

std::string Pattern(size_t length, int seed) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i)
    bytes[i] = static_cast<char>(i * 31 + seed + i / 977);
  return bytes;
}

class ChangingFiles : public ::testing::Test {
protected:
  void SetUp() override { fs::create_directories(folder_.Path("data\\")); }

  // A full path whose last separator is a backslash, as the shell sends.
  std::string PathOf(const std::string& name) const { return folder_.Path("data\\" + name); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
    return PathOf(name);
  }

  test::TempFolder folder_;
  FakeProgress progress;
  Recorder results;
};

TEST_F(ChangingFiles, AFileThatGrowsWhileReadIsHashedToItsNewEnd) {
  const std::string first = Pattern(3 * 65536 + 5, 1);
  const std::string more = Pattern(70000, 2);
  const std::string path = Write("grows.bin", first);
  progress.onPump = [&](int pump) {
    if (pump == 1)
      std::ofstream(path, std::ios::binary | std::ios::app) << more;
  };
  RunBatch(path.c_str(), HashMode::ComputeMd5, progress, results);
  EXPECT_EQ(results.Body(), Md5Hex(first + more) + "    grows.bin");
  // The size stays the one taken at opening, so the bar passes 100.
  EXPECT_EQ(progress.EventsStartingWith("size:"), std::vector<std::string>{"196613 bytes"});
  EXPECT_EQ(progress.EventsStartingWith("bytes:").back(),
            std::to_string(first.size() + more.size()));
  EXPECT_EQ(progress.EventsStartingWith("pos:").back(), "135");
}

TEST_F(ChangingFiles, AFileCutShortWhileReadIsHashedUpToWhereItNowEnds) {
  const std::string bytes = Pattern(4 * 65536, 3);
  const std::string cut = Write("cut.bin", bytes);
  const std::string emptied = Write("emptied.bin", bytes);
  const std::string list = cut + "\n" + emptied;
  progress.onPump = [&](int pump) {
    if (pump == 1)
      fs::resize_file(cut, 100000); // inside the second block
    if (pump == 3) // the cut file took two; this follows the second file's first block
      fs::resize_file(emptied, 0);
  };
  RunBatch(list.c_str(), HashMode::ComputeMd5, progress, results);
  EXPECT_EQ(results.Body(), Md5Hex(bytes.substr(0, 100000)) + "    cut.bin\\par\n" +
                                Md5Hex(bytes.substr(0, 65536)) + "    emptied.bin");
}

TEST_F(ChangingFiles, FilesGoneOrUnreadableByTheirTurnGetTheirOwnLineAndTheRunGoesOn) {
  const std::string deleted = Write("deleted.txt", "abc");
  const std::string kept = Write("kept.txt", "abc");
  const std::string folder = PathOf("a folder");
  fs::create_directory(folder);
  const std::string list = deleted + "\n" + folder + "\n" + kept;
  fs::remove(deleted);
  RunBatch(list.c_str(), HashMode::ComputeMd5, progress, results);
  // A folder opens as a stream on this host but gives a read error; where it cannot be opened
  // it is a line like the deleted file's.
  const std::string body = results.Body();
  EXPECT_EQ(body.substr(0, body.find("a folder")), "deleted.txt Could not open file\\par\n");
  EXPECT_TRUE(body.find("a folder Could not read file\\par\n") != std::string::npos ||
              body.find("a folder Could not open file\\par\n") != std::string::npos)
      << body;
  EXPECT_EQ(body.substr(body.size() - 44), "900150983cd24fb0d6963f7d28e17f72    kept.txt");
}

TEST_F(ChangingFiles, AFileDeletedWhileReadKeepsItsOpenStreamToTheEnd) {
  const std::string bytes = Pattern(2 * 65536 + 7, 4);
  const std::string path = Write("vanishing.bin", bytes);
  progress.onPump = [&](int pump) {
    if (pump == 1)
      fs::remove(path);
  };
  RunBatch(path.c_str(), HashMode::ComputeMd5, progress, results);
  EXPECT_EQ(results.Body(), Md5Hex(bytes) + "    vanishing.bin");
}

} // namespace

} // namespace corvane
