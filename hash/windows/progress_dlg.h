#pragma once
// The progress window: which file is read, its size, how far, and Cancel. It does nothing on its
// own; the run loops write its fields and pump its messages once per block.

#include "framework/dialog.h"
#include "hash/core/progress_view.h"

#include <chrono>

namespace corvane {

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
  void Paint() override;

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
  bool m_bAbortRequested = false; // a Cancel the run loop has not answered yet

  // Painting a control whenever it is given a text or a position costs many times the rest of
  // the work of a block or of a small file under a slow window system. The five controls
  // therefore take their updates through a window procedure of ours that keeps them from
  // painting, and the window paints them together when the run asks for it, or when the pump
  // finds the last painting kRepaintInterval old. Every update still reaches its control; only
  // when it is painted changes.
  struct QuietControl {
    WNDPROC ownProcedure = nullptr;
    bool updating = false;
  };
  void MakeQuiet(CWnd& control, QuietControl& quiet);
  static LRESULT CALLBACK UpdateWithoutPainting(HWND hWnd, UINT message, WPARAM wParam,
                                                LPARAM lParam);
  void MarkPainted();

  QuietControl m_quietBar;
  QuietControl m_quietFileSize;
  QuietControl m_quietStatus;
  QuietControl m_quietFileName;
  QuietControl m_quietBytes;

  static constexpr std::chrono::milliseconds kRepaintInterval{100};
  bool m_bPaintPending = false;
  std::chrono::steady_clock::time_point m_paintedAt;
};

} // namespace corvane
