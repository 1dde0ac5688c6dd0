// Times one batch run through Hash.dll with its real windows: from the call until the results
// window is on the screen. The results window is closed as soon as it appears.
//   hash_end_to_end MODE LIST_FILE   (LIST_FILE: the path list, paths separated by line feeds)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace corvane {

namespace {

using HashFunction = void (*)(const char* pathList, int mode);

constexpr char kResultsCaption[] = "Corvane 2004 - 64-bit Edition";

LARGE_INTEGER g_shown{};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Watching from the run's own thread: a second thread polling for the window would compete with
// the run for the Wine server and the CPU, and slow down what it measures.
LRESULT CALLBACK WatchActivations(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && g_shown.QuadPart == 0) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (std::strcmp(caption, kResultsCaption) == 0) {
      QueryPerformanceCounter(&g_shown);
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
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

  HHOOK hook = SetWindowsHookExA(WH_CBT, WatchActivations, nullptr, GetCurrentThreadId());
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  hash(pathList.c_str(), mode);
  UnhookWindowsHookEx(hook);
  FreeLibrary(module);
  if (g_shown.QuadPart == 0) {
    std::fprintf(stderr, "the results window never appeared\n");
    return 1;
  }
  std::printf("%.3f\n", Seconds(start, g_shown));
  return 0;
}

} // namespace corvane

int main(int argc, char** argv) {
  return corvane::Main(argc, argv);
}
