// The hash module's progress and results windows, met as a user meets them.

#include "common/hash_mode.h"
#include "common/hash_resource.h"
#include "common/product.h"
#include "tests/common/engine_traits.h"
#include "tests/common/temp_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/window_driver.h"
#include "win32/scoped.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace corvane::test {

namespace {

// The text of a message box, an id the system gives it.
constexpr int kMessageTextId = 0xFFFF;

std::string Md5Of(const std::string& bytes) {
  return DigestText<Md5Engine>(bytes);
}

std::string Sha1Of(const std::string& bytes) {
  return DigestText<Sha1Engine>(bytes);
}

std::string DigestOf(int mode, const std::string& bytes) {
  return DigestAlgorithmOf(static_cast<HashMode>(mode)) == DigestAlgorithm::Md5 ? Md5Of(bytes)
                                                                                : Sha1Of(bytes);
}

// Lines of the view's plain text, joined as the view joins them.
std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    text += (i == 0 ? "" : "\r\n") + lines[i];
  }
  return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) {
      return lines;
    }
    start = end + 2;
  }
}

std::string SavedFile(const char* word, const std::vector<std::string>& lines) {
  std::string bytes = std::string(word) + "Digest\r\n\r\n";
  for (size_t i = 0; i < lines.size(); ++i) {
    bytes += lines[i] + "\r\n";
  }
  return bytes;
}

// Releases the window thread once the driver has queued its input, so that a run is caught
// at a known block however fast the disk is.
class Gate {
public:
  Gate()
      : reached_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
        released_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Gate() {
    ::CloseHandle(reached_);
    ::CloseHandle(released_);
  }
  // On the window thread.
  void Hold() {
    ::SetEvent(reached_);
    ::WaitForSingleObject(released_, kWaitMs);
    ::ResetEvent(released_);
  }
  // On the driver thread.
  bool WaitReached() {
    bool reached = ::WaitForSingleObject(reached_, kWaitMs) == WAIT_OBJECT_0;
    ::ResetEvent(reached_);
    return reached;
  }
  void Release() { ::SetEvent(released_); }

private:
  HANDLE reached_;
  HANDLE released_;
};

// Holds the run at the bar positions given (each once), e.g. after the first block of a file.
void HoldAtPositions(MessageRecorder& recorder, Gate& gate, std::vector<int> positions) {
  auto remaining = std::make_shared<std::vector<int>>(std::move(positions));
  recorder.SetGate([&gate, remaining](const Record& record) {
    if (record.message != PBM_SETPOS || remaining->empty() ||
        static_cast<int>(record.wParam) != remaining->front()) {
      return;
    }
    remaining->erase(remaining->begin());
    gate.Hold();
  });
}

// What a window has painted: the pixels behind its device context, whatever other windows lie in
// front of it on this shared desktop.
std::vector<uint32_t> PaintedPixels(HWND window) {
  RECT rect{};
  ::GetClientRect(window, &rect);
  const int width = rect.right, height = rect.bottom;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  ScopedWindowDC painted(window);
  ScopedMemoryDC memory(::CreateCompatibleDC(painted.Get()));
  ScopedGdiObject bitmap(::CreateCompatibleBitmap(painted.Get(), width, height));
  HGDIOBJ previous = ::SelectObject(memory.Get(), bitmap.Get());
  ::BitBlt(memory.Get(), 0, 0, width, height, painted.Get(), 0, 0, SRCCOPY);
  ::SelectObject(memory.Get(), previous);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  ::GetDIBits(memory.Get(), static_cast<HBITMAP>(bitmap.Get()), 0, static_cast<UINT>(height),
              pixels.data(), &info, DIB_RGB_COLORS);
  return pixels;
}

