#include "tests/support/window_driver.h"

#include <commctrl.h>
#include <richedit.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace corvane::test {
namespace {

MessageRecorder* g_recorder = nullptr;

void Pause() {
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// Reads a caption without sending a message, so a busy window thread cannot stall the search.
std::string CaptionOf(HWND window) {
  wchar_t wide[512] = {};
  int length = ::InternalGetWindowText(window, wide, 512);
  char narrow[1024] = {};
  ::WideCharToMultiByte(CP_ACP, 0, wide, length, narrow, sizeof narrow - 1, nullptr, nullptr);
  return narrow;
}

struct DialogSearch {
  std::string caption;
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  if (ClassOf(window) != "#32770" || !::IsWindowVisible(window)) {
    return TRUE;
  }
  if (search->owner != nullptr && ::GetWindow(window, GW_OWNER) != search->owner) {
    return TRUE;
  }
  if (search->caption == "*" || CaptionOf(window) == search->caption) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindDialog(DWORD threadId, const std::string& caption, HWND owner) {
  DialogSearch search{caption, owner, nullptr};
  ::EnumThreadWindows(threadId, MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct WindowSearch {
  DWORD processId;
  const std::function<bool(HWND)>* match;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if ((search->processId == 0 || owner == search->processId) && ::IsWindowVisible(window) &&
      (*search->match)(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

struct EditSearch {
  HWND found;
};

BOOL CALLBACK MatchFileNameEdit(HWND window, LPARAM param) {
  if (ClassOf(window) == "Edit" && ::IsWindowVisible(window) &&
      WindowText(window) == "digest.txt") {
    reinterpret_cast<EditSearch*>(param)->found = window;
    return FALSE;
  }
  return TRUE;
}

// What the thread has open, for the log of a test that did not find the window it waited for.
void PrintThreadWindows(DWORD threadId) {
  ::EnumThreadWindows(
      threadId,
      [](HWND window, LPARAM) -> BOOL {
        std::fprintf(stderr, "window %p class %s caption '%s' visible %d owner %p text '%s'\n",
                     static_cast<void*>(window), ClassOf(window).c_str(), CaptionOf(window).c_str(),
                     ::IsWindowVisible(window), static_cast<void*>(::GetWindow(window, GW_OWNER)),
                     WindowText(::GetDlgItem(window, 0xFFFF)).c_str());
        return TRUE;
      },
      0);
}

} // namespace

HWND WaitForDialog(DWORD threadId, const std::string& caption, HWND owner, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (HWND found = FindDialog(threadId, caption, owner)) {
      return found;
    }
    if (::GetTickCount() - start > timeoutMs) {
      return nullptr;
    }
    Pause();
  }
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (::IsWindow(window)) {
    if (::GetTickCount() - start > timeoutMs) {
      return false;
    }
    Pause();
  }
  return true;
}

bool HasDialog(DWORD threadId, const std::string& caption) {
  return FindDialog(threadId, caption, nullptr) != nullptr;
}

HWND FindVisibleWindow(DWORD processId, const std::function<bool(HWND)>& match) {
  WindowSearch search{processId, &match, nullptr};
  ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& match, DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    HWND found = FindVisibleWindow(processId, match);
    if (found != nullptr || ::GetTickCount() - start > milliseconds) {
      return found;
    }
    Pause();
  }
}

HWND WaitForCaption(DWORD processId, const std::string& caption, int controlId,
                    DWORD milliseconds) {
  return WaitForWindow(
      processId,
      [&](HWND window) {
        return WindowText(window) == caption &&
               (controlId == 0 || ::GetDlgItem(window, controlId) != nullptr);
      },
      milliseconds);
}

std::string ControlText(HWND dialog, int id) {
  return WindowText(::GetDlgItem(dialog, id));
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

void Click(HWND dialog, int id) {
  ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void Press(HWND dialog, int buttonId) {
  ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, buttonId)));
}

std::string AnswerMessageBox(DWORD threadId, const std::string& caption, int buttonId, HWND owner) {
  HWND box = WaitForDialog(threadId, caption, owner);
  if (box == nullptr) {
    return "(no message box)";
  }
  std::string text = ControlText(box, 0xFFFF);
  Click(box, buttonId);
  WaitUntilGone(box);
  return text;
}

RECT ChildRect(HWND dialog, int id) {
  RECT rect{};
  HWND child = ::GetDlgItem(dialog, id);
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool SaveThroughDialog(DWORD threadId, HWND owner, const std::string& path,
                       const std::string& caption) {
  HWND dialog = WaitForDialog(threadId, caption);
  if (dialog == nullptr) {
    PrintThreadWindows(threadId);
    return false;
  }
  EditSearch search{nullptr};
  const DWORD start = ::GetTickCount();
  while (search.found == nullptr && ::GetTickCount() - start < kWaitMs) {
    ::EnumChildWindows(dialog, MatchFileNameEdit, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
      Pause();
    }
  }
  if (search.found == nullptr) {
    std::fprintf(stderr, "no file name field in the Save dialog\n");
    ::EnumChildWindows(
        dialog,
        [](HWND window, LPARAM) -> BOOL {
          std::fprintf(stderr, "child %d class %s text '%s' visible %d\n", ::GetDlgCtrlID(window),
                       ClassOf(window).c_str(), WindowText(window).c_str(),
                       ::IsWindowVisible(window));
          return TRUE;
        },
        0);
    return false;
  }
  ::SendMessageA(search.found, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  Click(dialog, IDOK);
  // The replace question, if the file exists, is owned by the Save dialog.
  for (;;) {
    if (!::IsWindow(dialog)) {
      break;
    }
    if (HWND question = FindDialog(threadId, "*", dialog)) {
      Click(question, IDYES);
      WaitUntilGone(question);
    }
    if (::GetTickCount() - start > kWaitMs) {
      std::fprintf(stderr, "the Save dialog stayed open\n");
      PrintThreadWindows(threadId);
      return false;
    }
    Pause();
  }
  // The window thread writes the file before it takes this message from its modal loop.
  ::SendMessageA(owner, WM_NULL, 0, 0);
  return true;
}

std::string WaitForClipboardText(DWORD sequence, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (::GetClipboardSequenceNumber() == sequence) {
    if (::GetTickCount() - start > timeoutMs) {
      return std::string();
    }
    Pause();
  }
  // The owner keeps the clipboard open while it puts every format of a long report there.
  std::string text;
  const DWORD changed = ::GetTickCount();
  while (::GetTickCount() - changed <= timeoutMs) {
    if (::OpenClipboard(nullptr)) {
      if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        if (const char* chars = static_cast<const char*>(::GlobalLock(data))) {
          text = chars;
          ::GlobalUnlock(data);
        }
      }
      ::CloseClipboard();
      break;
    }
    Pause();
  }
  return text;
}

MessageRecorder::MessageRecorder() {
  g_recorder = this;
  hook_ = ::SetWindowsHookExA(WH_CALLWNDPROC, HookProc, nullptr, ::GetCurrentThreadId());
}

MessageRecorder::~MessageRecorder() {
  if (hook_ != nullptr) {
    ::UnhookWindowsHookEx(hook_);
  }
  g_recorder = nullptr;
}

LRESULT CALLBACK MessageRecorder::HookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_recorder != nullptr) {
    g_recorder->Store(*reinterpret_cast<const CWPSTRUCT*>(lParam));
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageRecorder::Store(const CWPSTRUCT& message) {
  Record record{};
  record.window = message.hwnd;
  record.message = message.message;
  record.wParam = message.wParam;
  record.lParam = message.lParam;
  switch (message.message) {
  case WM_SETTEXT:
    if (message.lParam != 0) {
      record.text = reinterpret_cast<const char*>(message.lParam);
    }
    break;
  case PBM_SETPOS:
  case PBM_SETRANGE:
  case PBM_SETRANGE32: {
    // Other controls take their own messages at these numbers.
    if (::lstrcmpiA(ClassOf(message.hwnd).c_str(), PROGRESS_CLASSA) != 0) {
      return;
    }
    break;
  }
  case WM_SHOWWINDOW:
    record.caption = CaptionOf(message.hwnd);
    // Caption-less notices are told apart by their one line of text.
    if (HWND child = ::GetWindow(message.hwnd, GW_CHILD)) {
      record.text = WindowText(child);
    }
    break;
  case WM_NOTIFY: {
    const auto* header = reinterpret_cast<const NMHDR*>(message.lParam);
    if (header == nullptr || header->code != EN_REQUESTRESIZE) {
      return;
    }
    record.rect = reinterpret_cast<const REQRESIZE*>(header)->rc;
    break;
  }
  default:
    return;
  }
  record.tick = ::GetTickCount();
  record.root = ::GetAncestor(message.hwnd, GA_ROOT);
  record.topLevel = record.root == message.hwnd;
  record.controlId = record.topLevel ? 0 : ::GetDlgCtrlID(message.hwnd);
  std::function<void(const Record&)> gate;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.push_back(record);
    gate = gate_;
  }
  if (gate) {
    gate(record);
  }
}

std::vector<Record> MessageRecorder::Records() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return records_;
}

std::vector<std::string> MessageRecorder::TextsOf(HWND root, int controlId) const {
  std::vector<std::string> texts;
  for (const Record& record : Records()) {
    if (record.message == WM_SETTEXT && record.root == root && !record.topLevel &&
        record.controlId == controlId) {
      texts.push_back(record.text);
    }
  }
  return texts;
}

std::vector<std::string> MessageRecorder::Titles() const {
  std::vector<std::string> titles;
  for (const Record& record : Records()) {
    if (record.message == WM_SETTEXT && record.topLevel) {
      titles.push_back(record.text);
    }
  }
  return titles;
}

HWND MessageRecorder::WindowTitled(const std::string& prefix) const {
  for (const Record& record : Records()) {
    if (record.message == WM_SETTEXT && record.topLevel && record.text.rfind(prefix, 0) == 0) {
      return record.window;
    }
  }
  return nullptr;
}

std::vector<int> MessageRecorder::BarPositions() const {
  std::vector<int> positions;
  for (const Record& record : Records()) {
    if (record.message == PBM_SETPOS) {
      positions.push_back(static_cast<int>(record.wParam));
    }
  }
  return positions;
}

std::string MessageRecorder::ControlSequence(HWND root) const {
  std::string sequence;
  for (const Record& record : Records()) {
    if (record.root != root || record.topLevel)
      continue;
    std::string item;
    if (record.message == WM_SETTEXT)
      item = std::to_string(record.controlId) + ":" + record.text;
    else if (record.message == PBM_SETPOS)
      item = "pos:" + std::to_string(static_cast<int>(record.wParam));
    else if (record.message == PBM_SETRANGE)
      item = "range:" + std::to_string(LOWORD(record.lParam)) + "-" +
             std::to_string(HIWORD(record.lParam));
    else if (record.message == PBM_SETRANGE32)
      item = "range32:" + std::to_string(record.wParam) + "-" + std::to_string(record.lParam);
    else
      continue;
    sequence += (sequence.empty() ? "" : " | ") + item;
  }
  return sequence;
}

bool MessageRecorder::LastResizeRequest(RECT* rect) const {
  bool found = false;
  for (const Record& record : Records()) {
    if (record.message == WM_NOTIFY) {
      *rect = record.rect;
      found = true;
    }
  }
  return found;
}

void MessageRecorder::SetGate(std::function<void(const Record&)> gate) {
  std::lock_guard<std::mutex> lock(mutex_);
  gate_ = std::move(gate);
}

} // namespace corvane::test
