// The test's side of the shell: loads Corvane.dll, hands it a selection through a data object,
// sets the registry value naming the hash module and answers message boxes like a user.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/programs.h"
#include "win32/scoped.h"

namespace corvane::test {

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

// Corvane.dll as the shell loads it, kept loaded for the whole test program.
struct CorvaneDll {
  HMODULE module;
  GetClassObjectFunction getClassObject;
  CanUnloadNowFunction canUnloadNow;
};
const CorvaneDll& Corvane();

// A CorvaneShell from the class factory.
ComPtr<IContextMenu> CreateContextMenu();
// IShellExtInit::Initialize with the data object.
HRESULT InitializeWithData(IContextMenu* menu, IDataObject* data);
// The same with a data object serving the ANSI names as CF_HDROP.
HRESULT InitializeWith(IContextMenu* menu, const std::vector<std::string>& paths);
// The same with UTF-16 names, as Explorer sends them.
HRESULT InitializeWith(IContextMenu* menu, const std::vector<std::wstring>& paths);
HRESULT InvokeByOffset(IContextMenu* menu, UINT offset);

// The default value of HKLM\Software\Corvane 2004, as it was before, restored on destruction.
class HashModuleValue {
public:
  HashModuleValue();
  ~HashModuleValue();
  HashModuleValue(const HashModuleValue&) = delete;
  HashModuleValue& operator=(const HashModuleValue&) = delete;

  void SetPath(const std::string& path);
  void SetBytes(const void* data, DWORD size);
  void RemoveKey();

private:
  bool keyExisted_ = false;
  bool valueExisted_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> data_;
};

// What the stand-in hash module received; `called` is false when it was not called.
struct HashCall {
  bool called = false;
  int mode = -1;
  std::string list;
};

// Points the stand-in at a fresh record file for the lifetime of the object.
class StandInRecorder {
public:
  StandInRecorder();
  ~StandInRecorder();
  StandInRecorder(const StandInRecorder&) = delete;
  StandInRecorder& operator=(const StandInRecorder&) = delete;

  // Reads and clears the record of the last call.
  HashCall Take();

private:
  std::string path_;
};

std::string StandInPath();
std::string NoHashStandInPath();

// Waits on a thread of its own for a window of this process with the given caption, reads the
// text of one of its controls (by default a message box's text) and presses OK. Gives up after a
// bounded time or when stopped.
class MessageBoxAnswerer {
public:
  explicit MessageBoxAnswerer(std::string caption = "Error", int textControl = 0xFFFF);
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  // Ends the wait; afterwards the results below are final.
  void Stop();
  bool Answered() const { return answered_; }
  const std::string& Text() const { return text_; }
  bool HadOwner() const { return hadOwner_; }

private:
  void Run();

  std::string caption_;
  int textControl_;
  std::atomic<bool> stop_{false};
  bool answered_ = false;
  bool hadOwner_ = false;
  std::string text_;
  std::thread thread_;
};

} // namespace corvane::test
