#include "shell/registrar_win32/script_resource.h"

#include <new>
#include <string>

#include "common/diagnostic_trace.h"
#include "shell/registrar/registrar.h"
#include "shell/registrar_win32/win32_registry.h"
#include "win32/last_error.h"
#include "win32/scoped.h"

namespace corvane {

HRESULT UpdateRegistryFromScriptResource(HINSTANCE module, UINT resourceId, BOOL doRegister,
                                         const ReplacementPair* extra, std::size_t extraCount,
                                         Registry* registry) noexcept {
  if (extra == nullptr && extraCount != 0) {
    return E_INVALIDARG;
  }
  try {
    Win32Registry systemRegistry;
    Registrar registrar(registry != nullptr ? *registry : systemRegistry, IsAnsiLeadByte,
                        AutomationUInt32FromString);

    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == MAX_PATH) {
      return HRESULT_FROM_WIN32(ERROR_BUFFER_OVERFLOW);
    }
    if (length == 0) {
      return LastErrorResult();
    }
    std::string quotedPath;
    for (const char* at = path; *at != '\0'; ++at) {
      quotedPath.push_back(*at);
      if (*at == '\'') {
        quotedPath.push_back('\'');
      }
    }
    HRESULT result = registrar.AddReplacementEntry("Module", quotedPath.c_str());
    for (std::size_t i = 0; SUCCEEDED(result) && i < extraCount; ++i) {
      result = registrar.AddReplacementEntry(extra[i].name, extra[i].text);
    }
    if (FAILED(result)) {
      return result;
    }

    ScopedModule file(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!file) {
      Trace("Failed to LoadLibrary on %s\n", path);
      return LastErrorResult();
    }
    HRSRC found = FindResourceA(file.Get(), MAKEINTRESOURCEA(resourceId), "REGISTRY");
    if (found == nullptr) {
      Trace("Failed to FindResource on ID:%u TYPE:%s\n", resourceId, "REGISTRY");
      return LastErrorResult();
    }
    HGLOBAL loaded = LoadResource(file.Get(), found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
      Trace("Failed to LoadResource \n");
      return LastErrorResult();
    }
    // Resource bytes carry no NUL of their own.
    const std::string script(static_cast<const char*>(bytes), SizeofResource(file.Get(), found));
    result = registrar.ApplyScript(script.c_str(), doRegister != FALSE);
    registrar.ClearReplacementMap();
    return result;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

} // namespace corvane
