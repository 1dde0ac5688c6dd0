#include "hash/windows/progress_dlg.h"

#include "common/hash_resource.h"

#include <commctrl.h>

namespace corvane {

CProgressDlg::CProgressDlg() : CDialog(IDD_PROGRESS, nullptr) {}

CProgressDlg::~CProgressDlg() {
  // The controls keep the addresses of their records until they are gone.
  DestroyWindow();
}

void CProgressDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_PROGRESS_BAR, m_progressBar);
  DDX_Control(pDX, IDC_FILESIZE_TEXT, m_fileSizeText);
  DDX_Control(pDX, IDC_STATUS_TEXT, m_statusText);
  DDX_Control(pDX, IDC_FILENAME_TEXT, m_fileNameText);
  DDX_Control(pDX, IDC_BYTES_TEXT, m_bytesText);
}

BOOL CProgressDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  MakeQuiet(m_progressBar, m_quietBar);
  MakeQuiet(m_fileSizeText, m_quietFileSize);
  MakeQuiet(m_statusText, m_quietStatus);
  MakeQuiet(m_fileNameText, m_quietFileName);
  MakeQuiet(m_bytesText, m_quietBytes);
  return TRUE;
}

void CProgressDlg::OnCancel() {
  m_bAbortRequested = true;
}

void CProgressDlg::Create() {
  // A failed creation leaves every later call without effect; the run goes on regardless.
  m_bAbortRequested = false;
  m_bPaintPending = false;
  CDialog::Create(IDD_PROGRESS, nullptr);
}

void CProgressDlg::SetTitle(const char* text) {
  SetWindowTextA(text);
}

void CProgressDlg::Show() {
  ShowWindow(SW_SHOWNORMAL);
  UpdateWindow();
  MarkPainted();
}

void CProgressDlg::SetFileName(const char* text) {
  m_fileNameText.SetWindowTextA(text);
  m_bPaintPending = true;
}

void CProgressDlg::SetFileSize(const char* text) {
  m_fileSizeText.SetWindowTextA(text);
  m_bPaintPending = true;
}

void CProgressDlg::SetStatus(const char* text) {
  m_statusText.SetWindowTextA(text);
  m_bPaintPending = true;
}

// The control's record, holding its own procedure, is kept in its user data, which the controls
// leave to their owner.
void CProgressDlg::MakeQuiet(CWnd& control, QuietControl& quiet) {
  if (control.m_hWnd == nullptr)
    return;
  quiet.ownProcedure = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(control.m_hWnd, GWLP_WNDPROC));
  ::SetWindowLongPtrA(control.m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&quiet));
  ::SetWindowLongPtrA(control.m_hWnd, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(UpdateWithoutPainting));
}

LRESULT CALLBACK CProgressDlg::UpdateWithoutPainting(HWND hWnd, UINT message, WPARAM wParam,
                                                     LPARAM lParam) {
  auto& quiet = *reinterpret_cast<QuietControl*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
  switch (message) {
  case WM_SETTEXT:
    // A static control paints inside WM_SETTEXT; the text is stored alone, as the control would.
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
  case PBM_SETRANGE:
  case PBM_SETPOS: {
    // The bar invalidates itself for a new range or a moved position (PBM_SETPOS returns the
    // previous one) and may paint at once; it is painted when due instead.
    quiet.updating = true;
    const LRESULT result = ::CallWindowProcA(quiet.ownProcedure, hWnd, message, wParam, lParam);
    quiet.updating = false;
    if (message == PBM_SETRANGE || static_cast<WPARAM>(result) != wParam)
      ::ValidateRect(hWnd, nullptr);
    return result;
  }
  case WM_PAINT:
    if (quiet.updating) {
      ::ValidateRect(hWnd, nullptr);
      return 0;
    }
    break;
  default:
    break;
  }
  return ::CallWindowProcA(quiet.ownProcedure, hWnd, message, wParam, lParam);
}

void CProgressDlg::SetBytes(const char* text) {
  m_bytesText.SetWindowTextA(text);
  m_bPaintPending = true;
}

void CProgressDlg::SetRange(int lower, int upper) {
  m_progressBar.SetRange(static_cast<short>(lower), static_cast<short>(upper));
  m_bPaintPending = true;
}

void CProgressDlg::SetPosition(int position) {
  m_progressBar.SetPos(position);
  m_bPaintPending = true;
}

void CProgressDlg::Paint() {
  for (CWnd* control : {static_cast<CWnd*>(&m_fileNameText), static_cast<CWnd*>(&m_fileSizeText),
                        static_cast<CWnd*>(&m_bytesText), static_cast<CWnd*>(&m_progressBar),
                        static_cast<CWnd*>(&m_statusText)}) {
    if (control->m_hWnd != nullptr)
      ::RedrawWindow(control->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
  MarkPainted();
}

void CProgressDlg::MarkPainted() {
  m_bPaintPending = false;
  m_paintedAt = std::chrono::steady_clock::now();
}

void CProgressDlg::PumpMessages() {
  // Every pending message of the thread is processed, also an Escape character at the head of
  // the queue: leaving it there would stall the queue, and with it Cancel, until the run ends.
  if (m_bPaintPending && std::chrono::steady_clock::now() - m_paintedAt >= kRepaintInterval)
    Paint();
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The quit message belongs to the enclosing message loop.
      ::PostQuitMessage(0);
      return;
    }
    if (got < 0) {
      return;
    }
    // Tab, Enter and Escape in this window go through the dialog's keyboard interface.
    if (m_hWnd != nullptr && (msg.hwnd == m_hWnd || ::IsChild(m_hWnd, msg.hwnd)) &&
        ::IsDialogMessageA(m_hWnd, &msg)) {
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

bool CProgressDlg::AbortRequested() const {
  return m_bAbortRequested;
}

void CProgressDlg::ClearAbortRequest() {
  m_bAbortRequested = false;
}

bool CProgressDlg::ConfirmAbort() {
  return ::MessageBoxA(nullptr, "Are you sure you wish to abort?", "Abort?",
                       MB_YESNO | MB_ICONWARNING) == IDYES;
}

void CProgressDlg::Destroy() {
  DestroyWindow();
}

} // namespace corvane
