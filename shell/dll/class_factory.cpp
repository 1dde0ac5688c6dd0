#include "shell/dll/class_factory.h"

#include "common/diagnostic_trace.h"

namespace corvane {

HRESULT CComClassFactory::CreateFactory(InstanceCreator creator, REFIID riid, void** ppv) noexcept {
  if (ppv == nullptr) {
    return E_POINTER;
  }
  *ppv = nullptr;
  auto* factory = new CComClassFactory(creator);
  if (factory == nullptr) {
    return E_OUTOFMEMORY;
  }
  HRESULT hr = factory->QueryInterface(riid, ppv);
  if (FAILED(hr)) {
    delete factory;
  }
  return hr;
}

STDMETHODIMP CComClassFactory::QueryInterface(REFIID riid, void** ppv) noexcept {
  if (ppv == nullptr) {
    return E_POINTER;
  }
  *ppv = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
    return E_NOINTERFACE;
  }
  *ppv = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

// The object map holds the first reference; only references beyond it keep the module loaded.
STDMETHODIMP_(ULONG) CComClassFactory::AddRef() noexcept {
  LONG count = InterlockedIncrement(&refCount_);
  if (count == 2) {
    ModuleLock();
  }
  return static_cast<ULONG>(count);
}

STDMETHODIMP_(ULONG) CComClassFactory::Release() noexcept {
  LONG count = InterlockedDecrement(&refCount_);
  if (count == 0) {
    delete this;
  } else if (count == 1) {
    ModuleUnlock();
  }
  return static_cast<ULONG>(count);
}

STDMETHODIMP CComClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
  if (ppv == nullptr) {
    return E_POINTER;
  }
  *ppv = nullptr;
  if (outer != nullptr && !IsEqualIID(riid, IID_IUnknown)) {
    Trace("CComClassFactory: asked for non IUnknown interface while creating an aggregated object");
    return CLASS_E_NOAGGREGATION;
  }
  return creator_(outer, riid, ppv);
}

STDMETHODIMP CComClassFactory::LockServer(BOOL lock) noexcept {
  if (lock) {
    ModuleLock();
  } else {
    ModuleUnlock();
  }
  return S_OK;
}

} // namespace corvane
