#pragma once
// Files for a run and the Hash export, as the shell extension would load it.

#include <windows.h>

#include <functional>
#include <string>

namespace corvane::test {

std::string ReadFileBytes(const std::string& path);
// A fixed byte pattern of the given length whose 64-byte blocks are not all alike.
std::string PatternBytes(size_t length);

// Makes the calling thread per-monitor DPI aware, as Explorer's window threads are; false where
// the system cannot (before Windows 10).
bool MakeThreadPerMonitorDpiAware();

// Hash.dll loaded by name for one test, like the shell extension does for one command.
class HashModule {
public:
  HashModule();
  ~HashModule();
  HashModule(const HashModule&) = delete;
  HashModule& operator=(const HashModule&) = delete;

  bool Loaded() const { return hash_ != nullptr; }
  HMODULE Handle() const { return module_; }
  // Calls Hash on this thread while driver works the windows from another one. Whatever the
  // driver leaves open is closed afterwards, so a failed expectation cannot hang the run.
  void Run(const char* pathList, int mode, const std::function<void(DWORD threadId)>& driver);

private:
  HMODULE module_;
  void (*hash_)(const char*, int);
};

} // namespace corvane::test
