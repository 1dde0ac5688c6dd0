// Other programs as a test runs them: started with their output captured or run to their end, and
// where the test's own files and an installation are.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace corvane::test {

// A child process with its standard output and error captured.
class ChildProcess {
public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Program and arguments in UTF-8, so that names outside the ANSI code page reach the child.
  bool Start(const std::string& program, const std::vector<std::string>& arguments);
  DWORD Id() const { return info_.dwProcessId; }
  // Exit code, or -1 when the process did not end within the time (it is then terminated).
  long Wait(DWORD milliseconds);
  const std::string& Output() const { return output_; }
  const std::string& Errors() const { return errors_; }

private:
  PROCESS_INFORMATION info_ = {};
  HANDLE outputRead_ = nullptr;
  HANDLE errorRead_ = nullptr;
  std::string output_;
  std::string errors_;
};

// Folder of the test program (where everything is built), with its final backslash.
std::string BinDir();
// Where the installer puts Corvane 2004 (Program Files\Corvane 2004 of the 64-bit view), without a
// final backslash.
std::string InstallFolder();

// UTF-8 text as UTF-16.
std::wstring Utf16(const std::string& text);
// Runs a command line, taken as it stands, to its end; its exit code, or -1.
long RunCommandLine(std::string commandLine, DWORD milliseconds = 120000);
// Runs a program to its end; its exit code, or -1.
long RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
              DWORD milliseconds = 120000);

// Whether the key is there, as an installation or a registration left it.
bool KeyExists(HKEY root, const char* path);

} // namespace corvane::test
