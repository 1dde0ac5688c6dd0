#include "common/hash_mode.h"
#include "common/hash_resource.h"
#include "common/product.h"
#include "tests/common/engine_traits.h"
#include "tests/common/temp_folder.h"
#include "tests/support/window_driver.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace corvane {

namespace {

using test::Click;
using test::ControlText;
using test::WaitForDialog;
using test::WaitUntilGone;
using Texts = std::vector<std::string>;

constexpr int kMd5Mode = static_cast<int>(HashMode::VerifyMd5);
constexpr int kSha1Mode = static_cast<int>(HashMode::VerifySha1);
const std::string kProduct = kProductTitle;
const std::string kDigestDialog = VERIFY_DIGEST_CAPTION;
const std::string kProgressWindow = PROGRESS_CAPTION;
const std::string kMatch = "Digest matches. Verification succeeded.";
const std::string kMismatch = "Verification failed. Digest does not match.";
const std::string kInvalid = "This does not appear to be a valid message digest";
const std::string kMd5Empty = "d41d8cd98f00b204e9800998ecf8427e";

using HashExport = void (*)(const char* pathList, int mode);

std::string Md5Text(const std::string& data) {
  return DigestText<Md5Engine>(data);
}

std::string Sha1Text(const std::string& data) {
  return DigestText<Sha1Engine>(data);
}

std::string Upper(std::string text) {
  for (char& ch : text)
    ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch);
  return text;
}

std::string Patterned(size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i)
    data[i] = static_cast<char>((i * 131 + i / 65536) & 0xff);
  return data;
}

// A message box as the user sees it: caption, text, owner, and the type its buttons and icon
// amount to.
struct Box {
  HWND window = nullptr;
  std::string caption;
  std::string text;
  HWND owner = nullptr;
  UINT buttons = 0xffff; // MB_OK or MB_YESNO; other sets are not told apart
  UINT icon = 0xffff;    // 0, MB_ICONWARNING, or 0xf0 for any other icon

  UINT Type() const { return buttons | icon; }
};

bool HasButton(HWND box, int id) {
  HWND button = ::GetDlgItem(box, id);
  return button != nullptr && ::IsWindowVisible(button);
}

BOOL CALLBACK FindIcon(HWND child, LPARAM param) {
  if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON || !::IsWindowVisible(child))
    return TRUE;
  if (HICON icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0))) {
    *reinterpret_cast<HICON*>(param) = icon;
    return FALSE;
  }
  return TRUE;
}

Box ReadBox(HWND window, const std::string& caption) {
  Box box;
  box.window = window;
  box.caption = caption;
  if (window == nullptr)
    return box;
  box.text = ControlText(window, 0xFFFF);
  box.owner = ::GetWindow(window, GW_OWNER);
  if (HasButton(window, IDYES) && HasButton(window, IDNO))
    box.buttons = MB_YESNO;
  else if (HasButton(window, IDOK))
    box.buttons = MB_OK;
  HICON icon = nullptr;
  ::EnumChildWindows(window, FindIcon, reinterpret_cast<LPARAM>(&icon));
  if (icon == nullptr)
    box.icon = 0;
  else
    box.icon = icon == ::LoadIconA(nullptr, IDI_WARNING) ? MB_ICONWARNING : 0xf0;
  return box;
}

