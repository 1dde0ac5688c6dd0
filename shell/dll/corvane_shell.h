// CorvaneShell: the shell's context-menu handler, a COM object with a dual ICorvaneShell.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include "common/hash_mode.h"
#include "shell/core/path_list.h"
#include "shell/dll/identifiers.h"
#include "shell/dll/module.h"

namespace corvane {

class CorvaneShellAggregate;

class CorvaneShell final : public ICorvaneShell,
                           public IShellExtInit,
                           public IContextMenu,
                           public ModuleAllocated {
public:
  static constexpr UINT kCommandCount = static_cast<UINT>(kHashModeCount);

  // Instance creator of the object map.
  static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept;

  // IUnknown: standalone the object counts its own references; in an aggregate every call goes
  // to the controlling outer object.
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) noexcept override;
  STDMETHODIMP_(ULONG) AddRef() noexcept override;
  STDMETHODIMP_(ULONG) Release() noexcept override;

  // IDispatch, driven by the module's type library.
  STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) noexcept override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                             DISPID* dispIds) noexcept override;
  STDMETHODIMP Invoke(DISPID dispId, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) noexcept override;

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject,
                          HKEY progIdKey) noexcept override;

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                UINT flags) noexcept override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept override;
  STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved, CHAR* name,
                                UINT cchMax) noexcept override;

  // The interface map alone, without delegation; adds a reference through the returned table.
  HRESULT InternalQueryInterface(REFIID riid, void** ppv) noexcept;

private:
  friend class CorvaneShellAggregate;

  explicit CorvaneShell(IUnknown* outer) noexcept;
  ~CorvaneShell();
  CorvaneShell(const CorvaneShell&) = delete;
  CorvaneShell& operator=(const CorvaneShell&) = delete;

  void* Table(int index) noexcept;

  // Standalone: the reference count. Aggregated: the controlling outer object.
  union {
    ULONG refCount_;
    IUnknown* outer_;
  };
  bool aggregated_;
  PathList pathList_;
};

} // namespace corvane
