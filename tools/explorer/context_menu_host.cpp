#include "tools/explorer/context_menu_host.h"

#include "common/hash_mode.h"
#include "tools/explorer/hdrop_data_object.h"
#include "win32/last_error.h"

namespace corvane {

bool FindHostCommand(const std::string& name, UINT& offset) {
  for (const HashModeFacts& facts : kHashModes) {
    if (name == facts.hostCommand) {
      offset = static_cast<UINT>(facts.mode);
      return true;
    }
  }
  return false;
}

bool MakeSelection(const std::vector<std::wstring>& names, std::vector<std::wstring>& paths,
                   std::string& error) {
  paths.clear();
  for (const std::wstring& name : names) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(name.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
      error = "path too long or invalid: " + AnsiText(name);
      return false;
    }
    const DWORD attributes = GetFileAttributesW(full);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      error = "file not found: " + AnsiText(name);
      return false;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      error = "not a file: " + AnsiText(name);
      return false;
    }
    paths.emplace_back(full);
  }
  if (paths.empty()) {
    error = "no files given";
    return false;
  }
  return true;
}

std::string AnsiText(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), ansi.data(), size,
                        nullptr, nullptr);
  }
  return ansi;
}

HRESULT ContextMenuHost::Create(const CLSID& clsid, const std::vector<std::wstring>& paths) {
  ComPtr<IShellExtInit> init;
  HRESULT result =
      CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, init.ReceiveVoid());
  if (FAILED(result)) {
    return result;
  }
  ComPtr<IContextMenu> menu;
  result = init->QueryInterface(IID_IContextMenu, menu.ReceiveVoid());
  if (FAILED(result)) {
    return result;
  }
  ComPtr<IDataObject> selection;
  *selection.Receive() = HDropDataObject::Create(paths);
  if (!selection) {
    return E_OUTOFMEMORY;
  }
  result = init->Initialize(nullptr, selection.Get(), nullptr);
  if (FAILED(result)) {
    return result;
  }
  menu_ = menu;
  return S_OK;
}

HRESULT ContextMenuHost::Fill(HMENU menu) {
  if (!menu_) {
    return E_UNEXPECTED;
  }
  if (menu == nullptr) {
    return LastErrorResult();
  }
  const HRESULT result = menu_->QueryContextMenu(menu, 0, kFirstId, 0x7FFF, CMF_NORMAL);
  if (FAILED(result)) {
    return result;
  }
  // The handler reports how many identifiers it used; every command needs its own.
  if (HRESULT_CODE(result) < static_cast<int>(kHashModeCount)) {
    return E_UNEXPECTED;
  }
  return S_OK;
}

HRESULT ContextMenuHost::Invoke(UINT offset, HWND owner) {
  ScopedMenu menu(CreatePopupMenu());
  const HRESULT result = Fill(menu.Get());
  if (FAILED(result)) {
    return result;
  }
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.nShow = SW_SHOWNORMAL;
  return menu_->InvokeCommand(&info);
}

HRESULT ContextMenuHost::TrackMenu(HWND owner, POINT at, bool& picked) {
  picked = false;
  ScopedMenu menu(CreatePopupMenu());
  const HRESULT result = Fill(menu.Get());
  if (FAILED(result)) {
    return result;
  }
  // A menu of a window that is not in the foreground does not close when the user clicks away.
  SetForegroundWindow(owner);
  const UINT id = static_cast<UINT>(TrackPopupMenu(
      menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
  PostMessageA(owner, WM_NULL, 0, 0);
  if (id < kFirstId) {
    return S_OK;
  }
  picked = true;
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.lpVerb = MAKEINTRESOURCEA(id - kFirstId);
  info.nShow = SW_SHOWNORMAL;
  return menu_->InvokeCommand(&info);
}

} // namespace corvane
