// corvane-host.exe: plays Explorer's part for the Corvane 2004 context-menu handler.
//
//   corvane-host.exe [--command md5|sha1|verify-md5|verify-sha1] [--drive FOLDER] FILE...
//
// Without --command the context menu is shown at the cursor, as a right-click in Explorer shows it.
// With --drive (compute commands only) nobody needs to be at the screen: the windows are captured
// into FOLDER, the report's lines are printed, and every window is closed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/com_identifiers.h"
#include "common/hash_mode.h"
#include "tools/explorer/context_menu_host.h"
#include "tools/explorer/run_driver.h"

namespace corvane {
namespace {

constexpr CLSID kCorvaneShell = GuidFromText<CLSID>(kCorvaneShellClassId);

enum ExitCode {
  kSuccess = 0,
  kUsage = 1,
  kBadFile = 2,
  kNotInstalled = 3,
  kHandlerFailed = 4,
  kNoResults = 5,
};

// The host names of the commands that match, joined by `separator`: "md5|sha1|...".
std::string CommandNames(const char* separator, bool verifications) {
  std::string names;
  for (const HashModeFacts& facts : kHashModes) {
    if (verifications || !facts.verifies) {
      names += (names.empty() ? "" : separator) + std::string(facts.hostCommand);
    }
  }
  return names;
}

int Usage(const char* problem) {
  if (problem != nullptr) {
    std::fprintf(stderr, "corvane-host: %s\n", problem);
  }
  std::fprintf(stderr, "usage: corvane-host.exe [--command %s] [--drive FOLDER] FILE...\n",
               CommandNames("|", true).c_str());
  return kUsage;
}

int Fail(int code, const std::string& text) {
  std::fprintf(stderr, "corvane-host: %s\n", text.c_str());
  return code;
}

std::string Hex(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(result));
  return text;
}

class ScopedComApartment {
public:
  ScopedComApartment() noexcept : result_(CoInitialize(nullptr)) {}
  ~ScopedComApartment() {
    if (SUCCEEDED(result_)) {
      CoUninitialize();
    }
  }
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;
  HRESULT Result() const noexcept { return result_; }

private:
  HRESULT result_;
};

// The window a context menu belongs to; Explorer's would be the folder view.
class HostWindow {
public:
  HostWindow() noexcept {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "CorvaneHostWindow";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, "CorvaneHostWindow", "Corvane 2004 host", WS_POPUP,
                              0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~HostWindow() {
    if (window_ != nullptr) {
      DestroyWindow(window_);
    }
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND Get() const noexcept { return window_; }

private:
  HWND window_ = nullptr;
};

int Main(int argc, wchar_t** argv) {
  std::wstring commandName;
  std::wstring driveFolder;
  std::vector<std::wstring> names;
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument = argv[i];
    if (argument == L"--command" || argument == L"--drive") {
      if (i + 1 >= argc) {
        return Usage((AnsiText(argument) + " needs a value").c_str());
      }
      (argument == L"--command" ? commandName : driveFolder) = argv[++i];
    } else if (argument == L"--help" || argument == L"-h" || argument == L"/?") {
      return Usage(nullptr);
    } else if (argument.size() > 2 && argument.compare(0, 2, L"--") == 0) {
      return Usage(("unknown option " + AnsiText(argument)).c_str());
    } else {
      names.push_back(argument);
    }
  }

  UINT offset = 0;
  if (!commandName.empty() && !FindHostCommand(AnsiText(commandName), offset)) {
    return Usage(("unknown command " + AnsiText(commandName)).c_str());
  }
  if (!driveFolder.empty()) {
    if (commandName.empty() || IsVerification(static_cast<HashMode>(offset))) {
      return Usage(("--drive needs --command " + CommandNames(" or --command ", false)).c_str());
    }
    const DWORD attributes = GetFileAttributesW(driveFolder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return Usage(("no such folder: " + AnsiText(driveFolder)).c_str());
    }
  }
  std::vector<std::wstring> paths;
  std::string problem;
  if (names.empty()) {
    return Usage("no files given");
  }
  if (!MakeSelection(names, paths, problem)) {
    return Fail(kBadFile, problem);
  }

  ScopedComApartment apartment;
  if (FAILED(apartment.Result())) {
    return Fail(kHandlerFailed, "COM could not be initialised: " + Hex(apartment.Result()));
  }
  ContextMenuHost host;
  const HRESULT created = host.Create(kCorvaneShell, paths);
  if (created == REGDB_E_CLASSNOTREG) {
    return Fail(kNotInstalled, std::string("Corvane 2004 is not installed: its class ") +
                                   kCorvaneShellClassId +
                                   " is not registered (run corvane-setup.exe)");
  }
  if (FAILED(created)) {
    return Fail(kHandlerFailed, "the Corvane 2004 handler could not be created: " + Hex(created));
  }

  HostWindow window;
  if (commandName.empty()) {
    POINT at = {};
    GetCursorPos(&at);
    bool picked = false;
    const HRESULT result = host.TrackMenu(window.Get(), at, picked);
    if (FAILED(result)) {
      return Fail(kHandlerFailed, "the context menu failed: " + Hex(result));
    }
    return kSuccess;
  }

  if (driveFolder.empty()) {
    const HRESULT result = host.Invoke(offset, window.Get());
    if (FAILED(result)) {
      return Fail(kHandlerFailed, "the command failed: " + Hex(result));
    }
    return kSuccess;
  }

  RunDriver driver(AnsiText(driveFolder));
  if (!driver.Started()) {
    return Fail(kHandlerFailed, "the windows cannot be watched on this thread");
  }
  const HRESULT result = host.Invoke(offset, window.Get());
  for (const std::string& message : driver.Messages()) {
    std::fprintf(stderr, "corvane-host: %s\n", message.c_str());
  }
  for (const std::string& path : driver.CaptureErrors()) {
    std::fprintf(stderr, "corvane-host: could not capture %s\n", path.c_str());
  }
  if (FAILED(result)) {
    return Fail(kHandlerFailed, "the command failed: " + Hex(result));
  }
  if (!driver.SawResults()) {
    return Fail(kNoResults, "the command showed no results window");
  }
  for (const std::string& line : driver.ReportLines()) {
    std::printf("%s\n", line.c_str());
  }
  std::fflush(stdout);
  return kSuccess;
}

} // namespace
} // namespace corvane

// Wide arguments, as Explorer has the names: an 8-bit command line would already have lost the
// characters the ANSI code page lacks.
int wmain(int argc, wchar_t** argv) {
  return corvane::Main(argc, argv);
}
