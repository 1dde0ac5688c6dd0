// The module object of the COM server: lock count, instance handle, object map, private heap,
// module-wide locks and the termination list. One per loaded Corvane.dll.
#pragma once

#include <cstddef>

#include <objbase.h>
#include <windows.h>

namespace corvane {

using InstanceCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);
using ClassObjectCreator = HRESULT (*)(InstanceCreator creator, REFIID riid, void** ppv);
using TermCallback = void (*)(void* argument);

// One creatable class. The map ends with an entry whose clsid is null.
struct ObjectMapEntry {
  const CLSID* clsid;
  HRESULT (*updateRegistry)(BOOL registering);
  ClassObjectCreator createClassObject;
  InstanceCreator createInstance;
  IUnknown* classFactory; // cached; the map holds one reference
};

// Process attach and detach.
void ModuleStart(HINSTANCE instance, ObjectMapEntry* objectMap) noexcept;
void ModuleTerminate() noexcept;

HINSTANCE ModuleInstance() noexcept;
// Null before start and after termination.
ObjectMapEntry* ModuleObjectMap() noexcept;

LONG ModuleLock() noexcept;
LONG ModuleUnlock() noexcept;
LONG ModuleLockCount() noexcept;

// Every object of the module lives in the private heap; null when it cannot be had.
void* ModuleAlloc(std::size_t size) noexcept;
void ModuleFree(void* block) noexcept;

// Re-entrant: guards the type information and the termination list.
CRITICAL_SECTION& ModuleTypeInfoLock() noexcept;
// Guards the lazy creation of class factories.
CRITICAL_SECTION& ModuleObjectMapLock() noexcept;

// Runs callback(argument) at module termination, newest registration first.
HRESULT ModuleAddTermFunc(TermCallback callback, void* argument) noexcept;

// Base for classes whose objects come from the module heap; new yields null when it is exhausted.
struct ModuleAllocated {
  static void* operator new(std::size_t size) noexcept { return ModuleAlloc(size); }
  static void operator delete(void* block) noexcept { ModuleFree(block); }
};

} // namespace corvane
