// Runs one Hash command on a path list read from a file, as the shell extension would, and works
// its windows like a user: waits for the results window, writes the text it shows to a file, then
// closes it. Prints how long the run took to reach the results window and whether that window
// still answered at once.
//   hash_run.exe LIST_FILE MODE REPORT_FILE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "common/hash_resource.h"
#include "common/product.h"
#include "tests/support/test_support.h"
#include "tests/support/window_driver.h"

namespace corvane {

namespace {

constexpr DWORD kRunTimeoutMs = 1800000;

} // namespace

int Main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: hash_run LIST_FILE MODE REPORT_FILE\n");
    return 2;
  }
  std::ifstream listFile(argv[1], std::ios::binary);
  const std::string list((std::istreambuf_iterator<char>(listFile)),
                         std::istreambuf_iterator<char>());
  test::HashModule module;
  if (!module.Loaded()) {
    std::fprintf(stderr, "Hash.dll could not be loaded\n");
    return 1;
  }
  bool shown = false;
  std::string text;
  const DWORD start = GetTickCount();
  DWORD atResults = 0;
  DWORD answerMs = 0;
  module.Run(list.c_str(), std::atoi(argv[2]), [&](DWORD thread) {
    HWND results = test::WaitForDialog(thread, kProductTitle, nullptr, kRunTimeoutMs);
    if (results == nullptr)
      return;
    atResults = GetTickCount();
    shown = true;
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutA(results, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored) != 0)
      answerMs = GetTickCount() - atResults;
    else
      answerMs = 5000;
    text = test::ControlText(results, IDC_REPORT_VIEW);
    test::Click(results, IDOK);
  });
  if (!shown) {
    std::fprintf(stderr, "the results window never came\n");
    return 1;
  }
  std::ofstream(argv[3], std::ios::binary) << text;
  std::printf("results window after %lu ms, answered in %lu ms, %zu characters shown\n",
              atResults - start, answerMs, text.size());
  return 0;
}

} // namespace corvane

int main(int argc, char** argv) {
  return corvane::Main(argc, argv);
}
