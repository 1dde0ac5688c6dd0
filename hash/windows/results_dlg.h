#pragma once
// The results window: the report in a read-only rich-text view, sized to its content, with
// Save to File and Copy.

#include "framework/dialog.h"
#include "hash/core/results_layout.h"
#include "hash/core/results_view.h"

namespace corvane {

class CResultsDlg : public CDialog, public ResultsView {
public:
  CResultsDlg();
  ~CResultsDlg() override;

  // ResultsView: fills the report and the mode, then runs the window modally.
  void ShowReport(const std::string& report, HashMode mode) override;

  CString m_strReport;
  HashMode m_nMode = HashMode::ComputeMd5;
  CButton m_okButton;
  CButton m_saveButton;
  CRichEditCtrl m_richEdit;
  CButton m_copyButton;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  // Moved to a display of another scale: the view and buttons are sized again for it.
  BOOL OnDpiChanged(UINT dpi, const RECT& suggested) override;

  void OnCopy();
  void OnSaveToFile();
  void OnRequestResize(NMHDR* header, LRESULT* result);

private:
  void ApplyLayout(const ResultsLayout& layout);

  // The view has its whole report: only then is it worth asking how wide its lines are drawn.
  bool m_bReportLoaded = false;
  // Hands the view successive pieces of the report in place, as large as it asks for.
  static DWORD CALLBACK StreamInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count,
                                         LONG* delivered);
};

} // namespace corvane
