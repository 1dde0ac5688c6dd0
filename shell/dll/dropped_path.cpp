#include "shell/dll/dropped_path.h"

#include <cstring>

namespace corvane {
namespace {

// True only when the conversion ran and had to put a default character in: without best fit, a
// character missing from the code page is never mapped to a look-alike that names another file.
// An ANSI code page that is UTF-8 refuses these flags; every name is representable there.
bool LacksCharacters(const wchar_t* name) noexcept {
  // Room for two bytes a character, as double-byte code pages need.
  char converted[MAX_PATH * 2];
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, converted,
                                       sizeof converted, nullptr, &usedDefault);
  return size > 0 && usedDefault;
}

// The short form of `name` in the ANSI code page with its length, or 0 when there is none, it
// needs a default character, or it is longer than 259 characters.
UINT ShortAnsiPath(const wchar_t* name, char (&path)[MAX_PATH]) noexcept {
  wchar_t shortName[MAX_PATH];
  const DWORD length = GetShortPathNameW(name, shortName, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return 0;
  }
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortName, -1, path, MAX_PATH,
                                       nullptr, &usedDefault);
  if (size <= 1 || usedDefault) {
    return 0;
  }
  return static_cast<UINT>(size - 1);
}

} // namespace

UINT QueryDroppedPath(HDROP drop, bool wideNames, UINT index, char (&path)[MAX_PATH]) noexcept {
  const UINT length = DragQueryFileA(drop, index, path, MAX_PATH);
  if (length == 0) {
    return 0;
  }
  const UINT kept = length < MAX_PATH ? length : MAX_PATH - 1;
  // Names that arrive as 8-bit text are in the code page already. Longer names are not looked up:
  // their short form would need the long-path prefix.
  if (!wideNames || DragQueryFileW(drop, index, nullptr, 0) >= MAX_PATH) {
    return kept;
  }
  wchar_t name[MAX_PATH];
  if (DragQueryFileW(drop, index, name, MAX_PATH) == 0 || !LacksCharacters(name)) {
    return kept;
  }
  char shortPath[MAX_PATH];
  const UINT shortLength = ShortAnsiPath(name, shortPath);
  if (shortLength == 0) {
    return kept;
  }
  std::memcpy(path, shortPath, shortLength + 1);
  return shortLength;
}

} // namespace corvane
