#pragma once
// The progress window: which file is read, its size, how far, and Cancel. It does nothing on its
// own; the run loops write its fields and pump its messages once per block.

#include "framework/dialog.h"
#include "hash/progress_view.h"

#include <optional>
#include <utility>

class CProgressDlg : public CDialog, public ProgressView {
public:
  CProgressDlg();
  ~CProgressDlg() override;

  // ProgressView
  void Create() override;
  void SetTitle(const char* text) override;
  void Show() override;
  void SetFileName(const char* text) override;
  void SetFileSize(const char* text) override;
  void SetStatus(const char* text) override;
  void SetBytes(const char* text) override;
  void SetRange(int lower, int upper) override;
  void SetPosition(int position) override;
  void PumpMessages() override;
  bool AbortRequested() const override;
  void ClearAbortRequest() override;
  bool ConfirmAbort() override;
  void Destroy() override;

  int m_bAbortRequested = 0;
  CProgressCtrl m_progressBar;
  CStatic m_fileSizeText;
  CStatic m_statusText;
  CStatic m_fileNameText;
  CStatic m_bytesText;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // Cancel, Escape and the close box only raise the request; the run loop decides.
  void OnCancel() override;

private:
  void ShowPendingPosition();

  // The bar repaints on every range or position message, even an unchanged one, and a repaint
  // costs more than reading a small file. Positions are therefore handed to the bar only when the
  // pump is about to service the window, and only when they differ from what the bar shows.
  std::optional<std::pair<int, int>> m_shownRange;
  std::optional<int> m_shownPosition;
  std::optional<int> m_pendingPosition;
};
