#include "shell/dll/dropped_path.h"

#include <cstring>
#include <cwchar>

namespace corvane {
namespace {

// True only when the conversion ran and had to put a default character in: without best fit, a
// character missing from the code page is never mapped to a look-alike that names another file.
// An ANSI code page that is UTF-8 refuses these flags; every name is representable there.
bool LacksCharacters(const wchar_t* text, int count = -1) noexcept {
  // Room for two bytes a character, as double-byte code pages need.
  char converted[MAX_PATH * 2];
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, count, converted,
                                       sizeof converted, nullptr, &usedDefault);
  return size > 0 && usedDefault;
}

// Appends `count` characters in the code page, within 259 characters; false when they do not fit
// or one is missing from the code page.
bool AppendAnsi(const wchar_t* text, int count, char (&path)[MAX_PATH], int& length) noexcept {
  const int room = MAX_PATH - 1 - length;
  if (count == 0 || room <= 0) {
    return count == 0;
  }
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, count, path + length,
                                       room, nullptr, &usedDefault);
  if (size == 0 || usedDefault) {
    return false;
  }
  length += size;
  return true;
}

// Writes `name` with each component the code page holds as it is and every other one as in its
// short form `shortName`, which names the same components: the report then lists a file by its
// own name whenever the code page holds it, though a folder above it needs its short name.
bool AppendKeepingHeldComponents(const wchar_t* name, const wchar_t* shortName,
                                 char (&path)[MAX_PATH], int& length) noexcept {
  for (;;) {
    const wchar_t* nameEnd = name + std::wcscspn(name, L"\\");
    const wchar_t* shortEnd = shortName + std::wcscspn(shortName, L"\\");
    const int nameCount = static_cast<int>(nameEnd - name);
    const bool held = !LacksCharacters(name, nameCount);
    if (!AppendAnsi(held ? name : shortName,
                    held ? nameCount : static_cast<int>(shortEnd - shortName), path, length)) {
      return false;
    }
    if (*nameEnd == L'\0' || *shortEnd == L'\0') {
      return *nameEnd == *shortEnd;
    }
    if (!AppendAnsi(L"\\", 1, path, length)) {
      return false;
    }
    name = nameEnd + 1;
    shortName = shortEnd + 1;
  }
}

// `name` in the code page with the short (8.3) name of each component that the code page cannot
// hold, else the whole short path, and its length; 0 when the file has no short path, a short name
// too lacks characters, or no form fits in 259 characters.
UINT ShortenedAnsiPath(const wchar_t* name, char (&path)[MAX_PATH]) noexcept {
  wchar_t shortName[MAX_PATH];
  const DWORD shortLength = GetShortPathNameW(name, shortName, MAX_PATH);
  if (shortLength == 0 || shortLength >= MAX_PATH) {
    return 0;
  }
  int length = 0;
  if (!AppendKeepingHeldComponents(name, shortName, path, length)) {
    length = 0;
    if (!AppendAnsi(shortName, static_cast<int>(shortLength), path, length)) {
      return 0;
    }
  }
  path[length] = '\0';
  return static_cast<UINT>(length);
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
  const UINT shortLength = ShortenedAnsiPath(name, shortPath);
  if (shortLength == 0) {
    return kept;
  }
  std::memcpy(path, shortPath, shortLength + 1);
  return shortLength;
}

} // namespace corvane
