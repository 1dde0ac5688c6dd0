// Entry points of the in-process server.
#include <objbase.h>
#include <windows.h>

#include "shell/dll/class_factory.h"
#include "shell/dll/corvane_shell.h"
#include "shell/dll/identifiers.h"
#include "shell/dll/module.h"
#include "shell/dll/self_registration.h"
#include "win32/scoped.h"

namespace corvane {
namespace {

ObjectMapEntry objectMap[] = {
    {&CLSID_CorvaneShell, &UpdateCorvaneShellRegistry, &CComClassFactory::CreateFactory,
     &CorvaneShell::CreateInstance, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

} // namespace
} // namespace corvane

using namespace corvane;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) noexcept {
  if (reason == DLL_PROCESS_ATTACH) {
    ModuleStart(instance, objectMap);
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    ModuleTerminate();
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() noexcept {
  return ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid,
                                                    void** ppv) noexcept {
  ObjectMapEntry* map = ModuleObjectMap();
  if (map == nullptr) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  if (ppv == nullptr) {
    return E_POINTER;
  }
  *ppv = nullptr;
  for (ObjectMapEntry* entry = map; entry->clsid != nullptr; ++entry) {
    if (!IsEqualCLSID(rclsid, *entry->clsid)) {
      continue;
    }
    auto** slot = reinterpret_cast<void**>(&entry->classFactory);
    if (InterlockedCompareExchangePointer(slot, nullptr, nullptr) == nullptr) {
      ScopedCritSec lock(ModuleObjectMapLock());
      if (entry->classFactory == nullptr) {
        void* factory = nullptr;
        HRESULT hr = entry->createClassObject(entry->createInstance, IID_IUnknown, &factory);
        if (FAILED(hr)) {
          return hr;
        }
        InterlockedExchangePointer(slot, factory);
      }
    }
    return entry->classFactory->QueryInterface(riid, ppv);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}
