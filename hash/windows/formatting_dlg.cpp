#include "hash/windows/formatting_dlg.h"

#include "common/hash_resource.h"

namespace corvane {

CFormattingDlg::CFormattingDlg() : CDialog(IDD_FORMATTING, nullptr) {}

} // namespace corvane
