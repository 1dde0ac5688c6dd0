// The class factory handed out by DllGetClassObject; one per creatable class, cached in the map.
#pragma once

#include <objbase.h>
#include <windows.h>

#include "shell/dll/module.h"

namespace corvane {

class CComClassFactory final : public IClassFactory, public ModuleAllocated {
public:
  // Class-object creator of the object map.
  static HRESULT CreateFactory(InstanceCreator creator, REFIID riid, void** ppv) noexcept;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
  STDMETHODIMP_(ULONG) AddRef() noexcept override;
  STDMETHODIMP_(ULONG) Release() noexcept override;

  // IClassFactory
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept override;
  STDMETHODIMP LockServer(BOOL lock) noexcept override;

private:
  explicit CComClassFactory(InstanceCreator creator) noexcept : creator_(creator) {}
  ~CComClassFactory() = default;

  LONG refCount_ = 0;
  InstanceCreator creator_;
};

} // namespace corvane
