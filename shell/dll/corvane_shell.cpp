#include "shell/dll/corvane_shell.h"

#include "shell/dll/type_info_holder.h"

namespace corvane {
namespace {

TypeInfoHolder typeInfoHolder(&IID_ICorvaneShell, &LIBID_CORVANELib, 1, 0);

struct InterfaceMapEntry {
  const IID* iid;
  int table;
};

// IUnknown is answered before the search, with table 0.
const InterfaceMapEntry kInterfaceMap[] = {
    {&IID_ICorvaneShell, 0},
    {&IID_IDispatch, 0},
    {&IID_IShellExtInit, 1},
    {&IID_IContextMenu, 2},
};

} // namespace

// The outer object's view of an aggregated CorvaneShell: a non-delegating IUnknown with its own
// count, around the inner object.
class CorvaneShellAggregate final : public IUnknown, public ModuleAllocated {
public:
  explicit CorvaneShellAggregate(IUnknown* outer) noexcept : inner_(outer) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override {
    if (ppv == nullptr) {
      return E_POINTER;
    }
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) {
      *ppv = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    return inner_.InternalQueryInterface(riid, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() noexcept override { return ++refCount_; }
  STDMETHODIMP_(ULONG) Release() noexcept override {
    ULONG count = --refCount_;
    if (count == 0) {
      refCount_ = 1; // nothing inside the destruction may destroy it again
      delete this;
    }
    return count;
  }

private:
  ULONG refCount_ = 0;
  CorvaneShell inner_;
};

CorvaneShell::CorvaneShell(IUnknown* outer) noexcept : refCount_(0), aggregated_(outer != nullptr) {
  if (aggregated_) {
    outer_ = outer;
  }
  ModuleLock();
}

CorvaneShell::~CorvaneShell() {
  ModuleUnlock();
}

HRESULT CorvaneShell::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept {
  if (ppv == nullptr) {
    return E_POINTER;
  }
  *ppv = nullptr;
  if (outer == nullptr) {
    auto* shell = new CorvaneShell(nullptr);
    if (shell == nullptr) {
      return E_OUTOFMEMORY;
    }
    HRESULT hr = shell->QueryInterface(riid, ppv);
    if (FAILED(hr)) {
      delete shell;
    }
    return hr;
  }
  if (!IsEqualIID(riid, IID_IUnknown)) {
    return CLASS_E_NOAGGREGATION;
  }
  auto* aggregate = new CorvaneShellAggregate(outer);
  if (aggregate == nullptr) {
    return E_OUTOFMEMORY;
  }
  HRESULT hr = aggregate->QueryInterface(riid, ppv);
  if (FAILED(hr)) {
    delete aggregate;
  }
  return hr;
}

void* CorvaneShell::Table(int index) noexcept {
  switch (index) {
  case 1:
    return static_cast<IShellExtInit*>(this);
  case 2:
    return static_cast<IContextMenu*>(this);
  default:
    return static_cast<ICorvaneShell*>(this);
  }
}

HRESULT CorvaneShell::InternalQueryInterface(REFIID riid, void** ppv) noexcept {
  if (ppv == nullptr) {
    return E_POINTER;
  }
  *ppv = nullptr;
  void* table = nullptr;
  if (IsEqualIID(riid, IID_IUnknown)) {
    table = Table(0);
  } else {
    for (const InterfaceMapEntry& entry : kInterfaceMap) {
      if (IsEqualIID(riid, *entry.iid)) {
        table = Table(entry.table);
        break;
      }
    }
  }
  if (table == nullptr) {
    return E_NOINTERFACE;
  }
  static_cast<IUnknown*>(table)->AddRef();
  *ppv = table;
  return S_OK;
}

STDMETHODIMP CorvaneShell::QueryInterface(REFIID riid, void** ppv) noexcept {
  if (!aggregated_) {
    return InternalQueryInterface(riid, ppv);
  }
  if (ppv == nullptr) {
    return E_POINTER;
  }
  HRESULT hr = outer_->QueryInterface(riid, ppv);
  if (FAILED(hr) && outer_ != static_cast<IUnknown*>(Table(0))) {
    hr = InternalQueryInterface(riid, ppv);
  }
  return hr;
}

STDMETHODIMP_(ULONG) CorvaneShell::AddRef() noexcept {
  if (aggregated_) {
    return outer_->AddRef();
  }
  return ++refCount_;
}

STDMETHODIMP_(ULONG) CorvaneShell::Release() noexcept {
  if (aggregated_) {
    return outer_->Release();
  }
  ULONG count = --refCount_;
  if (count == 0) {
    refCount_ = 1; // nothing inside the destruction may destroy it again
    delete this;
  }
  return count;
}

STDMETHODIMP CorvaneShell::GetTypeInfoCount(UINT* count) noexcept {
  if (count == nullptr) {
    return E_INVALIDARG;
  }
  *count = 1;
  return S_OK;
}

STDMETHODIMP CorvaneShell::GetTypeInfo(UINT /*index*/, LCID lcid, ITypeInfo** typeInfo) noexcept {
  if (typeInfo == nullptr) {
    return E_POINTER;
  }
  // There is one type information; the index does not choose anything.
  return typeInfoHolder.GetTypeInfo(lcid, typeInfo);
}

STDMETHODIMP CorvaneShell::GetIDsOfNames(REFIID /*riid*/, LPOLESTR* names, UINT count, LCID lcid,
                                         DISPID* dispIds) noexcept {
  if (dispIds == nullptr) {
    return E_POINTER;
  }
  if (names == nullptr) {
    return E_INVALIDARG;
  }
  return typeInfoHolder.GetIDsOfNames(lcid, names, count, dispIds);
}

STDMETHODIMP CorvaneShell::Invoke(DISPID dispId, REFIID /*riid*/, LCID lcid, WORD flags,
                                  DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                  UINT* argErr) noexcept {
  if (params == nullptr) {
    return E_INVALIDARG;
  }
  return typeInfoHolder.Invoke(static_cast<ICorvaneShell*>(this), lcid, dispId, flags, params,
                               result, excepInfo, argErr);
}

} // namespace corvane
