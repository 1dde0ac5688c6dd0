// The context-menu side of CorvaneShell: collecting the selection, the submenu, its help texts and
// running a command through the hash module.
#include <windows.h>

#include <shellapi.h>

#include "common/hash_mode.h"
#include "common/product.h"
#include "shell/dll/corvane_shell.h"
#include "shell/dll/dropped_path.h"
#include "win32/last_error.h"
#include "win32/scoped.h"

namespace corvane {
namespace {

constexpr char kHashModuleKey[] = "Software\\" CORVANE_PRODUCT_NAME;
// The path plus its NUL; a value that fills it without a NUL is not a path.
constexpr DWORD kHashModulePathSize = 259;

// The export takes the mode as a plain integer.
using HashFunction = void (*)(const char* pathList, int mode);

void ShowError(const char* text) noexcept {
  MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONWARNING);
}

// Reads the hash module's path; false when the key or a NUL-terminated value is missing.
bool ReadHashModulePath(char (&path)[kHashModulePathSize]) noexcept {
  ScopedRegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kHashModuleKey, 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    return false;
  }
  DWORD size = kHashModulePathSize;
  if (RegQueryValueExA(key.Get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path),
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  // The stored data need not end in a NUL; when it does not, there must be room for one.
  if (size > 0 && path[size - 1] == '\0') {
    return true;
  }
  if (size >= kHashModulePathSize) {
    return false;
  }
  path[size] = '\0';
  return true;
}

template <typename Char> bool ListIsTerminated(const BYTE* list, SIZE_T bytes) noexcept {
  const SIZE_T count = bytes / sizeof(Char);
  const Char* name = reinterpret_cast<const Char*>(list);
  SIZE_T i = 0;
  while (i < count) {
    if (name[i] == 0)
      return true; // the empty name that ends the list
    while (i < count && name[i] != 0)
      ++i;
    ++i; // past the name's NUL
  }
  return false;
}

// The drop handle is read by the platform without any bound, so before it is trusted its header
// must lie inside the block, the names must start inside it and their list must end inside it.
bool DropFilesBlockIsSound(const void* block, SIZE_T size) noexcept {
  if (size < sizeof(DROPFILES))
    return false;
  const auto* header = static_cast<const DROPFILES*>(block);
  if (header->pFiles < sizeof(DROPFILES) || header->pFiles >= size)
    return false;
  const BYTE* list = static_cast<const BYTE*>(block) + header->pFiles;
  const SIZE_T bytes = size - header->pFiles;
  return header->fWide ? ListIsTerminated<WCHAR>(list, bytes) : ListIsTerminated<char>(list, bytes);
}

} // namespace

STDMETHODIMP CorvaneShell::Initialize(PCIDLIST_ABSOLUTE /*folder*/, IDataObject* dataObject,
                                      HKEY /*progIdKey*/) noexcept {
  if (dataObject == nullptr) {
    return S_OK;
  }
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  ScopedStgMedium medium;
  if (FAILED(dataObject->GetData(&format, medium.Receive()))) {
    return S_OK;
  }
  if (medium.Get().tymed != TYMED_HGLOBAL) {
    return S_OK;
  }
  ScopedGlobalLock lock(medium.Get().hGlobal);
  auto drop = static_cast<HDROP>(lock.Get());
  if (drop == nullptr || !DropFilesBlockIsSound(lock.Get(), GlobalSize(medium.Get().hGlobal))) {
    return S_OK;
  }
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  if (count == 0) {
    return S_OK;
  }
  const bool wideNames = static_cast<const DROPFILES*>(lock.Get())->fWide != FALSE;
  pathList_.Clear();
  for (UINT i = 0; i < count; ++i) {
    char path[MAX_PATH];
    const UINT length = QueryDroppedPath(drop, wideNames, i, path);
    if (length == 0) {
      continue;
    }
    // A selection too large for the list keeps the paths that fit, whole.
    if (!pathList_.Append(path, length)) {
      break;
    }
  }
  return S_OK;
}

STDMETHODIMP CorvaneShell::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst,
                                            UINT /*idCmdLast*/, UINT flags) noexcept {
  if (flags & CMF_DEFAULTONLY) {
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  }
  if (menu == nullptr) {
    return E_INVALIDARG;
  }
  ScopedMenu popup(CreatePopupMenu());
  if (!popup) {
    return LastErrorResult();
  }
  for (UINT i = 0; i < kCommandCount; ++i) {
    if (!InsertMenuA(popup.Get(), i, MF_BYPOSITION | MF_STRING, idCmdFirst + i,
                     kHashModes[i].menuText)) {
      return LastErrorResult();
    }
  }
  if (!InsertMenuA(menu, indexMenu, MF_BYPOSITION | MF_POPUP,
                   reinterpret_cast<UINT_PTR>(popup.Get()), kProductName)) {
    return LastErrorResult();
  }
  // From here on the popup belongs to the context menu.
  popup.Release();
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, kCommandCount);
}

STDMETHODIMP CorvaneShell::GetCommandString(UINT_PTR idCmd, UINT type, UINT* /*reserved*/,
                                            CHAR* name, UINT cchMax) noexcept {
  if (idCmd >= kCommandCount || !(type & GCS_HELPTEXTA)) {
    return E_INVALIDARG;
  }
  if (name == nullptr || cchMax == 0) {
    return E_INVALIDARG;
  }
  const char* text = kHashModes[idCmd].helpText;
  if (type & GCS_UNICODE) {
    wchar_t wide[64];
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 64) == 0) {
      return LastErrorResult();
    }
    lstrcpynW(reinterpret_cast<wchar_t*>(name), wide, static_cast<int>(cchMax));
  } else {
    lstrcpynA(name, text, static_cast<int>(cchMax));
  }
  return S_OK;
}

STDMETHODIMP CorvaneShell::InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept {
  if (info == nullptr) {
    return E_INVALIDARG;
  }
  const auto verb = reinterpret_cast<UINT_PTR>(info->lpVerb);
  if (!IS_INTRESOURCE(verb)) {
    return E_INVALIDARG;
  }
  const UINT offset = LOWORD(verb);
  if (offset >= kCommandCount) {
    return E_INVALIDARG;
  }
  const HashMode mode = kHashModes[offset].mode;
  // Nothing selected (no Initialize that found a path): there is nothing to hash.
  if (pathList_.Empty()) {
    return S_OK;
  }
  char path[kHashModulePathSize];
  if (!ReadHashModulePath(path)) {
    ShowError("Could not find Corvane 2004 DLL");
    return S_OK;
  }
  // Its imports are looked for beside it and in the system folder, never in the folder of the
  // program showing the menu.
  ScopedModule hashModule(LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!hashModule) {
    char message[64];
    wsprintfA(message, "Unable to load Corvane 2004 DLL: 0x%x", GetLastError());
    ShowError(message);
    return S_OK;
  }
  auto hash = reinterpret_cast<HashFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(hashModule.Get(), "Hash")));
  if (hash == nullptr) {
    ShowError("Error with Corvane 2004 DLL");
    return S_OK;
  }
  pathList_.CutFinalLineFeed();
  hash(pathList_.Text(), static_cast<int>(mode));
  return S_OK;
}

} // namespace corvane
