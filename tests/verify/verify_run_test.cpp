#include "hash/core/verify_run.h"

#include "tests/common/engine_traits.h"
#include "tests/common/temp_folder.h"
#include "tests/doubles/fake_progress.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

const std::string kMd5Empty = "d41d8cd98f00b204e9800998ecf8427e";
const std::string kSha1Empty = "da39a3ee5e6b4b0d3255bfef95601890afd80709";
const std::string kMd5Abc = "900150983cd24fb0d6963f7d28e17f72";
const std::string kSha1Abc = "a9993e364706816aba3e25717850c26c9cd0d89d";
const std::string kMatch = "box:Digest matches. Verification succeeded.";
const std::string kMismatch = "box:Verification failed. Digest does not match.";

std::string Sha1Text(const std::string& data) {
  return DigestText<Sha1Engine>(data);
}

// Plays the digest entry dialog and reads the boxes, logging into the progress window's record
// so that the order of windows and boxes can be checked as one sequence.
class FakeUser : public VerifyUser {
public:
  explicit FakeUser(Texts& log) : log_(log) {}

  std::optional<std::string> typed; // what OK delivers; nothing means Cancel

  bool AskDigest(std::string& digest) override {
    log_.push_back("ask");
    if (!typed)
      return false;
    digest = *typed;
    return true;
  }
  void Tell(VerifyMessage message) override {
    log_.push_back(std::string("box:") + VerifyBoxFor(message).text);
  }

private:
  Texts& log_;
};

class Verification : public ::testing::Test {
protected:
  std::string MakeFile(const std::string& name, const std::string& contents) {
    const std::string path = folder_.Path(name);
    std::ofstream(path, std::ios::binary) << contents;
    return path;
  }

  VerifyOutcome Run(const char* list, DigestAlgorithm algorithm) {
    return VerifyPathList(list, algorithm, progress, user);
  }

  // The last box shown, or "" when none was.
  std::string LastBox() const {
    const Texts boxes = progress.EventsStartingWith("box:");
    return boxes.empty() ? "" : "box:" + boxes.back();
  }

  test::TempFolder folder_;
  FakeProgress progress;
  FakeUser user{progress.events};
};

TEST_F(Verification, AnyLineFeedInTheListIsRefusedBeforeTheDigestIsAsked) {
  const std::string a = MakeFile("a.txt", "abc");
  const std::string b = MakeFile("b.txt", "abc");
  for (const std::string& list : {a + "\n" + b, a + "\n", "\n" + a, std::string("\n")}) {
    progress.events.clear();
    user.typed = kMd5Abc;
    EXPECT_EQ(Run(list.c_str(), DigestAlgorithm::Md5), VerifyOutcome::Refused);
    EXPECT_EQ(progress.events, (Texts{"box:Can only verify one file at a time"}));
  }
}

TEST_F(Verification, CancelInTheDialogEndsWithoutWindowOrBox) {
  const std::string path = MakeFile("a.txt", "abc");
  user.typed.reset();
  EXPECT_EQ(Run(path.c_str(), DigestAlgorithm::Sha1), VerifyOutcome::Cancelled);
  EXPECT_EQ(progress.events, (Texts{"ask"}));
}

TEST_F(Verification, MatchingDigestDrivesTheWindowAndSaysSoWhateverTheLetterCase) {
  const std::string path = MakeFile("a.txt", "abc");
  const struct {
    DigestAlgorithm algorithm;
    std::string typed;
  } cases[] = {
      {DigestAlgorithm::Md5, kMd5Abc},
      {DigestAlgorithm::Md5, "900150983CD24FB0D6963F7D28E17F72"},
      {DigestAlgorithm::Sha1, kSha1Abc},
      {DigestAlgorithm::Sha1, "A9993e364706816ABA3E25717850c26c9Cd0D89d"},
  };
  for (const auto& c : cases) {
    progress.events.clear();
    user.typed = c.typed;
    EXPECT_EQ(Run(path.c_str(), c.algorithm), VerifyOutcome::Match) << c.typed;
    EXPECT_EQ(progress.events, (Texts{"ask", "create", "show", "name:" + path, "size:3 bytes",
                                      "range:0-100", "pos:0", "status:Verifying File", "pos:100",
                                      "bytes:3 bytes", "pump", "destroy", kMatch}))
        << c.typed;
    EXPECT_TRUE(progress.EventsStartingWith("title:").empty());
  }
}

TEST_F(Verification, DigestOfTheOtherEngineOrAnotherFileFailsWithWarning) {
  const std::string path = MakeFile("a.txt", "abc");
  user.typed = kSha1Abc.substr(0, 32);
  EXPECT_EQ(Run(path.c_str(), DigestAlgorithm::Md5), VerifyOutcome::Mismatch);
  EXPECT_EQ(LastBox(), kMismatch);

  // The MD5 digest of "abc" does not verify the file through SHA-1.
  user.typed = kMd5Abc + "00000000";
  EXPECT_EQ(Run(path.c_str(), DigestAlgorithm::Sha1), VerifyOutcome::Mismatch);
  EXPECT_EQ(LastBox(), kMismatch);

  user.typed = kSha1Empty;
  EXPECT_EQ(Run(path.c_str(), DigestAlgorithm::Sha1), VerifyOutcome::Mismatch);

  // A dialog that could not be shown delivers nothing, which matches no file.
  user.typed = "";
  EXPECT_EQ(Run(path.c_str(), DigestAlgorithm::Md5), VerifyOutcome::Mismatch);
}

