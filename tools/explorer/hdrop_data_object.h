// The selection as the shell hands it to a context-menu handler: a data object serving CF_HDROP.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <string>
#include <vector>

namespace corvane {

// Serves the files as Explorer does: a DROPFILES block of UTF-16 paths in an HGLOBAL (TYMED_HGLOBAL
// only). Every GetData hands out a fresh copy, which the receiver releases with ReleaseStgMedium.
class HDropDataObject final : public IDataObject {
public:
  // Returns a new object with one reference, or null when out of memory.
  static IDataObject* Create(const std::vector<std::wstring>& paths) noexcept;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override;
  STDMETHODIMP_(ULONG) AddRef() noexcept override;
  STDMETHODIMP_(ULONG) Release() noexcept override;

  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override;
  STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) noexcept override;
  STDMETHODIMP QueryGetData(FORMATETC* format) noexcept override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) noexcept override;
  STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) noexcept override;
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) noexcept override;
  STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                       DWORD* connection) noexcept override;
  STDMETHODIMP DUnadvise(DWORD connection) noexcept override;
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** enumerator) noexcept override;

private:
  explicit HDropDataObject(std::string block) : block_(std::move(block)) {}
  ~HDropDataObject() = default;

  LONG references_ = 1;
  // DROPFILES header followed by the NUL-separated UTF-16 paths and a final NUL.
  std::string block_;
};

} // namespace corvane
