#include "tests/support/programs.h"

#include "win32/scoped.h"

namespace corvane::test {
namespace {

// Only where needed: the installer takes a quoted "/S" for no switch at all.
std::string Quote(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
    return argument;
  }
  return "\"" + argument + "\"";
}

// What an ended child wrote. The pipe need not reach its end: a Wine service started alongside the
// child may hold an inherited copy of the writing end.
std::string Drain(HANDLE pipe) {
  std::string text;
  char buffer[4096];
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) || got == 0) {
      break;
    }
    text.append(buffer, got);
  }
  return text;
}

void CloseIf(HANDLE& handle) {
  if (handle != nullptr) {
    CloseHandle(handle);
    handle = nullptr;
  }
}

} // namespace

ChildProcess::~ChildProcess() {
  if (info_.hProcess != nullptr) {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 1);
    }
    CloseHandle(info_.hProcess);
  }
  CloseIf(info_.hThread);
  CloseIf(outputRead_);
  CloseIf(errorRead_);
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE outputWrite = nullptr;
  HANDLE errorWrite = nullptr;
  if (!CreatePipe(&outputRead_, &outputWrite, &inherit, 1 << 16) ||
      !CreatePipe(&errorRead_, &errorWrite, &inherit, 1 << 16)) {
    CloseIf(outputWrite);
    return false;
  }
  SetHandleInformation(outputRead_, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errorRead_, HANDLE_FLAG_INHERIT, 0);
  std::string commandLine = Quote(program);
  for (const std::string& argument : arguments) {
    commandLine += " " + Quote(argument);
  }
  std::wstring wideCommandLine = Utf16(commandLine);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outputWrite;
  startup.hStdError = errorWrite;
  const BOOL started = CreateProcessW(nullptr, wideCommandLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &info_);
  CloseHandle(outputWrite);
  CloseHandle(errorWrite);
  return started != FALSE;
}

long ChildProcess::Wait(DWORD milliseconds) {
  if (info_.hProcess == nullptr) {
    return -1;
  }
  if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, INFINITE);
    output_ = Drain(outputRead_);
    errors_ = Drain(errorRead_);
    return -1;
  }
  output_ = Drain(outputRead_);
  errors_ = Drain(errorRead_);
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return static_cast<long>(code);
}

std::string BinDir() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, length);
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

std::string InstallFolder() {
  char programFiles[MAX_PATH] = {};
  GetEnvironmentVariableA("ProgramW6432", programFiles, MAX_PATH);
  return std::string(programFiles) + "\\Corvane 2004";
}

std::wstring Utf16(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         wide.data(), static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(length));
  return wide;
}

long RunCommandLine(std::string commandLine, DWORD milliseconds) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return -1;
  }
  CloseHandle(info.hThread);
  long result = -1;
  if (WaitForSingleObject(info.hProcess, milliseconds) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    result = static_cast<long>(code);
  } else {
    TerminateProcess(info.hProcess, 1);
  }
  CloseHandle(info.hProcess);
  return result;
}

long RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
              DWORD milliseconds) {
  ChildProcess child;
  if (!child.Start(program, arguments)) {
    return -1;
  }
  return child.Wait(milliseconds);
}

bool KeyExists(HKEY root, const char* path) {
  ScopedRegKey key;
  return RegOpenKeyExA(root, path, 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

} // namespace corvane::test
