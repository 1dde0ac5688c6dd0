// desktop-keeper.exe: brings up the default desktop of a Wine session and holds it until the
// session ends.
//
// Wine starts the desktop's manager for the first process that needs a window, gives it ten seconds
// to come up (under load that process then goes on without a desktop), hands it that process's
// standard error, and closes the desktop a second after its last user has gone. Started once at the
// beginning of a session, this program is that first process and stays a user of the desktop, so
// every later program finds the desktop up. It prints "desktop up" once the desktop's manager
// answers messages.
#include <windows.h>

#include <cstdio>

namespace corvane {
namespace {

constexpr DWORD kStartLimitMs = 300000;
constexpr DWORD kAnswerLimitMs = 1000;

// True when another process owns the desktop window and its thread answers.
bool DesktopAnswers(HWND desktop) {
  DWORD owner = 0;
  if (::GetWindowThreadProcessId(desktop, &owner) == 0 || owner == 0 ||
      owner == ::GetCurrentProcessId()) {
    return false;
  }
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutA(desktop, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerLimitMs, &result) !=
         0;
}

int Main() {
  // The first call starts the manager; a late manager takes over the same window when it comes.
  const HWND desktop = ::GetDesktopWindow();
  const DWORD start = ::GetTickCount();
  while (!DesktopAnswers(desktop)) {
    if (::GetTickCount() - start > kStartLimitMs) {
      std::fprintf(stderr, "desktop-keeper: the desktop did not come up\n");
      return 1;
    }
    ::Sleep(50);
  }
  std::printf("desktop up\n");
  std::fflush(stdout);
  // Held until the Wine server ends the session.
  ::Sleep(INFINITE);
  return 0;
}

} // namespace
} // namespace corvane

int main() {
  return corvane::Main();
}
