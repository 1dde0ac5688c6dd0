#include "shell/dll/type_info_holder.h"

#include <cstring>

#include "shell/dll/module.h"
#include "win32/scoped.h"

namespace corvane {

ITypeInfo* TypeInfoHolder::Loaded() noexcept {
  return static_cast<ITypeInfo*>(
      InterlockedCompareExchangePointer(reinterpret_cast<void**>(&typeInfo_), nullptr, nullptr));
}

HRESULT TypeInfoHolder::EnsureLoaded(LCID lcid) noexcept {
  if (Loaded() != nullptr) {
    return S_OK;
  }
  ScopedCritSec lock(ModuleTypeInfoLock());
  if (typeInfo_ != nullptr) {
    return S_OK;
  }
  ComPtr<ITypeLib> library;
  HRESULT hr = LoadRegTypeLib(*libId_, major_, minor_, lcid, library.Receive());
  if (FAILED(hr)) {
    return hr;
  }
  ComPtr<ITypeInfo> typeInfo;
  hr = library->GetTypeInfoOfGuid(*iid_, typeInfo.Receive());
  if (FAILED(hr)) {
    return hr;
  }
  ComPtr<ITypeInfo> typeInfo2;
  if (SUCCEEDED(typeInfo->QueryInterface(IID_ITypeInfo2, typeInfo2.ReceiveVoid()))) {
    typeInfo = typeInfo2;
  }
  library.Reset();
  // The lock is re-entrant, and the termination list is guarded by it too.
  hr = ModuleAddTermFunc(&TypeInfoHolder::Cleanup, this);
  if (FAILED(hr)) {
    return hr;
  }
  LoadNameCache(typeInfo.Get());
  // Published last: readers outside the lock see either nothing or everything.
  InterlockedExchangePointer(reinterpret_cast<void**>(&typeInfo_), typeInfo.Detach());
  return S_OK;
}

void TypeInfoHolder::LoadNameCache(ITypeInfo* typeInfo) noexcept {
  TYPEATTR* attributes = nullptr;
  if (FAILED(typeInfo->GetTypeAttr(&attributes))) {
    return;
  }
  const int count = attributes->cFuncs;
  typeInfo->ReleaseTypeAttr(attributes);
  if (count == 0) {
    return;
  }
  names_ = static_cast<NameEntry*>(ModuleAlloc(sizeof(NameEntry) * count));
  if (names_ == nullptr) {
    return;
  }
  nameCount_ = count;
  for (int i = 0; i < count; ++i) {
    names_[i] = NameEntry{nullptr, 0, DISPID_UNKNOWN};
  }
  for (int i = 0; i < count; ++i) {
    FUNCDESC* function = nullptr;
    if (FAILED(typeInfo->GetFuncDesc(i, &function))) {
      FreeNameCache();
      return;
    }
    const MEMBERID id = function->memid;
    typeInfo->ReleaseFuncDesc(function);
    BSTR name = nullptr;
    if (FAILED(typeInfo->GetDocumentation(id, &name, nullptr, nullptr, nullptr))) {
      FreeNameCache();
      return;
    }
    names_[i] = NameEntry{name, SysStringLen(name), id};
  }
}

void TypeInfoHolder::FreeNameCache() noexcept {
  for (int i = 0; i < nameCount_; ++i) {
    SysFreeString(names_[i].name);
  }
  ModuleFree(names_);
  names_ = nullptr;
  nameCount_ = 0;
}

void TypeInfoHolder::Cleanup(void* argument) noexcept {
  auto* holder = static_cast<TypeInfoHolder*>(argument);
  if (holder->typeInfo_ != nullptr) {
    holder->typeInfo_->Release();
    holder->typeInfo_ = nullptr;
  }
  holder->FreeNameCache();
}

HRESULT TypeInfoHolder::GetTypeInfo(LCID lcid, ITypeInfo** typeInfo) noexcept {
  if (typeInfo == nullptr) {
    return E_POINTER;
  }
  *typeInfo = nullptr;
  HRESULT hr = EnsureLoaded(lcid);
  if (FAILED(hr)) {
    return hr;
  }
  *typeInfo = Loaded();
  (*typeInfo)->AddRef();
  return S_OK;
}

HRESULT TypeInfoHolder::GetIDsOfNames(LCID lcid, LPOLESTR* names, UINT count,
                                      DISPID* dispIds) noexcept {
  if (dispIds == nullptr) {
    return E_POINTER;
  }
  if (names == nullptr) {
    return E_INVALIDARG;
  }
  HRESULT hr = EnsureLoaded(lcid);
  if (FAILED(hr)) {
    return hr;
  }
  if (names_ != nullptr && count == 1 && names[0] != nullptr) {
    const UINT length = static_cast<UINT>(lstrlenW(names[0]));
    for (int i = nameCount_ - 1; i >= 0; --i) {
      if (names_[i].length == length &&
          std::memcmp(names_[i].name, names[0], length * sizeof(OLECHAR)) == 0) {
        dispIds[0] = names_[i].dispId;
        return S_OK;
      }
    }
  }
  return Loaded()->GetIDsOfNames(names, count, dispIds);
}

HRESULT TypeInfoHolder::Invoke(IDispatch* instance, LCID lcid, DISPID dispId, WORD flags,
                               DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                               UINT* argErr) noexcept {
  HRESULT hr = EnsureLoaded(lcid);
  if (FAILED(hr)) {
    return hr;
  }
  return Loaded()->Invoke(instance, dispId, flags, params, result, excepInfo, argErr);
}

} // namespace corvane
