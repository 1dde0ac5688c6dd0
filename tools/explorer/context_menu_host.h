// Explorer's side of a context-menu handler: the selection, the handler object, its menu, a
// command.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "win32/scoped.h"

namespace corvane {

// Offset of the command of that host name (HashModeFacts::hostCommand); false for any other name.
bool FindHostCommand(const std::string& name, UINT& offset);

// Turns command-line file names into the full paths a selection holds. On failure `error` names
// the file that is missing, is a folder, or whose full path does not fit in MAX_PATH.
bool MakeSelection(const std::vector<std::wstring>& names, std::vector<std::wstring>& paths,
                   std::string& error);
// The text in the ANSI code page, for messages: lossy where the code page lacks a character.
std::string AnsiText(const std::wstring& text);

class ContextMenuHost {
public:
  // CoCreateInstance of the class and IShellExtInit::Initialize with a CF_HDROP data object.
  // REGDB_E_CLASSNOTREG when the class is not registered.
  HRESULT Create(const CLSID& clsid, const std::vector<std::wstring>& paths);
  // QueryContextMenu into a fresh menu, then InvokeCommand with MAKEINTRESOURCE(offset). The
  // call returns when the command's windows have closed.
  HRESULT Invoke(UINT offset, HWND owner);
  // Shows the context menu at `at` on behalf of `owner` and invokes what the user picks; `picked`
  // tells whether anything was picked.
  HRESULT TrackMenu(HWND owner, POINT at, bool& picked);

private:
  static constexpr UINT kFirstId = 1;
  HRESULT Fill(HMENU menu);

  ComPtr<IContextMenu> menu_;
};

} // namespace corvane
