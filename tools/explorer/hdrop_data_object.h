// The selection as the shell hands it to a context-menu handler: a data object serving CF_HDROP.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <string>
#include <vector>

namespace corvane {

// Serves a DROPFILES block in an HGLOBAL (TYMED_HGLOBAL only). Every GetData hands out a fresh
// copy, which the receiver releases with ReleaseStgMedium.
class HDropDataObject final : public IDataObject {
public:
  // Each returns a new object with one reference, or null when out of memory.
  // The files as Explorer names them: UTF-16 paths.
  static IDataObject* Create(const std::vector<std::wstring>& paths) noexcept;
  // The files with 8-bit names in the ANSI code page, as older shells name them.
  static IDataObject* Create(const std::vector<std::string>& paths) noexcept;
  // Exactly these bytes as the drop, whatever they claim about themselves.
  static IDataObject* FromBlock(std::string block) noexcept;
  // A data object with no drop to give: every request for CF_HDROP is refused.
  static IDataObject* Empty() noexcept;

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
  template <typename Char>
  static IDataObject* FromPaths(const std::vector<std::basic_string<Char>>& paths) noexcept;

  HDropDataObject(std::string block, bool hasDrop) : block_(std::move(block)), hasDrop_(hasDrop) {}
  ~HDropDataObject() = default;

  LONG references_ = 1;
  // DROPFILES header followed by the NUL-separated paths and an empty one that ends the list.
  std::string block_;
  bool hasDrop_;
};

} // namespace corvane
