#include "shell/dll/module.h"

#include "win32/scoped.h"

namespace corvane {
namespace {

struct TermNode {
  TermCallback callback;
  void* argument;
  TermNode* next;
};

struct Module {
  LONG lockCount;
  HINSTANCE instance;
  ObjectMapEntry* objectMap;
  HANDLE heap;
  CRITICAL_SECTION typeInfoLock;
  bool typeInfoLockCreated;
  CRITICAL_SECTION objectMapLock;
  bool objectMapLockCreated;
  TermNode* termList;
};

Module module;

} // namespace

void ModuleStart(HINSTANCE instance, ObjectMapEntry* objectMap) noexcept {
  module.instance = instance;
  module.objectMap = objectMap;
  module.lockCount = 0;
  module.termList = nullptr;
  module.typeInfoLockCreated = InitializeCriticalSectionAndSpinCount(&module.typeInfoLock, 0);
  module.objectMapLockCreated = InitializeCriticalSectionAndSpinCount(&module.objectMapLock, 0);
  if (!module.typeInfoLockCreated || !module.objectMapLockCreated) {
    ModuleTerminate();
    return;
  }
  module.heap = HeapCreate(0, 0, 0);
  if (module.heap == nullptr) {
    // Nothing to report to: DllMain succeeds anyway and every later allocation fails.
    ModuleTerminate();
  }
}

void ModuleTerminate() noexcept {
  for (ObjectMapEntry* entry = module.objectMap; entry != nullptr && entry->clsid != nullptr;
       ++entry) {
    if (entry->classFactory != nullptr) {
      IUnknown* factory = entry->classFactory;
      entry->classFactory = nullptr;
      factory->Release();
    }
  }
  module.objectMap = nullptr;
  if (module.objectMapLockCreated) {
    DeleteCriticalSection(&module.objectMapLock);
    module.objectMapLockCreated = false;
  }
  if (module.typeInfoLockCreated) {
    DeleteCriticalSection(&module.typeInfoLock);
    module.typeInfoLockCreated = false;
  }
  while (module.termList != nullptr) {
    TermNode* node = module.termList;
    module.termList = node->next;
    node->callback(node->argument);
    ModuleFree(node);
  }
  if (module.heap != nullptr) {
    HeapDestroy(module.heap);
    module.heap = nullptr;
  }
}

HINSTANCE ModuleInstance() noexcept {
  return module.instance;
}
ObjectMapEntry* ModuleObjectMap() noexcept {
  return module.objectMap;
}

LONG ModuleLock() noexcept {
  return InterlockedIncrement(&module.lockCount);
}
LONG ModuleUnlock() noexcept {
  return InterlockedDecrement(&module.lockCount);
}
LONG ModuleLockCount() noexcept {
  return InterlockedCompareExchange(&module.lockCount, 0, 0);
}

void* ModuleAlloc(std::size_t size) noexcept {
  if (module.heap == nullptr) {
    return nullptr;
  }
  return HeapAlloc(module.heap, 0, size != 0 ? size : 1);
}

void ModuleFree(void* block) noexcept {
  if (block != nullptr && module.heap != nullptr) {
    HeapFree(module.heap, 0, block);
  }
}

CRITICAL_SECTION& ModuleTypeInfoLock() noexcept {
  return module.typeInfoLock;
}
CRITICAL_SECTION& ModuleObjectMapLock() noexcept {
  return module.objectMapLock;
}

HRESULT ModuleAddTermFunc(TermCallback callback, void* argument) noexcept {
  if (callback == nullptr) {
    return E_INVALIDARG;
  }
  auto* node = static_cast<TermNode*>(ModuleAlloc(sizeof(TermNode)));
  if (node == nullptr) {
    return E_OUTOFMEMORY;
  }
  node->callback = callback;
  node->argument = argument;
  ScopedCritSec lock(module.typeInfoLock);
  node->next = module.termList;
  module.termList = node;
  return S_OK;
}

} // namespace corvane
