#include "framework/dialog.h"

#include "framework/module_state.h"

namespace corvane {

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (pDX == nullptr || pDX->m_pDlgWnd == nullptr) {
    return;
  }
  // Re-binding is allowed: a dialog object may create its window more than once.
  control.Attach(pDX->m_pDlgWnd->GetDlgItem(id));
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
  if (m_hWnd != nullptr) {
    ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    ::DestroyWindow(Detach());
  }
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_nIDTemplate = templateId;
  m_pParentWnd = parent;
  m_bModal = false;
  HWND hWnd = ::CreateDialogParamA(FrameworkResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                                   parent != nullptr ? parent->m_hWnd : nullptr, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
  return hWnd != nullptr;
}

INT_PTR CDialog::DoModal() {
  m_bModal = true;
  INT_PTR result = ::DialogBoxParamA(FrameworkResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                                     m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
  m_bModal = false;
  return result;
}

void CDialog::EndDialog(int result) {
  ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData() {
  CDataExchange dx{this};
  DoDataExchange(&dx);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
  UpdateData();
  return TRUE;
}

void CDialog::OnOK() {
  if (m_bModal) {
    UpdateData();
    EndDialog(IDOK);
  }
}

void CDialog::OnCancel() {
  if (m_bModal) {
    EndDialog(IDCANCEL);
  }
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
  if (HIWORD(wParam) != BN_CLICKED) {
    return FALSE;
  }
  switch (LOWORD(wParam)) {
  case IDOK:
    OnOK();
    return TRUE;
  case IDCANCEL:
    OnCancel();
    return TRUE;
  default:
    return FALSE;
  }
}

BOOL CDialog::OnNotify(WPARAM, LPARAM, LRESULT*) {
  return FALSE;
}

BOOL CDialog::OnDpiChanged(UINT, const RECT&) {
  return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* dialog = nullptr;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
    if (dialog != nullptr) {
      dialog->m_hWnd = hWnd;
    }
  } else {
    dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
  }
  if (dialog == nullptr) {
    return FALSE;
  }
  // Nothing may unwind through the window manager's frames.
  try {
    return dialog->HandleMessage(message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    return OnInitDialog();
  case WM_COMMAND:
    return OnCommand(wParam, lParam);
  case WM_NOTIFY: {
    LRESULT result = 0;
    if (!OnNotify(wParam, lParam, &result)) {
      return FALSE;
    }
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
  }
  case WM_DPICHANGED:
    if (lParam == 0) {
      return FALSE;
    }
    return OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
  case WM_NCDESTROY:
    ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    m_hWnd = nullptr;
    return FALSE;
  default:
    return FALSE;
  }
}

} // namespace corvane
