#include "hash/dll/verify_digest_dlg.h"

#include "hash/core/verify_run.h"
#include "resources/hash_resource.h"

namespace corvane {

CVerifyDigestDlg::CVerifyDigestDlg(CWnd* parent) : CDialog(IDD_VERIFY_DIGEST, parent) {}

void CVerifyDigestDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_DIGEST_EDIT, m_digestEdit);
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
