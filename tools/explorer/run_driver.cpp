#include "tools/explorer/run_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/hash_resource.h"
#include "common/scoped_file.h"
#include "tools/explorer/text_lines.h"
#include "win32/scoped.h"
#include "win32/window_text.h"

namespace corvane {
namespace {

// A WH_GETMESSAGE hook procedure gets no context of its own; one driver per thread at a time.
thread_local RunDriver* activeDriver = nullptr;

constexpr int kMessageTextId = 0xFFFF;
constexpr UINT kTimerPeriodMs = 100;

std::string ClassName(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The template's caption, or the title a batch run gives the window.
bool IsProgressTitle(const std::string& title) {
  return title == PROGRESS_CAPTION || title == kProgressTitleOneFile ||
         title == kProgressTitleFiles;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  if (IsWindowVisible(window)) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

// Writes the window as it is on the screen, frame included, to a 24-bit BMP file.
bool CaptureWindow(HWND window, const std::string& path) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) {
    return false;
  }
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) {
    return false;
  }
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);

  ScopedWholeWindowDC source(window);
  ScopedMemoryDC memory(CreateCompatibleDC(source.Get()));
  if (source.Get() == nullptr || memory.Get() == nullptr) {
    return false;
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height; // bottom-up, as a BMP file stores its rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ScopedGdiObject bitmap(CreateDIBSection(memory.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap.Get() == nullptr || bits == nullptr) {
    return false;
  }
  const HGDIOBJ previous = SelectObject(memory.Get(), bitmap.Get());
  const BOOL copied = BitBlt(memory.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
  GdiFlush();
  SelectObject(memory.Get(), previous);
  if (!copied) {
    return false;
  }

  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER header = {};
  header.bfType = 0x4D42; // "BM"
  header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  header.bfSize = header.bfOffBits + imageSize;
  info.bmiHeader.biSizeImage = imageSize;
  ScopedFile file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    return false;
  }
  const bool written = std::fwrite(&header, sizeof header, 1, file.Get()) == 1 &&
                       std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file.Get()) == 1 &&
                       std::fwrite(bits, 1, imageSize, file.Get()) == imageSize;
  return file.Close() == 0 && written;
}

} // namespace

RunDriver::RunDriver(std::string folder) : folder_(std::move(folder)) {
  if (activeDriver != nullptr) {
    return;
  }
  hook_ =
      SetWindowsHookExA(WH_GETMESSAGE, &RunDriver::GetMessageHook, nullptr, GetCurrentThreadId());
  if (hook_ == nullptr) {
    return;
  }
  textHook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, &RunDriver::CallWndProcRetHook, nullptr,
                                GetCurrentThreadId());
  activeDriver = this;
  timer_ = SetTimer(nullptr, 0, kTimerPeriodMs, nullptr);
}

RunDriver::~RunDriver() {
  if (timer_ != 0) {
    KillTimer(nullptr, timer_);
  }
  if (textHook_ != nullptr) {
    UnhookWindowsHookEx(textHook_);
  }
  if (hook_ != nullptr) {
    UnhookWindowsHookEx(hook_);
    activeDriver = nullptr;
  }
}

LRESULT CALLBACK RunDriver::GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE && activeDriver != nullptr) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    // Paints come with every pump of a run loop and after a modal window shows; the timer covers
    // the rest.
    if (message->message == WM_PAINT || message->message == WM_TIMER) {
      activeDriver->Look();
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK RunDriver::CallWndProcRetHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && activeDriver != nullptr) {
    const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    // The run loops set the bytes field last before they pump: the window is complete then.
    if (call->message == WM_SETTEXT && GetDlgCtrlID(call->hwnd) == IDC_BYTES_TEXT) {
      HWND parent = GetParent(call->hwnd);
      if (parent != nullptr && IsWindowVisible(parent) && !activeDriver->busy_) {
        activeDriver->busy_ = true;
        activeDriver->LookAtProgress(parent);
        activeDriver->busy_ = false;
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void RunDriver::Look() {
  if (busy_) {
    return;
  }
  busy_ = true;
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&windows));
  for (HWND window : windows) {
    LookAt(window);
  }
  busy_ = false;
}

void RunDriver::LookAt(HWND window) {
  // Every window is closed by a posted command once and then only waits for the modal loop.
  if (std::find(done_.begin(), done_.end(), window) != done_.end()) {
    return;
  }
  const std::string caption = WindowText(window);
  HWND view = GetDlgItem(window, IDC_REPORT_VIEW);
  if (view != nullptr && StartsWith(ClassName(view), "RICHEDIT")) {
    Capture(window, "results.bmp");
    reportLines_ = TextLines(WindowText(view));
    sawResults_ = true;
    done_.push_back(window);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDOK)));
    return;
  }
  HWND text = GetDlgItem(window, kMessageTextId);
  const int buttons[] = {IDOK, IDCANCEL, IDNO};
  for (int button : buttons) {
    HWND control = GetDlgItem(window, button);
    if (text != nullptr && control != nullptr) {
      messages_.push_back(caption + ": " + WindowText(text));
      done_.push_back(window);
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(control));
      return;
    }
  }
}

void RunDriver::LookAtProgress(HWND window) {
  if (!IsProgressTitle(WindowText(window)) || GetDlgItem(window, IDC_STATUS_TEXT) == nullptr) {
    return;
  }
  const std::string status = WindowText(GetDlgItem(window, IDC_STATUS_TEXT));
  const std::string size = WindowText(GetDlgItem(window, IDC_FILESIZE_TEXT));
  const std::string bytes = WindowText(GetDlgItem(window, IDC_BYTES_TEXT));
  // Once per file, when all of it has been read.
  if (!status.empty() && status != lastProgressCapture_ && size == bytes + " bytes") {
    lastProgressCapture_ = status;
    Capture(window, "progress.bmp");
  }
}

void RunDriver::Capture(HWND window, const char* name) {
  const std::string path = folder_ + "\\" + name;
  if (!CaptureWindow(window, path)) {
    captureErrors_.push_back(path);
  }
}

} // namespace corvane
