#include "shell/registrar_win32/win32_registry.h"

#include <windows.h>

#include <oleauto.h>

#include <vector>

namespace corvane {

namespace {

HKEY ToHKey(RegKey key) {
  return reinterpret_cast<HKEY>(key);
}

bool IsRoot(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
         key == HKEY_USERS || key == HKEY_PERFORMANCE_DATA || key == HKEY_DYN_DATA ||
         key == HKEY_CURRENT_CONFIG;
}

} // namespace

RegKey Win32Registry::Root(RootKey root) {
  HKEY key = HKEY_CLASSES_ROOT;
  switch (root) {
  case RootKey::ClassesRoot:
    key = HKEY_CLASSES_ROOT;
    break;
  case RootKey::CurrentUser:
    key = HKEY_CURRENT_USER;
    break;
  case RootKey::LocalMachine:
    key = HKEY_LOCAL_MACHINE;
    break;
  case RootKey::Users:
    key = HKEY_USERS;
    break;
  case RootKey::PerformanceData:
    key = HKEY_PERFORMANCE_DATA;
    break;
  case RootKey::DynData:
    key = HKEY_DYN_DATA;
    break;
  case RootKey::CurrentConfig:
    key = HKEY_CURRENT_CONFIG;
    break;
  }
  return reinterpret_cast<RegKey>(key);
}

std::uint32_t Win32Registry::OpenKey(RegKey parent, const char* name, std::uint32_t access,
                                     RegKey* key) {
  HKEY opened = nullptr;
  const LONG error = RegOpenKeyExA(ToHKey(parent), name, 0, access, &opened);
  *key = error == ERROR_SUCCESS ? reinterpret_cast<RegKey>(opened) : 0;
  return static_cast<std::uint32_t>(error);
}

std::uint32_t Win32Registry::CreateKey(RegKey parent, const char* name, RegKey* key) {
  HKEY created = nullptr;
  DWORD disposition = 0;
  const LONG error = RegCreateKeyExA(ToHKey(parent), name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_READ | KEY_WRITE, nullptr, &created, &disposition);
  *key = error == ERROR_SUCCESS ? reinterpret_cast<RegKey>(created) : 0;
  return static_cast<std::uint32_t>(error);
}

std::uint32_t Win32Registry::CloseKey(RegKey key) {
  if (IsRoot(ToHKey(key))) {
    return ERROR_SUCCESS;
  }
  return static_cast<std::uint32_t>(RegCloseKey(ToHKey(key)));
}

std::uint32_t Win32Registry::DeleteKey(RegKey parent, const char* name) {
  return static_cast<std::uint32_t>(RegDeleteKeyA(ToHKey(parent), name));
}

std::uint32_t Win32Registry::DeleteValue(RegKey key, const char* name) {
  return static_cast<std::uint32_t>(RegDeleteValueA(ToHKey(key), name));
}

std::uint32_t Win32Registry::SetValue(RegKey key, const char* name, std::uint32_t type,
                                      const void* data, std::uint32_t size) {
  static const BYTE kNoBytes[1] = {0};
  const BYTE* bytes = data != nullptr ? static_cast<const BYTE*>(data) : kNoBytes;
  return static_cast<std::uint32_t>(RegSetValueExA(ToHKey(key), name, 0, type, bytes, size));
}

std::uint32_t Win32Registry::QueryCounts(RegKey key, std::uint32_t* subkeys,
                                         std::uint32_t* values) {
  DWORD subkeyCount = 0;
  DWORD valueCount = 0;
  const LONG error = RegQueryInfoKeyA(ToHKey(key), nullptr, nullptr, nullptr, &subkeyCount, nullptr,
                                      nullptr, &valueCount, nullptr, nullptr, nullptr, nullptr);
  *subkeys = subkeyCount;
  *values = valueCount;
  return static_cast<std::uint32_t>(error);
}

std::uint32_t Win32Registry::EnumKeyName(RegKey key, std::uint32_t index, std::string* name) {
  char buffer[256];
  DWORD length = sizeof buffer;
  const LONG error =
      RegEnumKeyExA(ToHKey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (error == ERROR_SUCCESS) {
    name->assign(buffer, length);
  }
  return static_cast<std::uint32_t>(error);
}

bool IsAnsiLeadByte(unsigned char byte) {
  return IsDBCSLeadByte(byte) != FALSE;
}

bool AutomationUInt32FromString(const char* text, std::uint32_t* number) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 0) {
    return false;
  }
  std::vector<OLECHAR> wide(static_cast<std::size_t>(length));
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  ULONG converted = 0;
  if (FAILED(VarUI4FromStr(wide.data(), 0, 0, &converted))) {
    return false;
  }
  *number = converted;
  return true;
}

} // namespace corvane
