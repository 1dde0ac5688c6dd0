#include "hash/windows/formatting_dlg.h"

#include "resources/hash_resource.h"

namespace corvane {

CFormattingDlg::CFormattingDlg() : CDialog(IDD_FORMATTING, nullptr) {}

} // namespace corvane
