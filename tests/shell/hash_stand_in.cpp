// Stands in for Hash.dll: records the mode and the path list it is given in the file named by
// CORVANE_STAND_IN_RECORD, as "<mode>\n<list>".
#include <windows.h>

namespace corvane {
namespace {

void RecordCall(const char* pathList, int mode) {
  char recordPath[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("CORVANE_STAND_IN_RECORD", recordPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || pathList == nullptr) {
    return;
  }
  HANDLE file = CreateFileA(recordPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return;
  }
  char header[16];
  const int headerLength = wsprintfA(header, "%d\n", mode);
  DWORD written = 0;
  WriteFile(file, header, static_cast<DWORD>(headerLength), &written, nullptr);
  WriteFile(file, pathList, static_cast<DWORD>(lstrlenA(pathList)), &written, nullptr);
  CloseHandle(file);
}

} // namespace
} // namespace corvane

extern "C" void Hash(const char* pathList, int mode) noexcept {
  corvane::RecordCall(pathList, mode);
}