// Hash.dll loaded from beside this program, as the shell extension loads it by its full path.
class VerifyThroughHash : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder.resize(folder.find_last_of('\\') + 1);
    s_module = ::LoadLibraryA((folder + "Hash.dll").c_str());
    if (s_module != nullptr)
      s_hash =
          reinterpret_cast<HashExport>(reinterpret_cast<void*>(::GetProcAddress(s_module, "Hash")));
  }
  static void TearDownTestSuite() {
    if (s_module != nullptr)
      ::FreeLibrary(s_module);
    s_module = nullptr;
    s_hash = nullptr;
  }

  void SetUp() override { ASSERT_NE(s_hash, nullptr) << "Hash.dll or its export Hash is missing"; }

  std::string PathOf(const std::string& name) const { return folder_.Path(name); }

  std::string MakeFile(const std::string& name, const std::string& contents) {
    const std::string path = PathOf(name);
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    if (!contents.empty())
      ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    ::CloseHandle(file);
    return path;
  }

  // Calls Hash on this thread, as the shell does, while script plays the user on a second
  // thread. Whatever window is still open after the script is recorded in leftovers_ and closed.
  void Run(const std::string& list, int mode, const std::function<void()>& script) {
    leftovers_.clear();
    std::atomic<bool> returned{false};
    std::thread driver([&] {
      script();
      CloseLeftovers(returned);
    });
    s_hash(list.c_str(), mode);
    returned = true;
    driver.join();
  }

  void CloseLeftovers(const std::atomic<bool>& returned) {
    const DWORD start = ::GetTickCount();
    while (!returned && ::GetTickCount() - start < 60000) {
      for (const std::string& caption :
           {kProduct, kDigestDialog, kProgressWindow, std::string("Abort?")}) {
        if (HWND window = WaitForDialog(thread_, caption, nullptr, 0)) {
          leftovers_.push_back(caption + ": " + ControlText(window, 0xFFFF));
          for (int id : {IDYES, IDCANCEL, IDOK})
            if (HasButton(window, id)) {
              Click(window, id);
              break;
            }
          WaitUntilGone(window, 5000);
        }
      }
      ::Sleep(20);
    }
  }

  Box WaitForBox(const std::string& caption, HWND owner = nullptr) {
    return ReadBox(WaitForDialog(thread_, caption, owner), caption);
  }

  static void Answer(const Box& box, int id) {
    if (box.window == nullptr)
      return;
    Click(box.window, id);
    WaitUntilGone(box.window);
  }

  static void Type(HWND dialog, const std::string& text) {
    ::SendMessageA(::GetDlgItem(dialog, IDC_DIGEST_EDIT), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(text.c_str()));
  }

  // A key pressed while the edit field has the focus.
  static void PressKey(HWND dialog, WPARAM key) {
    HWND edit = ::GetDlgItem(dialog, IDC_DIGEST_EDIT);
    ::PostMessageA(edit, WM_KEYDOWN, key, 1);
    ::PostMessageA(edit, WM_KEYUP, key, 0xC0000001);
  }

  // Types the digest into the entry dialog and presses OK.
  void EnterDigest(const std::string& digest) {
    HWND dialog = WaitForDialog(thread_, kDigestDialog);
    EXPECT_NE(dialog, nullptr) << "no digest entry dialog";
    if (dialog == nullptr)
      return;
    Type(dialog, digest);
    Click(dialog, IDOK);
    WaitUntilGone(dialog);
  }

  // The verdict, or any other last box with the product's title, answered with OK.
  Box FinalBox() {
    Box box = WaitForBox(kProduct);
    Answer(box, IDOK);
    return box;
  }

  // The progress window, known by the status text it was given; null when it had none.
  static HWND ProgressWindow(const test::MessageRecorder& recorder) {
    for (const test::Record& record : recorder.Records())
      if (record.message == WM_SETTEXT && record.controlId == IDC_STATUS_TEXT && !record.topLevel)
        return record.root;
    return nullptr;
  }

  // Texts the progress window's control was given, in order.
  static Texts ProgressTexts(const test::MessageRecorder& recorder, int controlId) {
    HWND progress = ProgressWindow(recorder);
    return progress != nullptr ? recorder.TextsOf(progress, controlId) : Texts{};
  }

  // Captions the progress window was given after its creation.
  static Texts ProgressTitles(const test::MessageRecorder& recorder) {
    Texts titles;
    for (const test::Record& record : recorder.Records())
      if (record.message == WM_SETTEXT && record.topLevel &&
          record.window == ProgressWindow(recorder))
        titles.push_back(record.text);
    return titles;
  }

  static HMODULE s_module;
  static HashExport s_hash;
  const DWORD thread_ = ::GetCurrentThreadId();
  test::TempFolder folder_;
  Texts leftovers_;
};

HMODULE VerifyThroughHash::s_module = nullptr;
HashExport VerifyThroughHash::s_hash = nullptr;

