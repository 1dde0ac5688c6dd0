#pragma once
// Thin wrappers over window handles. A wrapper never owns its window unless it created it
// (dialogs); controls are attached to the handles their dialog made.

#include "framework/cstring.h"

#include <windows.h>

#include <richedit.h>

namespace corvane {

class CWnd {
public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  void Attach(HWND hWnd) { m_hWnd = hWnd; }
  HWND Detach();

  void SetWindowTextA(const char* text);
  int GetWindowTextA(CString& text) const;
  BOOL ShowWindow(int command);
  void UpdateWindow();
  virtual BOOL DestroyWindow();
  BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
  void GetWindowRect(RECT* rect) const;
  int MessageBoxA(const char* text, const char* caption = nullptr, UINT type = MB_OK);
  HWND GetDlgItem(int id) const;
  LRESULT SendMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  HWND m_hWnd = nullptr;
};

class CStatic : public CWnd {};

class CButton : public CWnd {};

class CEdit : public CWnd {};

class CProgressCtrl : public CWnd {
public:
  void SetRange(short lower, short upper);
  int SetPos(int position);
};

class CRichEditCtrl : public CWnd {
public:
  DWORD SetEventMask(DWORD mask);
  long StreamIn(int format, EDITSTREAM& stream);
  void RequestResize();
  void SetSel(long start, long end);
  // EM_EXLIMITTEXT: the limit in characters, beyond the 16-bit one of EM_LIMITTEXT.
  void LimitText(long maxChars);
  long GetLimitText() const;
  void Copy();
};

} // namespace corvane
