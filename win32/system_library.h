// Libraries of the system loaded from the system folder alone. Given a bare name, the loader looks
// in the calling program's folder first: a shell extension runs inside any program that shows a
// context menu, and that folder (Downloads, say) may hold a file of the same name put there by
// anybody.
#pragma once

#include <windows.h>

#include <cstring>

namespace corvane {

// The loader takes LOAD_LIBRARY_SEARCH_SYSTEM32 where it has AddDllDirectory (Windows 8 and later,
// Windows 7 with its loader update); elsewhere the flag is refused.
inline bool LoaderSearchesSystemFolderOnRequest() noexcept {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  return kernel != nullptr && GetProcAddress(kernel, "AddDllDirectory") != nullptr;
}

// `name` (a bare file name) by its full path in the system folder; the library's own imports are
// then looked for in that folder first, too.
inline HMODULE LoadLibraryFromSystemFolderPath(const char* name) noexcept {
  char path[MAX_PATH];
  const UINT folderLength = GetSystemDirectoryA(path, MAX_PATH);
  if (folderLength == 0) {
    return nullptr;
  }
  const std::size_t nameLength = std::strlen(name);
  if (folderLength + 1 + nameLength >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
  }
  path[folderLength] = '\\';
  std::memcpy(path + folderLength + 1, name, nameLength + 1);
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// The system's own library `name` (a bare file name such as "riched32.dll"), or null with the
// loader's error; released with FreeLibrary (ScopedModule).
inline HMODULE LoadSystemLibrary(const char* name) noexcept {
  if (LoaderSearchesSystemFolderOnRequest()) {
    return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  return LoadLibraryFromSystemFolderPath(name);
}

} // namespace corvane