// The layout the results window must have taken from its last size request, checked against
// the real metrics of this display.
void ExpectLayoutFollowsContent(HWND results, const MessageRecorder& recorder) {
  RECT request{};
  ASSERT_TRUE(recorder.LastResizeRequest(&request)) << "the view never asked for a size";
  HWND view = ::GetDlgItem(results, IDC_REPORT_VIEW);
  int maxCharWidth = 0;
  if (HDC dc = ::GetDC(view)) {
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    maxCharWidth = metrics.tmMaxCharWidth;
    ::ReleaseDC(view, dc);
  }
  std::string text = WindowText(view);
  while (!text.empty() && std::string(" \t\n\v\f\r").find(text.back()) != std::string::npos) {
    text.pop_back();
  }
  int longest = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    longest = std::max(longest, static_cast<int>(line.size()));
  }
  int width = std::max(300, std::min(600, maxCharWidth * longest / 2));
  const int linesHeight = std::min(300, static_cast<int>(request.bottom - request.top));
  int height = linesHeight;
  width += ::GetSystemMetrics(SM_CXVSCROLL);
  height += ::GetSystemMetrics(SM_CYHSCROLL);
  // A line wider than the widest view: below the bar's height the view also gets what its border
  // takes, so that the lines, which start at the request's top, lie wholly above the bar.
  if ((::GetWindowLongA(view, GWL_STYLE) & WS_HSCROLL) != 0) {
    RECT outer{}, client{};
    ::GetWindowRect(view, &outer);
    ::GetClientRect(view, &client);
    height = std::max(height, static_cast<int>(request.top) + linesHeight +
                                  static_cast<int>(outer.bottom - outer.top - client.bottom));
  }

  RECT window{};
  ::GetWindowRect(results, &window);
  EXPECT_EQ(window.right - window.left, width + 20);
  EXPECT_EQ(window.bottom - window.top, height + 80);
  RECT viewRect = ChildRect(results, IDC_REPORT_VIEW);
  EXPECT_EQ(viewRect.left, request.left);
  EXPECT_EQ(viewRect.top, request.top);
  EXPECT_EQ(viewRect.right - viewRect.left, width);
  EXPECT_EQ(viewRect.bottom - viewRect.top, height);

  // The buttons' row as the dialog manager placed it from the template: position and width are
  // each mapped to pixels on their own.
  auto placed = [results](int x, int width) {
    RECT rect{x, 0, width, 0};
    ::MapDialogRect(results, &rect);
    return std::make_pair(rect.left, rect.left + rect.right);
  };
  const auto okTemplate = placed(74, 50), saveTemplate = placed(134, 50),
             copyTemplate = placed(194, 50);
  const int buttonWidth = okTemplate.second - okTemplate.first;
  const int step = buttonWidth + saveTemplate.first - okTemplate.second;
  const int x = (width + 20 - (copyTemplate.second - okTemplate.first)) / 2;
  const int y = request.top + height + 15;
  RECT ok = ChildRect(results, IDOK), save = ChildRect(results, IDC_SAVE_BUTTON),
       copy = ChildRect(results, IDC_COPY_BUTTON);
  EXPECT_EQ(ok.right - ok.left, buttonWidth);
  EXPECT_EQ(ok.left, x);
  EXPECT_EQ(save.left, x + step);
  EXPECT_EQ(copy.left, x + 2 * step);
  EXPECT_EQ(ok.top, y);
  EXPECT_EQ(save.top, y);
  EXPECT_EQ(copy.top, y);
}

// Saves through the real Save dialog and copies; returns the saved bytes and the clipboard text.
void SaveAndCopy(DWORD thread, HWND results, const std::string& path, std::string* saved,
                 std::string* copied) {
  Click(results, IDC_SAVE_BUTTON);
  ASSERT_TRUE(SaveThroughDialog(thread, results, path));
  *saved = ReadFileBytes(path);
  DWORD sequence = ::GetClipboardSequenceNumber();
  Click(results, IDC_COPY_BUTTON);
  *copied = WaitForClipboardText(sequence);
}

// The user's mouse at the centre of a control, in SendInput's absolute units.
INPUT MouseAt(HWND dialog, int id, DWORD flags) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
  RECT rect{};
  ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = ((rect.left + rect.right) / 2) * 65535 / (width - 1);
  input.mi.dy = ((rect.top + rect.bottom) / 2) * 65535 / (height - 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  return input;
}

// Wine follows every injected move of the pointer by moving the display's, and the display tells
// the window under it, late: a late word of a move elsewhere that comes between a button's press
// and release lifts the press. So the pointer is put on the first control well before the clicks.
void PointAt(HWND dialog, int id) {
  INPUT move = MouseAt(dialog, id, MOUSEEVENTF_MOVE);
  ::SendInput(1, &move, sizeof(INPUT));
}

