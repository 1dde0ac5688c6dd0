// The type information behind IDispatch, loaded from the registered type library on first use and
// kept until module termination.
#pragma once

#include <oaidl.h>
#include <windows.h>

namespace corvane {

class TypeInfoHolder {
public:
  constexpr TypeInfoHolder(const IID* iid, const GUID* libId, WORD major, WORD minor) noexcept
      : iid_(iid), libId_(libId), major_(major), minor_(minor) {}
  TypeInfoHolder(const TypeInfoHolder&) = delete;
  TypeInfoHolder& operator=(const TypeInfoHolder&) = delete;

  // Adds a reference for the caller.
  HRESULT GetTypeInfo(LCID lcid, ITypeInfo** typeInfo) noexcept;
  HRESULT GetIDsOfNames(LCID lcid, LPOLESTR* names, UINT count, DISPID* dispIds) noexcept;
  HRESULT Invoke(IDispatch* instance, LCID lcid, DISPID dispId, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) noexcept;

private:
  struct NameEntry {
    BSTR name;
    UINT length;
    DISPID dispId;
  };

  HRESULT EnsureLoaded(LCID lcid) noexcept;
  void LoadNameCache(ITypeInfo* typeInfo) noexcept;
  void FreeNameCache() noexcept;
  static void Cleanup(void* argument) noexcept;
  ITypeInfo* Loaded() noexcept;

  const IID* iid_;
  const GUID* libId_;
  WORD major_;
  WORD minor_;
  ITypeInfo* typeInfo_ = nullptr;
  NameEntry* names_ = nullptr;
  int nameCount_ = 0;
};

} // namespace corvane
