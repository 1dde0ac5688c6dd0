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

Module g_module;

} // namespace

void ModuleStart(HINSTANCE instance, ObjectMapEntry* objectMap) noexcept {
  g_module.instance = instance;
  g_module.objectMap = objectMap;
  g_module.lockCount = 0;
  g_module.termList = nullptr;
  g_module.typeInfoLockCreated = InitializeCriticalSectionAndSpinCount(&g_module.typeInfoLock, 0);
  g_module.objectMapLockCreated = InitializeCriticalSectionAndSpinCount(&g_module.objectMapLock, 0);
  if (!g_module.typeInfoLockCreated || !g_module.objectMapLockCreated) {
    ModuleTerminate();
    return;
  }
  g_module.heap = HeapCreate(0, 0, 0);
  if (g_module.heap == nullptr) {
    // Nothing to report to: DllMain succeeds anyway and every later allocation fails.
    ModuleTerminate();
  }
}

void ModuleTerminate() noexcept {
  for (ObjectMapEntry* entry = g_module.objectMap; entry != nullptr && entry->clsid != nullptr;
       ++entry) {
    if (entry->classFactory != nullptr) {
      IUnknown* factory = entry->classFactory;
      entry->classFactory = nullptr;
      factory->Release();
    }
  }
  g_module.objectMap = nullptr;
  if (g_module.objectMapLockCreated) {
    DeleteCriticalSection(&g_module.objectMapLock);
    g_module.objectMapLockCreated = false;
  }
  if (g_module.typeInfoLockCreated) {
    DeleteCriticalSection(&g_module.typeInfoLock);
    g_module.typeInfoLockCreated = false;
  }
  while (g_module.termList != nullptr) {
    TermNode* node = g_module.termList;
    g_module.termList = node->next;
    node->callback(node->argument);
    ModuleFree(node);
  }
  if (g_module.heap != nullptr) {
    HeapDestroy(g_module.heap);
    g_module.heap = nullptr;
  }
}

HINSTANCE ModuleInstance() noexcept {
  return g_module.instance;
}
ObjectMapEntry* ModuleObjectMap() noexcept {
  return g_module.objectMap;
}

LONG ModuleLock() noexcept {
  return InterlockedIncrement(&g_module.lockCount);
}
LONG ModuleUnlock() noexcept {
  return InterlockedDecrement(&g_module.lockCount);
}
LONG ModuleLockCount() noexcept {
  return InterlockedCompareExchange(&g_module.lockCount, 0, 0);
}

void* ModuleAlloc(std::size_t size) noexcept {
  if (g_module.heap == nullptr) {
    return nullptr;
  }
  return HeapAlloc(g_module.heap, 0, size != 0 ? size : 1);
}

void ModuleFree(void* block) noexcept {
  if (block != nullptr && g_module.heap != nullptr) {
    HeapFree(g_module.heap, 0, block);
  }
}

CRITICAL_SECTION& ModuleTypeInfoLock() noexcept {
  return g_module.typeInfoLock;
}
CRITICAL_SECTION& ModuleObjectMapLock() noexcept {
  return g_module.objectMapLock;
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
  ScopedCritSec lock(g_module.typeInfoLock);
  node->next = g_module.termList;
  g_module.termList = node;
  return S_OK;
}

} // namespace corvane