TEST_F(VerifyThroughHash, DigestTypedInUpperOrMixedCaseMatches) {
  const std::string data = "The quick brown fox jumps over the lazy dog";
  const std::string path = MakeFile("fox.txt", data);
  const std::string md5 = Upper(Md5Text(data));
  std::string sha1 = Sha1Text(data);
  for (size_t i = 0; i < sha1.size(); i += 3)
    sha1[i] = Upper(sha1.substr(i, 1))[0];

  for (const auto& [mode, digest] : {std::pair{kMd5Mode, md5}, std::pair{kSha1Mode, sha1}}) {
    test::MessageRecorder recorder;
    Box verdict;
    HWND focusAtOpening = nullptr;
    HWND okButton = nullptr;
    Run(path, mode, [&] {
      HWND dialog = WaitForDialog(thread_, kDigestDialog);
      ASSERT_NE(dialog, nullptr);
      // The dialog is visible a moment before it is activated and its focus restored.
      const DWORD start = ::GetTickCount();
      for (;;) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        ::GetGUIThreadInfo(thread_, &info);
        focusAtOpening = info.hwndFocus;
        if (focusAtOpening != nullptr || ::GetTickCount() - start > test::kWaitMs)
          break;
        ::Sleep(1);
      }
      okButton = ::GetDlgItem(dialog, IDOK);
      EXPECT_EQ(ControlText(dialog, IDC_DIGEST_EDIT), "");
      Type(dialog, digest);
      if (mode == kSha1Mode)
        PressKey(dialog, VK_RETURN);
      else
        Click(dialog, IDOK);
      WaitUntilGone(dialog);
      verdict = FinalBox();
    });
    EXPECT_EQ(verdict.text, kMatch) << digest;
    EXPECT_EQ(verdict.owner, nullptr);
    EXPECT_EQ(verdict.Type(), static_cast<UINT>(MB_OK));
    EXPECT_EQ(focusAtOpening, okButton) << "the dialog opens with the focus on OK";
    EXPECT_EQ(leftovers_, Texts{});
    EXPECT_EQ(ProgressTexts(recorder, IDC_FILENAME_TEXT), Texts{path});
    EXPECT_EQ(ProgressTexts(recorder, IDC_FILESIZE_TEXT), Texts{"43 bytes"});
    EXPECT_EQ(ProgressTexts(recorder, IDC_STATUS_TEXT), Texts{"Verifying File"});
    EXPECT_EQ(ProgressTexts(recorder, IDC_BYTES_TEXT), Texts{"43 bytes"});
    EXPECT_EQ(recorder.BarPositions(), (std::vector<int>{0, 100}));
    EXPECT_EQ(ProgressTitles(recorder), Texts{})
        << "the progress window keeps its template's title";
  }
}

TEST_F(VerifyThroughHash, WrongDigestFailsWithAWarning) {
  const std::string path = MakeFile("abc.txt", "abc");
  Box verdict;
  Run(path, kSha1Mode, [&] {
    EnterDigest(Sha1Text("abd"));
    verdict = FinalBox();
  });
  EXPECT_EQ(verdict.text, kMismatch);
  EXPECT_EQ(verdict.Type(), static_cast<UINT>(MB_OK | MB_ICONWARNING));
  EXPECT_EQ(verdict.owner, nullptr);
  EXPECT_EQ(leftovers_, Texts{});
}

