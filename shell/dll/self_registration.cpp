// DllRegisterServer and DllUnregisterServer: the registration script of every class in the object
// map, then the type library stored in the module.
#include "shell/dll/self_registration.h"

#include <oleauto.h>

#include <cstring>

#include "shell/dll/module.h"
#include "shell/registrar_win32/script_resource.h"
#include "win32/last_error.h"
#include "win32/scoped.h"

namespace corvane {
namespace {

constexpr UINT kRegistrationScriptId = 101;

// Loads the type library from the module's own file or, failing that, from the ".tlb" file
// beside it; `path` receives the file that loaded.
HRESULT LoadModuleTypeLib(ComPtr<ITypeLib>& typeLib, WCHAR (&path)[MAX_PATH]) noexcept {
  char modulePath[MAX_PATH];
  const DWORD length = GetModuleFileNameA(ModuleInstance(), modulePath, MAX_PATH);
  if (length == MAX_PATH) {
    return HRESULT_FROM_WIN32(ERROR_BUFFER_OVERFLOW);
  }
  if (length == 0) {
    return LastErrorResult();
  }
  if (MultiByteToWideChar(CP_ACP, 0, modulePath, -1, path, MAX_PATH) == 0) {
    return LastErrorResult();
  }
  HRESULT result = LoadTypeLib(path, typeLib.Receive());
  if (SUCCEEDED(result)) {
    return result;
  }
  // The extension is the last dot after the last separator. Walked character by character: in a
  // double-byte code page the second byte of a character may be 0x5C, the backslash.
  char* extension = modulePath + length;
  for (char* at = modulePath; *at != '\0'; at = CharNextExA(CP_ACP, at, 0)) {
    if (*at == '\\' || *at == '/') {
      extension = modulePath + length;
    } else if (*at == '.') {
      extension = at;
    }
  }
  const std::size_t stemLength = static_cast<std::size_t>(extension - modulePath);
  if (stemLength + sizeof ".tlb" > MAX_PATH) {
    return E_FAIL;
  }
  std::memcpy(extension, ".tlb", sizeof ".tlb");
  if (MultiByteToWideChar(CP_ACP, 0, modulePath, -1, path, MAX_PATH) == 0) {
    return LastErrorResult();
  }
  return LoadTypeLib(path, typeLib.Receive());
}

HRESULT RegisterModuleTypeLib() noexcept {
  ComPtr<ITypeLib> typeLib;
  WCHAR path[MAX_PATH];
  HRESULT result = LoadModuleTypeLib(typeLib, path);
  if (FAILED(result)) {
    return result;
  }
  // Converted into MAX_PATH characters, its end included: its folder fits the help directory.
  const std::size_t length = lstrlenW(path);
  // The help directory is the folder of the file, up to and including its last separator.
  WCHAR helpDirectory[MAX_PATH];
  std::size_t folderLength = length;
  while (folderLength > 0 && path[folderLength - 1] != L'\\' && path[folderLength - 1] != L'/' &&
         path[folderLength - 1] != L':') {
    --folderLength;
  }
  std::memcpy(helpDirectory, path, folderLength * sizeof(WCHAR));
  helpDirectory[folderLength] = L'\0';
  return RegisterTypeLib(typeLib.Get(), path, helpDirectory);
}

void UnregisterModuleTypeLib() noexcept {
  ComPtr<ITypeLib> typeLib;
  WCHAR path[MAX_PATH];
  if (FAILED(LoadModuleTypeLib(typeLib, path))) {
    return;
  }
  TLIBATTR* attributes = nullptr;
  if (FAILED(typeLib->GetLibAttr(&attributes)) || attributes == nullptr) {
    return;
  }
  UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                    attributes->lcid, attributes->syskind);
  typeLib->ReleaseTLibAttr(attributes);
}

} // namespace

HRESULT UpdateCorvaneShellRegistry(BOOL registering) noexcept {
  return UpdateRegistryFromScriptResource(ModuleInstance(), kRegistrationScriptId, registering,
                                          nullptr, 0);
}

} // namespace corvane

using namespace corvane;

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() noexcept {
  ObjectMapEntry* map = ModuleObjectMap();
  if (map == nullptr) {
    return E_UNEXPECTED;
  }
  for (ObjectMapEntry* entry = map; entry->clsid != nullptr; ++entry) {
    // A failed script has already removed what it wrote.
    const HRESULT result = entry->updateRegistry(TRUE);
    if (FAILED(result)) {
      return result;
    }
  }
  return RegisterModuleTypeLib();
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() noexcept {
  ObjectMapEntry* map = ModuleObjectMap();
  if (map != nullptr) {
    for (ObjectMapEntry* entry = map; entry->clsid != nullptr; ++entry) {
      entry->updateRegistry(FALSE);
    }
  }
  UnregisterModuleTypeLib();
  return S_OK;
}
