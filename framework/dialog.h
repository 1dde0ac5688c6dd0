#pragma once
// Dialogs from the module's own templates, modeless (Create) or modal (DoModal). Messages reach
// the virtual handlers through one dialog procedure; there is no message map.

#include "framework/wnd.h"

namespace corvane {

class CDialog;

// What DoDataExchange works on: only control binding is used, which goes one way.
struct CDataExchange {
  CDialog* m_pDlgWnd;
};

// Binds a member wrapper to the dialog's control with the given id.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Modeless: the window exists (hidden unless its template says visible) when this returns.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  // Modal: returns the EndDialog result, or -1 when the window could not be created.
  INT_PTR DoModal();
  void EndDialog(int result);
  BOOL UpdateData();

protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  virtual BOOL OnInitDialog();
  // Modal dialogs end with IDOK / IDCANCEL; a modeless one stays as it is.
  virtual void OnOK();
  virtual void OnCancel();
  // WM_COMMAND: TRUE when handled. The base routes IDOK and IDCANCEL.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  // WM_NOTIFY: TRUE when handled, with the notification's result in *result.
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  // WM_DPICHANGED: the window moved to a display of another scale. TRUE when handled.
  virtual BOOL OnDpiChanged(UINT dpi, const RECT& suggested);

private:
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  bool m_bModal = false;
};

} // namespace corvane