TEST_F(VerifyThroughHash, MoreThanOnePathIsRefusedBeforeAnyDialog) {
  const std::string a = MakeFile("a.txt", "a");
  const std::string b = MakeFile("b.txt", "b");
  for (const std::string& list : {a + "\n" + b, a + "\n"}) {
    Box refusal;
    bool dialogSeen = true;
    Run(list, kMd5Mode, [&] {
      refusal = WaitForBox(kProduct);
      dialogSeen = test::HasDialog(thread_, kDigestDialog);
      Answer(refusal, IDOK);
    });
    EXPECT_EQ(refusal.text, "Can only verify one file at a time");
    EXPECT_EQ(refusal.Type(), static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_FALSE(dialogSeen);
    EXPECT_EQ(leftovers_, Texts{}) << "nothing may follow the refusal";
  }
}

TEST_F(VerifyThroughHash, InvalidDigestIsPointedOutAndTheDialogStaysOpenUntilCancelled) {
  const std::string path = MakeFile("abc.txt", "abc");
  const std::string md5 = Md5Text("abc");
  const std::string sha1 = Sha1Text("abc");
  enum class Ending { CancelButton, EscapeKey, CloseBox };
  const struct {
    int mode;
    Texts typed;
    Ending ending;
  } runs[] = {
      {kSha1Mode,
       {md5, " " + sha1.substr(1), sha1.substr(0, 20) + "-" + sha1.substr(21), sha1 + " "},
       Ending::CancelButton},
      {kMd5Mode,
       {sha1, " " + md5.substr(1), " " + md5, md5.substr(0, 10) + "-" + md5.substr(11),
        md5.substr(0, 31) + "g"},
       Ending::EscapeKey},
      {kMd5Mode, {md5 + md5}, Ending::CloseBox},
  };
  for (const auto& run : runs) {
    std::vector<Box> notices;
    Texts textsAfter;
    test::MessageRecorder recorder;
    Run(path, run.mode, [&] {
      HWND dialog = WaitForDialog(thread_, kDigestDialog);
      ASSERT_NE(dialog, nullptr);
      for (const std::string& typed : run.typed) {
        Type(dialog, typed);
        Click(dialog, IDOK);
        notices.push_back(WaitForBox(kProduct, dialog));
        Answer(notices.back(), IDOK);
        textsAfter.push_back(::IsWindow(dialog) ? ControlText(dialog, IDC_DIGEST_EDIT)
                                                : "(closed)");
      }
      switch (run.ending) {
      case Ending::CancelButton:
        Click(dialog, IDCANCEL);
        break;
      case Ending::EscapeKey:
        PressKey(dialog, VK_ESCAPE);
        break;
      case Ending::CloseBox:
        ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      }
      WaitUntilGone(dialog);
    });
    EXPECT_EQ(textsAfter, run.typed) << "the dialog stays open with the text as typed";
    for (const Box& notice : notices) {
      EXPECT_EQ(notice.text, kInvalid);
      EXPECT_EQ(notice.Type(), static_cast<UINT>(MB_OK));
      EXPECT_NE(notice.owner, nullptr);
    }
    EXPECT_EQ(notices.size(), run.typed.size());
    EXPECT_EQ(leftovers_, Texts{}) << "cancelling ends the verification silently";
    EXPECT_EQ(ProgressTexts(recorder, IDC_STATUS_TEXT), Texts{})
        << "no progress window after cancelling";
  }
}

TEST_F(VerifyThroughHash, MissingFileIsReportedWithoutShowingProgress) {
  Box notice;
  bool progressVisible = true;
  Run(PathOf("missing.bin"), kMd5Mode, [&] {
    EnterDigest(kMd5Empty);
    notice = WaitForBox(kProduct);
    progressVisible = test::HasDialog(thread_, kProgressWindow);
    Answer(notice, IDOK);
  });
  EXPECT_EQ(notice.text, "Could not open file");
  EXPECT_EQ(notice.Type(), static_cast<UINT>(MB_OK | MB_ICONWARNING));
  EXPECT_FALSE(progressVisible);
  EXPECT_EQ(leftovers_, Texts{});
}

TEST_F(VerifyThroughHash, EmptyFileShowsNoBytesAndMatchesTheEmptyMessage) {
  const std::string path = MakeFile("empty.bin", "");
  test::MessageRecorder recorder;
  Box verdict;
  Run(path, kMd5Mode, [&] {
    EnterDigest(kMd5Empty);
    verdict = FinalBox();
  });
  EXPECT_EQ(verdict.text, kMatch);
  EXPECT_EQ(ProgressTexts(recorder, IDC_FILESIZE_TEXT), Texts{"0 bytes"});
  EXPECT_EQ(ProgressTexts(recorder, IDC_BYTES_TEXT), Texts{"0 bytes"});
  EXPECT_EQ(recorder.BarPositions(), (std::vector<int>{0, 0}));
  EXPECT_EQ(leftovers_, Texts{});
}

TEST_F(VerifyThroughHash, WholeBlocksFileEndsWithAnEmptyReadAndMatches) {
  const std::string data = Patterned(2 * 65536);
  const std::string path = MakeFile("blocks.bin", data);
  test::MessageRecorder recorder;
  Box verdict;
  Run(path, kSha1Mode, [&] {
    EnterDigest(Sha1Text(data));
    verdict = FinalBox();
  });
  EXPECT_EQ(verdict.text, kMatch);
  EXPECT_EQ(recorder.ControlSequence(ProgressWindow(recorder)),
            "1000:" + path +
                " | 1001:131072 bytes | range:0-100 | pos:0 | 1004:Verifying File"
                " | pos:50 | 1003:65536 bytes | pos:100 | 1003:131072 bytes"
                " | pos:100 | 1003:131072 bytes");
  EXPECT_EQ(leftovers_, Texts{});
}

// Cancel pressed in the progress window while its first block is shown, then the question
// answered with answer; returns the question as seen.
class AbortDuringReading : public VerifyThroughHash {
protected:
  void TearDown() override {
    if (clicked_ != nullptr)
      ::CloseHandle(clicked_);
    VerifyThroughHash::TearDown();
  }

  // Holds the window's thread at its first bytes text until Cancel is queued, so that the click
  // lands while the file is still being read, however fast it is read. Armed before the digest is
  // entered: the first block may otherwise be read and shown before the gate is in place.
  void HoldAtFirstBytes(test::MessageRecorder& recorder) {
    clicked_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE clicked = clicked_;
    recorder.SetGate([clicked](const test::Record& record) {
      if (record.message == WM_SETTEXT && record.controlId == IDC_BYTES_TEXT && !record.topLevel)
        ::WaitForSingleObject(clicked, test::kWaitMs);
    });
  }

  Box CancelAndAnswer(test::MessageRecorder& recorder, int answer) {
    HWND progress = WaitForDialog(thread_, kProgressWindow);
    EXPECT_NE(progress, nullptr);
    Click(progress, IDCANCEL);
    ::SetEvent(clicked_);
    Box question = WaitForBox("Abort?");
    recorder.SetGate(nullptr);
    EXPECT_TRUE(::IsWindowVisible(progress)) << "Cancel alone closes nothing";
    Answer(question, answer);
    return question;
  }

private:
  HANDLE clicked_ = nullptr;
};

TEST_F(AbortDuringReading, ConfirmedAbortEndsWithoutVerdict) {
  const std::string data = Patterned(8 << 20);
  const std::string path = MakeFile("large.bin", data);
  test::MessageRecorder recorder;
  Box question;
  bool progressGone = false;
  Run(path, kMd5Mode, [&] {
    HoldAtFirstBytes(recorder);
    EnterDigest(Md5Text(data));
    HWND progress = WaitForDialog(thread_, kProgressWindow);
    question = CancelAndAnswer(recorder, IDYES);
    progressGone = WaitUntilGone(progress);
  });
  EXPECT_EQ(question.text, "Are you sure you wish to abort?");
  EXPECT_EQ(question.Type(), static_cast<UINT>(MB_YESNO | MB_ICONWARNING));
  EXPECT_EQ(question.owner, nullptr);
  EXPECT_TRUE(progressGone);
  EXPECT_EQ(leftovers_, Texts{}) << "no verdict after a confirmed abort";
  EXPECT_EQ(ProgressTexts(recorder, IDC_BYTES_TEXT), Texts{"65536 bytes"})
      << "reading stops at the block the question followed";
}

TEST_F(AbortDuringReading, DeclinedAbortReadsOnAndGivesTheRightVerdict) {
  const std::string data = Patterned(8 << 20);
  const std::string path = MakeFile("large.bin", data);
  test::MessageRecorder recorder;
  Box question;
  Box verdict;
  Run(path, kSha1Mode, [&] {
    HoldAtFirstBytes(recorder);
    EnterDigest(Sha1Text(data));
    question = CancelAndAnswer(recorder, IDNO);
    verdict = FinalBox();
  });
  EXPECT_EQ(question.text, "Are you sure you wish to abort?");
  EXPECT_EQ(verdict.text, kMatch);
  EXPECT_EQ(ProgressTexts(recorder, IDC_BYTES_TEXT).back(), "8388608 bytes");
  EXPECT_EQ(leftovers_, Texts{});
}

} // namespace

} // namespace corvane