TEST_F(Verification, MissingFileIsReportedAfterTheDigestAndTheHiddenWindowGoes) {
  const std::string path = folder_.Path("missing.txt");
  user.typed = kMd5Empty;
  EXPECT_EQ(Run(path.c_str(), DigestAlgorithm::Md5), VerifyOutcome::CouldNotOpen);
  EXPECT_EQ(progress.events, (Texts{"ask", "create", "box:Could not open file", "destroy"}));
}

TEST_F(Verification, NullOrEmptyListIsNoFile) {
  user.typed = kMd5Empty;
  EXPECT_EQ(Run(nullptr, DigestAlgorithm::Md5), VerifyOutcome::CouldNotOpen);
  EXPECT_EQ(progress.events, (Texts{"ask", "create", "box:Could not open file", "destroy"}));
  progress.events.clear();
  EXPECT_EQ(Run("", DigestAlgorithm::Md5), VerifyOutcome::CouldNotOpen);
  EXPECT_EQ(progress.events, (Texts{"ask", "create", "box:Could not open file", "destroy"}));
}

TEST_F(Verification, ConfirmedAbortClosesTheWindowWithoutVerdict) {
  const std::string path = MakeFile("big.bin", std::string(5 * 65536, 'y'));
  user.typed = kMd5Abc;
  progress.onPump = [this](int pump) {
    if (pump == 2)
      progress.abortRequested = true;
  };
  progress.abortAnswers = {true};
  EXPECT_EQ(Run(path.c_str(), DigestAlgorithm::Md5), VerifyOutcome::Aborted);
  EXPECT_EQ(progress.pumps, 2);
  ASSERT_GE(progress.events.size(), 3u);
  EXPECT_EQ(Texts(progress.events.end() - 3, progress.events.end()),
            (Texts{"pump", "confirm", "destroy"}));
  EXPECT_EQ(LastBox(), "");
}

TEST_F(Verification, DeclinedAbortGoesOnAndGivesTheUninterruptedVerdict) {
  std::string contents(3 * 65536 + 17, '\0');
  for (size_t i = 0; i < contents.size(); ++i)
    contents[i] = static_cast<char>(i * 7 + 3);
  const std::string path = MakeFile("big.bin", contents);
  user.typed = Sha1Text(contents);

  progress.onPump = [this](int pump) {
    if (pump == 1 || pump == 3)
      progress.abortRequested = true;
  };
  progress.abortAnswers = {false, false};
  EXPECT_EQ(Run(path.c_str(), DigestAlgorithm::Sha1), VerifyOutcome::Match);
  // Every block is shown, then pumped; the window is asked to paint at once after each declined
  // question.
  EXPECT_EQ(progress.Sequence(),
            "ask | create | show | name:" + path +
                " | size:196625 bytes | range:0-100 | pos:0 | status:Verifying File"
                " | pos:33 | bytes:65536 bytes | pump | confirm | paint"
                " | pos:66 | bytes:131072 bytes | pump"
                " | pos:99 | bytes:196608 bytes | pump | confirm | paint"
                " | pos:100 | bytes:196625 bytes | pump | destroy | " +
                kMatch);
}

TEST_F(Verification, ReadErrorBeforeTheEndSaysSoInsteadOfReadingForever) {
  // Opening a directory succeeds here and every read of it fails.
  const std::string path = folder_.Path("folder");
  fs::create_directories(path);
  user.typed = kMd5Empty;
  EXPECT_EQ(Run(path.c_str(), DigestAlgorithm::Md5), VerifyOutcome::ReadError);
  ASSERT_GE(progress.events.size(), 2u);
  EXPECT_EQ(Texts(progress.events.end() - 2, progress.events.end()),
            (Texts{"destroy", "box:Could not read file"}));
  EXPECT_EQ(progress.pumps, 0);
}

TEST_F(Verification, FileBeyondFourGibibytesShowsItsFullSize) {
  const std::string path = MakeFile("sparse.bin", "");
  std::error_code error;
  fs::resize_file(path, 5 * (int64_t{1} << 30), error);
  if (error)
    GTEST_SKIP() << "no sparse files here: " << error.message();
  user.typed = kMd5Empty;
  progress.onPump = [this](int) { progress.abortRequested = true; };
  progress.abortAnswers = {true};
  EXPECT_EQ(Run(path.c_str(), DigestAlgorithm::Md5), VerifyOutcome::Aborted);
  EXPECT_EQ(progress.EventsStartingWith("size:"), (Texts{"5368709120 bytes"}));
  EXPECT_EQ(progress.EventsStartingWith("bytes:"), (Texts{"65536 bytes"}));
  EXPECT_EQ(progress.EventsStartingWith("pos:"), (Texts{"0", "0"}));
}

} // namespace

} // namespace corvane