// Clicks each control in turn as the user's mouse does, in one batch of input, the first where the
// pointer is (PointAt). Every later control is pointed at again between press and release, so that
// a late word of the moves before cannot lift its press for good.
void ClickWithMouse(const std::vector<std::pair<HWND, int>>& controls) {
  std::vector<INPUT> inputs;
  bool first = true;
  for (const auto& [dialog, id] : controls) {
    if (!first) {
      inputs.push_back(MouseAt(dialog, id, MOUSEEVENTF_MOVE));
    }
    inputs.push_back(MouseAt(dialog, id, MOUSEEVENTF_LEFTDOWN));
    if (!first) {
      inputs.push_back(MouseAt(dialog, id, MOUSEEVENTF_MOVE));
    }
    inputs.push_back(MouseAt(dialog, id, MOUSEEVENTF_LEFTUP));
    first = false;
  }
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Lets threads go on only once all of them have come, so that what they do next overlaps.
class Rendezvous {
public:
  explicit Rendezvous(int parties) : left_(parties) {}
  // False when the others did not all come in time.
  bool Arrive() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (--left_ == 0) {
      allCame_.notify_all();
      return true;
    }
    return allCame_.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                             [this] { return left_ <= 0; });
  }

private:
  std::mutex mutex_;
  std::condition_variable allCame_;
  int left_;
};

// Results views of several threads start loading their reports together.
Rendezvous* g_loadingTogether = nullptr;

LRESULT CALLBACK MeetBeforeLoading(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == EM_STREAMIN &&
      ::GetDlgCtrlID(message->hwnd) == IDC_REPORT_VIEW && g_loadingTogether != nullptr) {
    g_loadingTogether->Arrive();
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// A command that a timer starts on the thread of a running one.
struct NestedCommand {
  void (*hash)(const char*, int);
  std::string list;
  int mode;
  HWND outerProgress;
  bool startedInsideTheOuterRun;
};
NestedCommand g_nested{};

void CALLBACK StartNestedCommand(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  g_nested.startedInsideTheOuterRun = ::IsWindowVisible(g_nested.outerProgress) != FALSE;
  g_nested.hash(g_nested.list.c_str(), g_nested.mode);
}

} // namespace

TEST(HashWindows, ProgressWindowFollowsEveryFileThenTheResultsListThem) {
  TempFolder folder;
  const std::string first = PatternBytes(3 * 65536 + 100);
  const std::string a = folder.Write("a.bin", first);
  const std::string missing = folder.Path("missing.bin");
  const std::string c = folder.Write("c.bin", "");
  const std::string list = a + "\n" + missing + "\n" + c;

  HashModule module;
  ASSERT_TRUE(module.Loaded());
  MessageRecorder recorder;
  HWND progressAtResults = nullptr;
  std::string viewText;
  bool noticeGone = false;
  module.Run(list.c_str(), 0, [&](DWORD thread) {
    HWND results = WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    progressAtResults = recorder.WindowTitled("Hashing");
    noticeGone = !HasDialog(thread, "");
    viewText = ControlText(results, IDC_REPORT_VIEW);
    ExpectLayoutFollowsContent(results, recorder);
    Click(results, IDOK);
  });

  HWND progress = recorder.WindowTitled("Hashing");
  ASSERT_NE(progress, nullptr);
  EXPECT_FALSE(::IsWindow(progressAtResults)) << "the progress window outlived the run";
  EXPECT_EQ(recorder.Titles().front(), "Hashing Files...");
  // Every opened file starts the bar at 0 of 0..100; every block sets the bar, then the count.
  EXPECT_EQ(recorder.ControlSequence(progress),
            "1000:" + a +
                " | 1001:196708 bytes | range:0-100 | pos:0 | 1004:File 1 of 3"
                " | pos:33 | 1003:65536 | pos:66 | 1003:131072 | pos:99 | 1003:196608"
                " | pos:100 | 1003:196708 | 1000:" +
                c + " | 1001:0 bytes | range:0-100 | pos:0 | 1004:File 3 of 3 | pos:0 | 1003:0");
  EXPECT_TRUE(noticeGone) << "the formatting notice is still on the screen";
  EXPECT_EQ(viewText, Joined({Md5Of(first) + "    a.bin", "missing.bin Could not open file",
                              Md5Of("") + "    c.bin"}));
}

