#include "tests/support/test_support.h"

#include "tests/support/window_driver.h"

#include <atomic>
#include <cstdio>
#include <thread>

namespace corvane::test {
namespace {

BOOL CALLBACK CloseLeftover(HWND window, LPARAM) {
  if (!::IsWindowVisible(window)) {
    return TRUE;
  }
  // A message box or dialog left open: answer it with its safest button.
  if (::GetDlgItem(window, IDNO) != nullptr) {
    ::PostMessageA(window, WM_COMMAND, IDNO, 0);
  } else {
    ::PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    ::PostMessageA(window, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}

} // namespace

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
      bytes.append(buffer, n);
    }
    std::fclose(file);
  }
  return bytes;
}

std::string PatternBytes(size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) {
    bytes[i] = static_cast<char>(i * 7 + i / 251);
  }
  return bytes;
}

bool MakeThreadPerMonitorDpiAware() {
  using SetContext = HANDLE(WINAPI*)(HANDLE);
  auto set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext")));
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, else the first version where only that exists.
  return set != nullptr && (set(reinterpret_cast<HANDLE>(-4)) != nullptr ||
                            set(reinterpret_cast<HANDLE>(-3)) != nullptr);
}

HashModule::HashModule() : module_(::LoadLibraryA("Hash.dll")), hash_(nullptr) {
  if (module_ != nullptr) {
    hash_ = reinterpret_cast<void (*)(const char*, int)>(
        reinterpret_cast<void*>(::GetProcAddress(module_, "Hash")));
  }
}

HashModule::~HashModule() {
  if (module_ != nullptr) {
    ::FreeLibrary(module_);
  }
}

void HashModule::Run(const char* pathList, int mode,
                     const std::function<void(DWORD threadId)>& driver) {
  const DWORD threadId = ::GetCurrentThreadId();
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    driver(threadId);
    while (!returned) {
      ::EnumThreadWindows(threadId, CloseLeftover, 0);
      ::Sleep(100);
    }
  });
  hash_(pathList, mode);
  returned = true;
  worker.join();
}

} // namespace corvane::test
