#include "hash/windows/verify_digest_dlg.h"

#include "common/hash_resource.h"
#include "hash/core/verify_run.h"
#include "win32/scoped.h"

#include <algorithm>

namespace corvane {

namespace {

// The label is as wide as its text at 100 %. At other scales the template's font does not grow in
// step with the dialog units, and the label would break its last word onto a line it has no room
// for: it is widened to its text, as far as the edit below it reaches.
void WidenLabelToItsText(HWND dialog) {
  HWND label = ::GetDlgItem(dialog, -1);
  HWND edit = ::GetDlgItem(dialog, IDC_DIGEST_EDIT);
  if (label == nullptr || edit == nullptr) {
    return;
  }
  char text[128] = {};
  const int length = ::GetWindowTextA(label, text, sizeof text);
  SIZE extent{};
  {
    ScopedWindowDC dc(label);
    if (dc.Get() == nullptr) {
      return;
    }
    HGDIOBJ previous = ::SelectObject(
        dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageA(label, WM_GETFONT, 0, 0)));
    ::GetTextExtentPoint32A(dc.Get(), text, length, &extent);
    ::SelectObject(dc.Get(), previous);
  }
  RECT labelRect{}, editRect{};
  ::GetWindowRect(label, &labelRect);
  ::GetWindowRect(edit, &editRect);
  if (extent.cx <= labelRect.right - labelRect.left) {
    return;
  }
  const LONG width = std::min(extent.cx, editRect.right - labelRect.left);
  ::SetWindowPos(label, nullptr, 0, 0, width, labelRect.bottom - labelRect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

CVerifyDigestDlg::CVerifyDigestDlg(CWnd* parent) : CDialog(IDD_VERIFY_DIGEST, parent) {}

void CVerifyDigestDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_DIGEST_EDIT, m_digestEdit);
}

BOOL CVerifyDigestDlg::OnInitDialog() {
  BOOL result = CDialog::OnInitDialog();
  WidenLabelToItsText(m_hWnd);
  return result;
}

void CVerifyDigestDlg::OnOK() {
  CString text;
  m_digestEdit.GetWindowTextA(text);
  text.MakeLower();
  if (!IsValidDigestText(text.Str(), m_nAlgorithm)) {
    // No caption of its own: the window layer's default, the product title, applies.
    MessageBoxA(kInvalidDigestText, nullptr, MB_OK);
    return;
  }
  m_strDigest = text;
  CDialog::OnOK();
}

} // namespace corvane
