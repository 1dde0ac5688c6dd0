// Times one batch run through Hash.dll with its real windows: from the call until the results
// window is on the screen. The results window is closed as soon as it appears.
//   hash_end_to_end MODE LIST_FILE   (LIST_FILE: the path list, paths separated by line feeds)
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

using HashFunction = void (*)(const char* pathList, int mode);

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
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

  LARGE_INTEGER start, shown;
  std::atomic<bool> done{false};
  std::thread closer([&] {
    HWND results = nullptr;
    while (!done && (results = FindWindowA("#32770", "Corvane 2004 - 64-bit Edition")) == nullptr)
      Sleep(1);
    QueryPerformanceCounter(&shown);
    if (results != nullptr)
      PostMessageA(results, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  QueryPerformanceCounter(&start);
  hash(pathList.c_str(), mode);
  done = true;
  closer.join();
  FreeLibrary(module);
  std::printf("%.3f\n", Seconds(start, shown));
  return 0;
}