TEST(HashWindows, NewTextsAreOnTheScreenSoonAfterTheyAreGivenDuringALongRead) {
  TempFolder folder;
  const std::string small = folder.Write("small.txt", "abc");
  const std::string big =
      folder.Write("a much longer name than the one before.bin", PatternBytes(8 * 65536));
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  MessageRecorder recorder;
  Gate gate;
  // Held as the big file's name is about to reach its control, then as its first and its second
  // block are about to be shown (12 % and 25 %).
  recorder.SetGate([&gate, &big](const Record& record) {
    if ((record.message == WM_SETTEXT && record.controlId == IDC_FILENAME_TEXT &&
         record.text == big) ||
        (record.message == PBM_SETPOS && (record.wParam == 12 || record.wParam == 25))) {
      gate.Hold();
    }
  });
  std::vector<uint32_t> nameBefore, nameAfter, bytesAtFirstBlock, bytesAtSecondBlock;
  module.Run((small + "\n" + big).c_str(), 1, [&](DWORD thread) {
    HWND progress = WaitForDialog(thread, kProgressTitleFiles);
    ASSERT_NE(progress, nullptr);
    HWND name = ::GetDlgItem(progress, IDC_FILENAME_TEXT),
         bytes = ::GetDlgItem(progress, IDC_BYTES_TEXT);
    ASSERT_TRUE(gate.WaitReached());
    nameBefore = PaintedPixels(name);
    gate.Release();
    ASSERT_TRUE(gate.WaitReached());
    bytesAtFirstBlock = PaintedPixels(bytes);
    // The first block takes longer than the window waits between paintings, as on a slow
    // network drive: the name and the count that follow it must then be painted.
    ::Sleep(150);
    gate.Release();
    ASSERT_TRUE(gate.WaitReached());
    nameAfter = PaintedPixels(name);
    bytesAtSecondBlock = PaintedPixels(bytes);
    gate.Release();
    HWND results = WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    Click(results, IDOK);
  });

  ASSERT_FALSE(nameAfter.empty());
  EXPECT_NE(nameAfter, nameBefore) << "the big file's name was never painted";
  EXPECT_NE(bytesAtSecondBlock, bytesAtFirstBlock) << "the count stood still on the window";
}

TEST(HashWindows, FormattingNoticeIsShownWhileTheReportLoads) {
  TempFolder folder;
  const std::string a = folder.Write("a.bin", "abc");
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  MessageRecorder recorder;
  module.Run(a.c_str(), 1, [&](DWORD thread) {
    HWND results = WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(ControlText(results, IDC_REPORT_VIEW),
              "a9993e364706816aba3e25717850c26c9cd0d89d    a.bin");
    Click(results, IDOK);
  });
  bool noticeShown = false;
  for (const Record& record : recorder.Records()) {
    noticeShown = noticeShown || (record.message == WM_SHOWWINDOW && record.topLevel &&
                                  record.wParam != 0 && record.text == FORMATTING_TEXT);
  }
  EXPECT_TRUE(noticeShown);
  EXPECT_EQ(recorder.Titles().front(), "Hashing File...");
}

class SaveAndCopyTest : public ::testing::TestWithParam<int> {};

TEST_P(SaveAndCopyTest, SavedFileAndClipboardHoldEveryLineUnderTheAlgorithmWord) {
  const int mode = GetParam();
  const char* word = mode == 0 ? "MD5 " : mode == 1 ? "SHA-1 " : "Unknown Hash ";
  TempFolder folder;
  const std::string hello = folder.Write("hello.txt", "hello");
  const std::string longName(140, 'n');
  const std::string data = PatternBytes(70000);
  const std::string second = folder.Write(longName + ".dat", data);
  // An older, longer file in the way: the Save dialog asks, and the new file replaces it whole.
  const std::string target = folder.Write("digest.txt", std::string(100000, 'x'));
  const std::vector<std::string> lines{DigestOf(mode, "hello") + "    hello.txt",
                                       DigestOf(mode, data) + "    " + longName + ".dat"};

  HashModule module;
  ASSERT_TRUE(module.Loaded());
  MessageRecorder recorder;
  std::string viewText, saved, copied;
  module.Run((hello + "\n" + second).c_str(), mode, [&](DWORD thread) {
    HWND results = WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    viewText = ControlText(results, IDC_REPORT_VIEW);
    ExpectLayoutFollowsContent(results, recorder);
    SaveAndCopy(thread, results, target, &saved, &copied);
    Click(results, IDOK);
  });

  EXPECT_EQ(viewText, Joined(lines));
  EXPECT_EQ(saved, SavedFile(word, lines));
  EXPECT_EQ(copied, Joined(lines));
}

INSTANTIATE_TEST_SUITE_P(Modes, SaveAndCopyTest, ::testing::Values(0, 1, 4));

