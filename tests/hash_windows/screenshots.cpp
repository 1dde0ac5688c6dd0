// Opens the progress window, the formatting notice, the results window, the digest entry dialog
// and a verdict box of Hash.dll one after the other and photographs each from the screen into a
// BMP file: screenshots.exe OUTPUT_FOLDER. Its thread is per-monitor DPI aware, as Explorer's is.

#include "common/hash_resource.h"
#include "common/product.h"
#include "tests/common/temp_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/window_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace corvane::test {

namespace {

// repaint: have the window's thread paint it now; not for a window whose thread is held.
bool Photograph(HWND window, const std::string& path, bool repaint = true) {
  if (window == nullptr) {
    return false;
  }
  if (repaint) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  // Wine hands what a window painted to the display when a thread of the process finds its
  // queue empty; this thread's is.
  MSG msg;
  ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ::SelectObject(memory, previous);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height);
  ::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    return false;
  }
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  std::fwrite(pixels.data(), 1, pixels.size(), out);
  return std::fclose(out) == 0;
}

} // namespace

int Main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: hash_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string out = argv[1];
  TempFolder folder;
  const std::string big = folder.Write("holiday.avi", PatternBytes(177000));
  const std::string notes = folder.Write("notes.txt", "Corvane 2004\r\n");
  const std::string list = notes + "\n" + big + "\n" + folder.Path("vanished.doc");
  MakeThreadPerMonitorDpiAware();
  HashModule module;
  if (!module.Loaded()) {
    std::fprintf(stderr, "Hash.dll could not be loaded\n");
    return 1;
  }
  int failures = 0;
  {
    // The run is held as its second block of the big file is about to be shown, with the first
    // block (37 %) painted on its own thread, so that the window is photographed as it stands.
    MessageRecorder recorder;
    HANDLE reached = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE released = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Then it is held at the view's first size request while the notice is on the screen.
    HANDLE loading = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE loaded = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    recorder.SetGate([&](const Record& record) {
      if (record.message == PBM_SETPOS && record.wParam == 74) {
        ::RedrawWindow(record.root, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::SetEvent(reached);
        ::WaitForSingleObject(released, kWaitMs);
      }
      if (record.message == WM_NOTIFY && ::WaitForSingleObject(loaded, 0) == WAIT_TIMEOUT) {
        ::SetEvent(loading);
        ::WaitForSingleObject(loaded, kWaitMs);
      }
    });
    module.Run(list.c_str(), 0, [&](DWORD thread) {
      HWND progress = WaitForDialog(thread, kProgressTitleFiles);
      if (::WaitForSingleObject(reached, kWaitMs) != WAIT_OBJECT_0 ||
          !Photograph(progress, out + "\\progress.bmp", false)) {
        ++failures;
      }
      ::SetEvent(released);
      if (::WaitForSingleObject(loading, kWaitMs) != WAIT_OBJECT_0 ||
          !Photograph(WaitForDialog(thread, ""), out + "\\formatting.bmp", false)) {
        ++failures;
      }
      ::SetEvent(loaded);
      HWND results = WaitForDialog(thread, kProductTitle);
      ::SendMessageA(results, WM_NULL, 0, 0);
      failures += !Photograph(results, out + "\\results.bmp");
      Click(results, IDOK);
    });
    ::CloseHandle(reached);
    ::CloseHandle(released);
    ::CloseHandle(loading);
    ::CloseHandle(loaded);
  }
  module.Run(notes.c_str(), 2, [&](DWORD thread) {
    HWND entry = WaitForDialog(thread, VERIFY_DIGEST_CAPTION);
    failures += !Photograph(entry, out + "\\digest_entry.bmp");
    ::SendMessageA(::GetDlgItem(entry, IDC_DIGEST_EDIT), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>("0123456789abcdef0123456789abcdef"));
    Click(entry, IDOK);
    HWND verdict = WaitForDialog(thread, kProductTitle);
    failures += !Photograph(verdict, out + "\\verdict.bmp");
    Click(verdict, IDOK);
  });
  return failures == 0 ? 0 : 1;
}

} // namespace corvane::test

int main(int argc, char** argv) {
  return corvane::test::Main(argc, argv);
}
