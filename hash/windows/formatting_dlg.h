#pragma once
// The caption-less "Formatting output..." notice shown while a report is loaded into its view.

#include "framework/dialog.h"

namespace corvane {

class CFormattingDlg : public CDialog {
public:
  CFormattingDlg();
};

} // namespace corvane