TEST(HashWindows, CancelEscapeAndCloseBoxDeclinedKeepTheSameDigest) {
  TempFolder folder;
  const std::string data = PatternBytes(5 * 65536);
  const std::string path = folder.Write("big.bin", data);
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  MessageRecorder recorder;
  Gate gate;
  HoldAtPositions(recorder, gate, {20, 40, 60});
  std::vector<std::string> questions;
  std::vector<bool> visibleWhileAsking;
  std::string viewText;
  module.Run(path.c_str(), 1, [&](DWORD thread) {
    HWND progress = WaitForDialog(thread, kProgressTitleOneFile);
    ASSERT_NE(progress, nullptr);
    // Cancel pressed twice before the run looks, then Escape, then the close box.
    const std::vector<std::function<void()>> interruptions{
        [&] {
          Click(progress, IDCANCEL);
          Click(progress, IDCANCEL);
        },
        [&] {
          ::PostMessageA(::GetDlgItem(progress, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
          ::PostMessageA(::GetDlgItem(progress, IDCANCEL), WM_KEYUP, VK_ESCAPE, 0);
        },
        [&] { ::PostMessageA(progress, WM_SYSCOMMAND, SC_CLOSE, 0); }};
    for (const auto& interrupt : interruptions) {
      ASSERT_TRUE(gate.WaitReached());
      interrupt();
      gate.Release();
      HWND question = WaitForDialog(thread, "Abort?");
      visibleWhileAsking.push_back(::IsWindowVisible(progress) != FALSE);
      questions.push_back(question != nullptr ? ControlText(question, kMessageTextId) : "");
      Click(question, IDNO);
      WaitUntilGone(question);
    }
    HWND results = WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    viewText = ControlText(results, IDC_REPORT_VIEW);
    Click(results, IDOK);
  });

  EXPECT_EQ(questions, std::vector<std::string>(3, "Are you sure you wish to abort?"));
  EXPECT_EQ(visibleWhileAsking, std::vector<bool>(3, true));
  int asked = 0;
  for (const Record& record : recorder.Records()) {
    asked += record.message == WM_SHOWWINDOW && record.wParam != 0 && record.caption == "Abort?";
  }
  EXPECT_EQ(asked, 3) << "two Cancel clicks in one block make one request";
  EXPECT_EQ(recorder.BarPositions(), (std::vector<int>{0, 20, 40, 60, 80, 100, 100}));
  EXPECT_EQ(viewText, Sha1Of(data) + "    big.bin");
}

TEST(HashWindows, CancelConfirmedEndsTheRunAndShowsTheLinesBeforeIt) {
  TempFolder folder;
  const std::string a = folder.Write("a.bin", "first");
  const std::string b = folder.Write("b.bin", PatternBytes(4 * 65536));
  const std::string c = folder.Write("c.bin", "third");
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  MessageRecorder recorder;
  Gate gate;
  HoldAtPositions(recorder, gate, {25});
  std::string question, viewText;
  module.Run((a + "\n" + b + "\n" + c).c_str(), 0, [&](DWORD thread) {
    HWND progress = WaitForDialog(thread, kProgressTitleFiles);
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(gate.WaitReached());
    Click(progress, IDCANCEL);
    gate.Release();
    question = AnswerMessageBox(thread, "Abort?", IDYES);
    HWND results = WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    viewText = ControlText(results, IDC_REPORT_VIEW);
    Click(results, IDOK);
  });

  EXPECT_EQ(question, "Are you sure you wish to abort?");
  HWND progress = recorder.WindowTitled("Hashing");
  EXPECT_EQ(recorder.TextsOf(progress, IDC_FILENAME_TEXT), (std::vector<std::string>{a, b}));
  EXPECT_EQ(SplitLines(viewText).front(), Md5Of("first") + "    a.bin");
  EXPECT_EQ(viewText.find("c.bin"), std::string::npos);
}

TEST(HashWindows, EscapeCharacterAtTheHeadOfTheQueueDoesNotStallCancel) {
  TempFolder folder;
  const std::string path = folder.Write("big.bin", PatternBytes(4 * 65536));
  // Another window of the thread, as the host has: it translated an Escape key press.
  HWND host = ::CreateWindowExA(0, "Static", "host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  MessageRecorder recorder;
  Gate gate;
  HoldAtPositions(recorder, gate, {25});
  std::string question, viewText;
  module.Run(path.c_str(), 0, [&](DWORD thread) {
    HWND progress = WaitForDialog(thread, kProgressTitleOneFile);
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(gate.WaitReached());
    ::PostMessageA(host, WM_CHAR, VK_ESCAPE, 0);
    Click(progress, IDCANCEL);
    gate.Release();
    question = AnswerMessageBox(thread, "Abort?", IDYES);
    HWND results = WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    viewText = ControlText(results, IDC_REPORT_VIEW);
    Click(results, IDOK);
  });
  ::DestroyWindow(host);

  EXPECT_EQ(question, "Are you sure you wish to abort?");
  EXPECT_EQ(viewText.find("big.bin"), std::string::npos);
}

TEST(HashWindows, TwentyThousandFilesAreShownSavedAndCopiedWhole) {
  // Far beyond the view's default text limit. Most entries are gone, which keeps the run short
  // (an entry that cannot be opened does not touch the progress window); the first and the last
  // are read.
  TempFolder folder;
  const std::string path = folder.Write("same.txt", "same");
  const std::string digestLine = Sha1Of("same") + "    same.txt";
  std::string list = path;
  std::vector<std::string> lines{digestLine};
  char name[32];
  for (int i = 1; i < 19999; ++i) {
    std::snprintf(name, sizeof name, "gone-%05d.bin", i);
    list += "\n" + folder.Path(name);
    lines.push_back(std::string(name) + " Could not open file");
  }
  list += "\n" + path;
  lines.push_back(digestLine);
  const std::string target = folder.Path("all.txt");

  HashModule module;
  ASSERT_TRUE(module.Loaded());
  MessageRecorder recorder;
  std::string viewText, saved, copied;
  LRESULT limit = 0;
  module.Run(list.c_str(), 1, [&](DWORD thread) {
    HWND results = WaitForDialog(thread, kProductTitle, nullptr, 300000);
    ASSERT_NE(results, nullptr);
    viewText = ControlText(results, IDC_REPORT_VIEW);
    limit = ::SendMessageA(::GetDlgItem(results, IDC_REPORT_VIEW), EM_GETLIMITTEXT, 0, 0);
    ExpectLayoutFollowsContent(results, recorder);
    SaveAndCopy(thread, results, target, &saved, &copied);
    Click(results, IDOK);
  });

  // Some views stop loading at their limit without a word; this one must not have to.
  EXPECT_GE(limit, static_cast<LRESULT>(viewText.size()));
  EXPECT_EQ(SplitLines(viewText).size(), 20000u);
  EXPECT_TRUE(viewText == Joined(lines)) << viewText.size() << " characters shown";
  EXPECT_TRUE(saved == SavedFile("SHA-1 ", lines)) << saved.size() << " bytes saved";
  EXPECT_TRUE(copied == Joined(lines)) << copied.size() << " bytes copied";
}

TEST(HashWindows, FailedWriteIsReportedByTheResultsWindow) {
  TempFolder folder;
  const std::string path = folder.Write("a.bin", "a");
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  std::string error;
  bool stillOpen = false;
  module.Run(path.c_str(), 0, [&](DWORD thread) {
    HWND results = WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    Click(results, IDC_SAVE_BUTTON);
    // A device that takes the file but never its bytes: the loss shows when the stream is flushed.
    ASSERT_TRUE(SaveThroughDialog(thread, nullptr, "Z:\\dev\\full"));
    error = AnswerMessageBox(thread, "Error", IDOK, results);
    stillOpen = ::IsWindowVisible(results) != FALSE;
    Click(results, IDOK);
  });
  EXPECT_EQ(error, "Unable to write output file");
  EXPECT_TRUE(stillOpen);
}

TEST(HashWindows, SaveDialogOwnsTheResultsWindowWhichTakesNoClicksMeanwhile) {
  TempFolder folder;
  const std::string path = folder.Write("a.bin", "a");
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  HWND results = nullptr, owner = nullptr;
  bool enabledWhileSaving = true, saveClosed = false, secondDialog = true, enabledAfter = false;
  module.Run(path.c_str(), 0, [&](DWORD thread) {
    results = WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    // Other tests' windows share this desktop: in front of these two, they would take the clicks.
    ::SetWindowPos(results, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    PointAt(results, IDC_SAVE_BUTTON);
    Click(results, IDC_SAVE_BUTTON);
    HWND save = WaitForDialog(thread, "Save As");
    ASSERT_NE(save, nullptr);
    owner = ::GetWindow(save, GW_OWNER);
    enabledWhileSaving = ::IsWindowEnabled(results) != FALSE;
    // Apart, so that each click lands where it is aimed: Save to File again, then Cancel. Input
    // is taken in order, so a second dialog would be open before Cancel reaches the first.
    RECT rect{};
    ::GetWindowRect(save, &rect);
    ::SetWindowPos(save, HWND_TOPMOST, ::GetSystemMetrics(SM_CXSCREEN) - (rect.right - rect.left),
                   ::GetSystemMetrics(SM_CYSCREEN) - (rect.bottom - rect.top), 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE);
    ClickWithMouse({{results, IDC_SAVE_BUTTON}, {save, IDCANCEL}});
    saveClosed = WaitUntilGone(save);
    secondDialog = HasDialog(thread, "Save As");
    enabledAfter = ::IsWindowEnabled(results) != FALSE;
    Click(results, IDOK);
  });
  EXPECT_EQ(owner, results);
  EXPECT_FALSE(enabledWhileSaving);
  EXPECT_TRUE(saveClosed);
  EXPECT_FALSE(secondDialog);
  EXPECT_TRUE(enabledAfter);
}

TEST(HashWindows, NameTypedWithoutExtensionIsSavedAsTyped) {
  TempFolder folder;
  const std::string path = folder.Write("a.bin", "a");
  const std::string target = folder.Path("digest");
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  bool errorShown = true;
  module.Run(path.c_str(), 0, [&](DWORD thread) {
    HWND results = WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    Click(results, IDC_SAVE_BUTTON);
    ASSERT_TRUE(SaveThroughDialog(thread, results, target));
    errorShown = HasDialog(thread, "Error");
    Click(results, IDOK);
  });
  EXPECT_FALSE(errorShown);
  EXPECT_EQ(ReadFileBytes(target), SavedFile("MD5 ", {Md5Of("a") + "    a.bin"}));
}

TEST(HashWindows, EmptyListShowsAnEmptyReportThatSavesTheHeaderAlone) {
  TempFolder folder;
  const std::string target = folder.Path("empty.txt");
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  MessageRecorder recorder;
  std::string viewText = "(not read)", saved, copied;
  module.Run(" \r\n\t", 0, [&](DWORD thread) {
    HWND results = WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    viewText = ControlText(results, IDC_REPORT_VIEW);
    ExpectLayoutFollowsContent(results, recorder);
    Click(results, IDC_SAVE_BUTTON);
    ASSERT_TRUE(SaveThroughDialog(thread, results, target));
    saved = ReadFileBytes(target);
    Click(results, IDOK);
  });
  EXPECT_EQ(recorder.Titles().front(), "Hashing File...");
  EXPECT_TRUE(recorder.BarPositions().empty());
  EXPECT_EQ(viewText, "");
  EXPECT_EQ(saved, "MD5 Digest\r\n\r\n\r\n");
}

TEST(HashWindows, QuitMessageDuringARunIsPassedOnToTheHost) {
  TempFolder folder;
  const std::string path = folder.Write("big.bin", PatternBytes(4 * 65536));
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  MessageRecorder recorder;
  Gate gate;
  HoldAtPositions(recorder, gate, {25});
  module.Run(path.c_str(), 0, [&](DWORD thread) {
    ASSERT_TRUE(gate.WaitReached());
    ::PostThreadMessageA(thread, WM_QUIT, 3, 0);
    gate.Release();
  });
  // The run read on to the end; the host's loop still gets its quit message, with code 0.
  EXPECT_EQ(recorder.BarPositions(), (std::vector<int>{0, 25, 50, 75, 100, 100}));
  MSG msg{};
  EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 0u);
}

// Explorer gives every folder window a thread of its own, in one process: commands in two of them
// and a verification in a third run at once in the one loaded module, round after round.
TEST(HashWindows, CommandsOnThreeThreadsAtOnceEachShowTheirOwnReport) {
  TempFolder folder;
  std::string md5List, sha1List;
  std::vector<std::string> md5Lines, sha1Lines;
  char name[32];
  for (int i = 0; i < 200; ++i) {
    std::snprintf(name, sizeof name, "file-%03d.bin", i);
    const std::string bytes = PatternBytes(static_cast<size_t>(i) * 97);
    const std::string path = folder.Write(name, bytes);
    md5List += (i == 0 ? "" : "\n") + path;
    md5Lines.push_back(Md5Of(bytes) + "    " + name);
    sha1List = path + (i == 0 ? "" : "\n") + sha1List;
    sha1Lines.insert(sha1Lines.begin(), Sha1Of(bytes) + "    " + name);
  }
  const std::string verifiedBytes = PatternBytes(3 * 65536 + 7);
  const std::string verified = folder.Write("verified.bin", verifiedBytes);
  const std::string digest = Sha1Of(verifiedBytes);

  HashModule module;
  ASSERT_TRUE(module.Loaded());
  for (int round = 0; round < 3; ++round) {
    // Every final window is open before any is closed: the three commands overlap.
    Rendezvous allOpen(3);
    Rendezvous loadingTogether(2);
    g_loadingTogether = &loadingTogether;
    std::string md5View, sha1View, verdict;
    const auto compute = [&](const std::string& list, int mode, std::string* view) {
      HHOOK hook =
          ::SetWindowsHookExA(WH_CALLWNDPROC, MeetBeforeLoading, nullptr, ::GetCurrentThreadId());
      module.Run(list.c_str(), mode, [&](DWORD thread) {
        HWND results = WaitForDialog(thread, kProductTitle);
        *view = results != nullptr ? ControlText(results, IDC_REPORT_VIEW) : "(no results window)";
        EXPECT_TRUE(allOpen.Arrive());
        Click(results, IDOK);
      });
      ::UnhookWindowsHookEx(hook);
    };
    std::thread md5([&] { compute(md5List, 0, &md5View); });
    std::thread sha1([&] { compute(sha1List, 1, &sha1View); });
    std::thread verification([&] {
      module.Run(verified.c_str(), 3, [&](DWORD thread) {
        HWND entry = WaitForDialog(thread, "Message Digest to Verify");
        if (entry != nullptr) {
          ::SendMessageA(::GetDlgItem(entry, IDC_DIGEST_EDIT), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(digest.c_str()));
          Click(entry, IDOK);
        }
        HWND box = WaitForDialog(thread, kProductTitle);
        verdict = box != nullptr ? ControlText(box, kMessageTextId) : "(no verdict)";
        EXPECT_TRUE(allOpen.Arrive());
        Click(box, IDOK);
      });
    });
    md5.join();
    sha1.join();
    verification.join();
    g_loadingTogether = nullptr;
    EXPECT_EQ(md5View, Joined(md5Lines)) << "round " << round;
    EXPECT_EQ(sha1View, Joined(sha1Lines)) << "round " << round;
    EXPECT_EQ(verdict, "Digest matches. Verification succeeded.") << "round " << round;
  }
}

// A folder window stays live during a command: a second command started from it, here by a timer,
// runs inside the first one's message pump. Each shows its own report, and the first goes on.
TEST(HashWindows, CommandStartedInsideAnotherOnTheSameThreadShowsItsOwnReport) {
  TempFolder folder;
  const std::string outerBytes = PatternBytes(4 * 65536);
  const std::string outer = folder.Write("outer.bin", outerBytes);
  const std::string inner = folder.Write("inner.txt", "inner");
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  g_nested = {reinterpret_cast<void (*)(const char*, int)>(
                  reinterpret_cast<void*>(::GetProcAddress(module.Handle(), "Hash"))),
              inner, 1, nullptr, false};
  MessageRecorder recorder;
  bool timerSet = false;
  // After the outer run's first block the timer is made and waited for, so that the pump which
  // follows the block dispatches it.
  recorder.SetGate([&](const Record& record) {
    if (record.message != PBM_SETPOS || record.wParam != 25 || timerSet) {
      return;
    }
    timerSet = true;
    g_nested.outerProgress = record.root;
    ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, StartNestedCommand);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kWaitMs, QS_TIMER);
  });
  std::string innerView, outerView;
  bool innerGone = false;
  module.Run(outer.c_str(), 0, [&](DWORD thread) {
    HWND results = WaitForDialog(thread, kProductTitle);
    innerView = results != nullptr ? ControlText(results, IDC_REPORT_VIEW) : "(no results window)";
    Click(results, IDOK);
    innerGone = WaitUntilGone(results);
    results = WaitForDialog(thread, kProductTitle);
    outerView = results != nullptr ? ControlText(results, IDC_REPORT_VIEW) : "(no results window)";
    Click(results, IDOK);
  });
  EXPECT_TRUE(g_nested.startedInsideTheOuterRun);
  EXPECT_TRUE(innerGone);
  EXPECT_EQ(innerView, Sha1Of("inner") + "    inner.txt");
  EXPECT_EQ(outerView, Md5Of(outerBytes) + "    outer.bin");
  EXPECT_EQ(recorder.BarPositions(), (std::vector<int>{0, 25, 0, 100, 50, 75, 100, 100}));
}

} // namespace corvane::test
