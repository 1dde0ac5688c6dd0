#include "framework/file_dialog.h"

#include <cstring>

namespace corvane {

namespace {
// Room for long paths; the dialog reports a name that does not fit instead of cutting it.
constexpr size_t kFileNameChars = 32768;
} // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName,
                         DWORD flags, const char* filter, CWnd* parent)
    : m_ofn(), m_bOpenFileDialog(openFileDialog), m_fileName(kFileNameChars, '\0') {
  m_ofn.lStructSize = sizeof(m_ofn);
  m_ofn.hwndOwner = parent != nullptr ? parent->m_hWnd : nullptr;
  m_ofn.Flags = flags;
  if (fileName != nullptr) {
    std::strncpy(m_fileName.data(), fileName, m_fileName.size() - 1);
  }
  m_ofn.lpstrFile = m_fileName.data();
  m_ofn.nMaxFile = static_cast<DWORD>(m_fileName.size());
  // A wildcard is no extension: appended to a typed name it would make a name no file can have,
  // so such a name is taken as typed.
  if (defaultExt != nullptr && std::strpbrk(defaultExt, "*?") == nullptr) {
    m_strDefExt = defaultExt;
    m_ofn.lpstrDefExt = m_strDefExt.c_str();
  }
  if (filter != nullptr) {
    // The dialog wants NUL separators and a double NUL at the end.
    m_strFilter = filter;
    for (char& ch : m_strFilter) {
      if (ch == '|') {
        ch = '\0';
      }
    }
    m_strFilter.push_back('\0');
    m_ofn.lpstrFilter = m_strFilter.c_str();
  }
}

INT_PTR CFileDialog::DoModal() {
  // Given no parent, the thread's active window owns the dialog: the system keeps it disabled
  // while the dialog is open, so it can neither open a second dialog nor end beneath this one.
  const bool ownerChosen = m_ofn.hwndOwner == nullptr;
  if (ownerChosen) {
    m_ofn.hwndOwner = ::GetActiveWindow();
  }
  BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
  if (ownerChosen) {
    m_ofn.hwndOwner = nullptr;
  }
  return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
  return CString(m_fileName.data());
}

} // namespace corvane
