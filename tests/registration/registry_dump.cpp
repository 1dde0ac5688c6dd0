#include "tests/registration/registry_dump.h"

#include <algorithm>
#include <cstdio>

#include "win32/scoped.h"

namespace corvane::test {
namespace {

void DumpInto(HKEY key, const std::string& name, Lines& lines) {
  lines.push_back(name);
  for (DWORD index = 0;; ++index) {
    char valueName[16384];
    DWORD nameLength = sizeof valueName;
    BYTE data[8192];
    DWORD dataLength = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(key, index, valueName, &nameLength, nullptr, &type, data, &dataLength) !=
        ERROR_SUCCESS) {
      break;
    }
    std::string line =
        name + "|" + std::string(valueName, nameLength) + "=" + std::to_string(type) + ":";
    if (type == REG_SZ) {
      line.append(reinterpret_cast<const char*>(data), dataLength);
      while (!line.empty() && line.back() == '\0') {
        line.pop_back();
      }
    } else {
      for (DWORD i = 0; i < dataLength; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", data[i]);
        line += hex;
      }
    }
    lines.push_back(line);
  }
  for (DWORD index = 0;; ++index) {
    char subkey[256];
    DWORD length = sizeof subkey;
    if (RegEnumKeyExA(key, index, subkey, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    ScopedRegKey child;
    if (RegOpenKeyExA(key, subkey, 0, KEY_READ, child.Receive()) == ERROR_SUCCESS) {
      DumpInto(child.Get(), name + "\\" + subkey, lines);
    }
  }
}

} // namespace

Lines DumpKey(HKEY root, const std::string& rootName, const std::string& path) {
  Lines lines;
  ScopedRegKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS) {
    DumpInto(key.Get(), rootName + "\\" + path, lines);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

Lines SubkeyNames(HKEY root, const std::string& path) {
  Lines names;
  ScopedRegKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
    return names;
  }
  for (DWORD index = 0;; ++index) {
    char subkey[256];
    DWORD length = sizeof subkey;
    if (RegEnumKeyExA(key.Get(), index, subkey, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(subkey, length);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadString(HKEY root, const std::string& path, const char* name) {
  ScopedRegKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
    return "<no key>";
  }
  char data[4096];
  DWORD length = sizeof data;
  DWORD type = 0;
  if (RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &length) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return "<no string>";
  }
  return std::string(data, strnlen(data, length));
}

} // namespace corvane::test
