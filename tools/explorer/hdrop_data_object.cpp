#include "tools/explorer/hdrop_data_object.h"

#include <shlobj.h>

#include <cstring>
#include <new>

#include "win32/scoped.h"

namespace corvane {

namespace {

template <typename Char> std::string DropFiles(const std::vector<std::basic_string<Char>>& paths) {
  DROPFILES header = {};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = sizeof(Char) > 1;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  for (const std::basic_string<Char>& path : paths) {
    block.append(reinterpret_cast<const char*>(path.c_str()), (path.size() + 1) * sizeof(Char));
  }
  // The empty name that ends the list; without any names that is two NULs.
  block.append((paths.empty() ? 2 : 1) * sizeof(Char), '\0');
  return block;
}

} // namespace

template <typename Char>
IDataObject*
HDropDataObject::FromPaths(const std::vector<std::basic_string<Char>>& paths) noexcept {
  try {
    return new HDropDataObject(DropFiles(paths), true);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

IDataObject* HDropDataObject::Create(const std::vector<std::wstring>& paths) noexcept {
  return FromPaths(paths);
}

IDataObject* HDropDataObject::Create(const std::vector<std::string>& paths) noexcept {
  return FromPaths(paths);
}

IDataObject* HDropDataObject::FromBlock(std::string block) noexcept {
  return new (std::nothrow) HDropDataObject(std::move(block), true);
}

IDataObject* HDropDataObject::Empty() noexcept {
  return new (std::nothrow) HDropDataObject(std::string(), false);
}

STDMETHODIMP HDropDataObject::QueryInterface(REFIID iid, void** object) noexcept {
  if (object == nullptr) {
    return E_POINTER;
  }
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
    *object = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) HDropDataObject::AddRef() noexcept {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) HDropDataObject::Release() noexcept {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) {
    delete this;
  }
  return static_cast<ULONG>(left);
}

STDMETHODIMP HDropDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) noexcept {
  if (format == nullptr || medium == nullptr) {
    return E_INVALIDARG;
  }
  const HRESULT supported = QueryGetData(format);
  if (supported != S_OK) {
    return supported;
  }
  // A block of no bytes still gets memory of its own: a zero-sized one could not be locked.
  ScopedHGlobal memory(GlobalAlloc(GMEM_MOVEABLE, block_.empty() ? 1 : block_.size()));
  if (memory.Get() == nullptr) {
    return E_OUTOFMEMORY;
  }
  {
    ScopedGlobalLock lock(memory.Get());
    if (lock.Get() == nullptr) {
      return E_OUTOFMEMORY;
    }
    std::memcpy(lock.Get(), block_.data(), block_.size());
  }
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = memory.Release();
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

STDMETHODIMP HDropDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) noexcept {
  return E_NOTIMPL;
}

STDMETHODIMP HDropDataObject::QueryGetData(FORMATETC* format) noexcept {
  if (format == nullptr) {
    return E_INVALIDARG;
  }
  if (format->cfFormat != CF_HDROP || !hasDrop_) {
    return DV_E_FORMATETC;
  }
  if (format->dwAspect != DVASPECT_CONTENT) {
    return DV_E_DVASPECT;
  }
  if ((format->tymed & TYMED_HGLOBAL) == 0) {
    return DV_E_TYMED;
  }
  if (format->lindex != -1) {
    return DV_E_LINDEX;
  }
  return S_OK;
}

STDMETHODIMP HDropDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) noexcept {
  if (out != nullptr) {
    out->ptd = nullptr;
  }
  return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP HDropDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept {
  return E_NOTIMPL;
}

STDMETHODIMP HDropDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) noexcept {
  if (enumerator == nullptr) {
    return E_POINTER;
  }
  *enumerator = nullptr;
  if (direction != DATADIR_GET) {
    return E_NOTIMPL;
  }
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return SHCreateStdEnumFmtEtc(hasDrop_ ? 1 : 0, &format, enumerator);
}

STDMETHODIMP HDropDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept {
  return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP HDropDataObject::DUnadvise(DWORD) noexcept {
  return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP HDropDataObject::EnumDAdvise(IEnumSTATDATA**) noexcept {
  return OLE_E_ADVISENOTSUPPORTED;
}

} // namespace corvane
