#pragma once
// The common Open/Save dialog.

#include "framework/cstring.h"
#include "framework/wnd.h"

#include <windows.h>

#include <commdlg.h>

#include <string>
#include <vector>

namespace corvane {

class CFileDialog {
public:
  // filter: pairs of description and pattern, each ended by '|', the list by a further '|'.
  // Without a parent the dialog is owned by the thread's active window when it opens.
  CFileDialog(BOOL openFileDialog, const char* defaultExt = nullptr, const char* fileName = nullptr,
              DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
              CWnd* parent = nullptr);
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  // IDOK when the user chose a file, IDCANCEL otherwise.
  INT_PTR DoModal();
  CString GetPathName() const;

  OPENFILENAMEA m_ofn;

private:
  BOOL m_bOpenFileDialog;
  std::string m_strFilter;
  std::string m_strDefExt;
  std::vector<char> m_fileName;
};

} // namespace corvane
