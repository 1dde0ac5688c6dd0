// The text of a window, as its own program reads it.
#pragma once

#include <windows.h>

#include <string>

namespace corvane {

// A window of this process gives its text however long its thread takes. Another process's is
// asked with WM_GETTEXT, since GetWindowText reads only the caption the system keeps for it (a
// control keeps its text to itself), and for at most a while: that program may hang.
inline std::string WindowText(HWND window) {
  if (window == nullptr) {
    return {};
  }
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) {
      return {};
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
  }
  constexpr UINT kAnswerMs = 10000;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length)) {
    return {};
  }
  std::string text(static_cast<size_t>(length) + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kAnswerMs, &copied)) {
    return {};
  }
  text.resize(static_cast<size_t>(copied));
  return text;
}

} // namespace corvane
