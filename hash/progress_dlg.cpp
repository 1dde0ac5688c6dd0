#include "hash/progress_dlg.h"

#include "resources/hash_resource.h"

CProgressDlg::CProgressDlg() : CDialog(IDD_PROGRESS, nullptr) {}

CProgressDlg::~CProgressDlg() = default;

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
  m_bAbortRequested = 0;
  return TRUE;
}

void CProgressDlg::OnCancel() {
  m_bAbortRequested = 1;
}

void CProgressDlg::Create() {
  // A failed creation leaves every later call without effect; the run goes on regardless.
  m_bAbortRequested = 0;
  m_bPaintPending = false;
  CDialog::Create(IDD_PROGRESS, nullptr);
}

void CProgressDlg::SetTitle(const char* text) {
  SetWindowTextA(text);
}

void CProgressDlg::Show() {
  ShowWindow(SW_SHOWNORMAL);
  UpdateWindow();
}

void CProgressDlg::SetFileName(const char* text) {
  m_fileNameText.SetWindowTextA(text);
}

void CProgressDlg::SetFileSize(const char* text) {
  m_fileSizeText.SetWindowTextA(text);
}

void CProgressDlg::SetStatus(const char* text) {
  m_statusText.SetWindowTextA(text);
}

template <typename Update> void CProgressDlg::WithoutPainting(CWnd& control, Update update) {
  // A static control paints inside WM_SETTEXT and the bar invalidates itself on every range or
  // position; with redrawing off neither happens, and switching it back on paints nothing.
  control.SendMessageA(WM_SETREDRAW, FALSE);
  update();
  control.SendMessageA(WM_SETREDRAW, TRUE);
  m_bPaintPending = true;
}

void CProgressDlg::SetBytes(const char* text) {
  WithoutPainting(m_bytesText, [&] { m_bytesText.SetWindowTextA(text); });
}

void CProgressDlg::SetRange(int lower, int upper) {
  WithoutPainting(m_progressBar, [&] {
    m_progressBar.SetRange(static_cast<short>(lower), static_cast<short>(upper));
  });
}

void CProgressDlg::SetPosition(int position) {
  WithoutPainting(m_progressBar, [&] { m_progressBar.SetPos(position); });
}

void CProgressDlg::PaintProgress() {
  for (CWnd* control : {static_cast<CWnd*>(&m_progressBar), static_cast<CWnd*>(&m_bytesText)}) {
    if (control->m_hWnd != nullptr)
      ::RedrawWindow(control->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
  m_bPaintPending = false;
  m_paintedAt = std::chrono::steady_clock::now();
}

void CProgressDlg::PumpMessages() {
  // Every pending message of the thread is processed, also an Escape character at the head of
  // the queue: leaving it there would stall the queue, and with it Cancel, until the run ends.
  if (m_bPaintPending && std::chrono::steady_clock::now() - m_paintedAt >= kRepaintInterval)
    PaintProgress();
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
  return m_bAbortRequested != 0;
}

void CProgressDlg::ClearAbortRequest() {
  m_bAbortRequested = 0;
}

bool CProgressDlg::ConfirmAbort() {
  return ::MessageBoxA(nullptr, "Are you sure you wish to abort?", "Abort?",
                       MB_YESNO | MB_ICONWARNING) == IDYES;
}

void CProgressDlg::Destroy() {
  DestroyWindow();
}
