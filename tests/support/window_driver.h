#pragma once
// Plays the user of real windows, the hash module's from a second thread and other programs':
// finds windows by caption and control id, reads their texts (WindowText), clicks buttons, answers
// message boxes. A hook on the thread that runs the windows records every text and bar position
// they were given.

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "win32/window_text.h"

namespace corvane::test {

constexpr DWORD kWaitMs = 30000;

// A visible top-level dialog (class #32770) of the thread whose caption is caption ("*": any) and,
// when owner is given, whose owner is owner; null after timeoutMs.
HWND WaitForDialog(DWORD threadId, const std::string& caption, HWND owner = nullptr,
                   DWORD timeoutMs = kWaitMs);
bool WaitUntilGone(HWND window, DWORD timeoutMs = kWaitMs);
// True when the thread has a visible dialog with this caption right now.
bool HasDialog(DWORD threadId, const std::string& caption);

// The first visible top-level window of the process (of any process for 0) that satisfies
// `match`; null when there is none.
HWND FindVisibleWindow(DWORD processId, const std::function<bool(HWND)>& match);
// The same, polling until `milliseconds` have passed; null when none appeared.
HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& match,
                   DWORD milliseconds = 60000);
// A visible top-level window of the process with this caption (and, unless 0, a control with this
// id).
HWND WaitForCaption(DWORD processId, const std::string& caption, int controlId = 0,
                    DWORD milliseconds = 60000);

std::string ControlText(HWND dialog, int id);
std::string ClassOf(HWND window);
// A click as the user makes it: queued for the window's thread.
void Click(HWND dialog, int id);
// Presses a button of a dialog as a click would: the dialog receives BN_CLICKED from it.
void Press(HWND dialog, int buttonId);
// Answers the message box with this caption by its button id; returns its text.
std::string AnswerMessageBox(DWORD threadId, const std::string& caption, int buttonId,
                             HWND owner = nullptr);
// Rectangle of a child in its parent's client coordinates.
RECT ChildRect(HWND dialog, int id);

// Works the common Save dialog: types path, presses Save, answers a replace question with Yes.
// Returns false when the dialog did not show up. Its caption is the system's word for Save As.
bool SaveThroughDialog(DWORD threadId, HWND owner, const std::string& path,
                       const std::string& caption = "Save As");

// The clipboard's CF_TEXT once its contents changed after sequence; empty on timeout.
std::string WaitForClipboardText(DWORD sequence, DWORD timeoutMs = kWaitMs);

struct Record {
  HWND window;
  HWND root; // the top-level window it belongs to
  int controlId;
  bool topLevel;
  UINT message;
  std::string text; // WM_SETTEXT; for WM_SHOWWINDOW the text of the first child
  WPARAM wParam;
  LPARAM lParam;
  RECT rect;           // EN_REQUESTRESIZE
  std::string caption; // WM_SHOWWINDOW
  DWORD tick;          // when it was sent
};

// WH_CALLWNDPROC on the constructing thread.
class MessageRecorder {
public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  std::vector<Record> Records() const;
  // Texts given to the child control with this id inside root, in order.
  std::vector<std::string> TextsOf(HWND root, int controlId) const;
  // Captions given to top-level windows.
  std::vector<std::string> Titles() const;
  // The first top-level window that was given a caption starting with prefix.
  HWND WindowTitled(const std::string& prefix) const;
  std::vector<int> BarPositions() const;
  // What the controls of root were given, in order, separated by " | ": "ID:text" for a text,
  // "range:LOWER-UPPER", "range32:LOWER-UPPER" and "pos:N" for the bar.
  std::string ControlSequence(HWND root) const;
  // The last size request of a rich-text view.
  bool LastResizeRequest(RECT* rect) const;
  // Runs on the hooked thread after each record is stored; it may block the thread.
  void SetGate(std::function<void(const Record&)> gate);

private:
  static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam);
  void Store(const CWPSTRUCT& message);

  HHOOK hook_;
  mutable std::mutex mutex_;
  std::vector<Record> records_;
  std::function<void(const Record&)> gate_;
};

} // namespace corvane::test
