#include "hash/dll/formatting_dlg.h"

#include "resources/hash_resource.h"

namespace corvane {

CFormattingDlg::CFormattingDlg() : CDialog(IDD_FORMATTING, nullptr) {}

CFormattingDlg::~CFormattingDlg() = default;

void CFormattingDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
}

} // namespace corvane
