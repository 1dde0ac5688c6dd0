// Times one batch run through Hash.dll with its real windows, from the call until it returns; the
// results window is closed as soon as it is ready. Also times the results window's loading: from
// its creation until its initialisation returns, the report loaded into its view and the window
// sized.
//   hash_end_to_end MODE LIST_FILE   (LIST_FILE: the path list, paths separated by line feeds)
// Prints both in seconds: "RUN LOADING".
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "common/product.h"

namespace corvane {

namespace {

using HashFunction = void (*)(const char* pathList, int mode);

LARGE_INTEGER g_created{};
LARGE_INTEGER g_loaded{};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool IsResultsCaption(const char* caption) {
  return caption != nullptr && !IS_INTRESOURCE(caption) && std::strcmp(caption, kProductTitle) == 0;
}

// The hooks watch from the run's own thread: a second thread polling for the window would compete
// with the run for the Wine server and the CPU, and slow down what it measures. A hook on sent
// messages costs Wine a server request for every message, so it is set only once the results
// window is created.
HHOOK g_initialisation = nullptr;

// The window may be activated while it loads (sizing it activates it), so the end of loading is
// the return from its initialisation.
LRESULT CALLBACK WatchInitialisation(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == WM_INITDIALOG && g_loaded.QuadPart == 0) {
    char caption[64] = {};
    GetWindowTextA(message->hwnd, caption, sizeof caption);
    if (IsResultsCaption(caption)) {
      QueryPerformanceCounter(&g_loaded);
      PostMessageA(message->hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_created.QuadPart == 0) {
    const auto* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
    if (IsResultsCaption(create->lpcs->lpszName)) {
      QueryPerformanceCounter(&g_created);
      g_initialisation =
          SetWindowsHookExA(WH_CALLWNDPROCRET, WatchInitialisation, nullptr, GetCurrentThreadId());
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int Main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hash_end_to_end MODE LIST_FILE\n");
    return 2;
  }
  const int mode = std::atoi(argv[1]);
  std::ifstream listFile(argv[2], std::ios::binary);
  std::stringstream contents;
  contents << listFile.rdbuf();
  const std::string pathList = contents.str();

  HMODULE module = LoadLibraryA("Hash.dll");
  auto hash = module ? reinterpret_cast<HashFunction>(
                           reinterpret_cast<void (*)()>(GetProcAddress(module, "Hash")))
                     : nullptr;
  if (hash == nullptr) {
    std::fprintf(stderr, "cannot load Hash.dll\n");
    return 2;
  }

  HHOOK creation = SetWindowsHookExA(WH_CBT, WatchCreation, nullptr, GetCurrentThreadId());
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  hash(pathList.c_str(), mode);
  QueryPerformanceCounter(&end);
  if (g_initialisation != nullptr)
    UnhookWindowsHookEx(g_initialisation);
  UnhookWindowsHookEx(creation);
  FreeLibrary(module);
  if (g_loaded.QuadPart == 0) {
    std::fprintf(stderr, "the results window never appeared\n");
    return 1;
  }
  std::printf("%.3f %.6f\n", Seconds(start, end), Seconds(g_created, g_loaded));
  return 0;
}

} // namespace corvane

int main(int argc, char** argv) {
  return corvane::Main(argc, argv);
}
