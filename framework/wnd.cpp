#include "framework/wnd.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdint>

#include "common/product.h"

namespace corvane {

HWND CWnd::Detach() {
  HWND hWnd = m_hWnd;
  m_hWnd = nullptr;
  return hWnd;
}

void CWnd::SetWindowTextA(const char* text) {
  ::SetWindowTextA(m_hWnd, text);
}

int CWnd::GetWindowTextA(CString& text) const {
  int length = ::GetWindowTextLengthA(m_hWnd);
  if (length <= 0) {
    text.Empty();
    return 0;
  }
  // A rich-text view counts characters, not bytes: in a double-byte code page its text takes up
  // to twice as many, and a buffer too short for all of it receives none of it. Otherwise the
  // length may be an over-estimate (multi-byte conversions); the copy reports the real one.
  CPINFO codePage{};
  if (::GetCPInfo(CP_ACP, &codePage) && codePage.MaxCharSize > 1) {
    length = static_cast<int>(
        std::min<int64_t>(static_cast<int64_t>(length) * codePage.MaxCharSize, INT_MAX - 1));
  }
  char* buffer = text.GetBuffer(length + 1);
  int copied = ::GetWindowTextA(m_hWnd, buffer, length + 1);
  buffer[copied >= 0 && copied <= length ? copied : 0] = '\0';
  text.ReleaseBuffer();
  return text.GetLength();
}

BOOL CWnd::ShowWindow(int command) {
  return ::ShowWindow(m_hWnd, command);
}

void CWnd::UpdateWindow() {
  ::UpdateWindow(m_hWnd);
}

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == nullptr) {
    return FALSE;
  }
  return ::DestroyWindow(Detach());
}

BOOL CWnd::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
}

void CWnd::GetWindowRect(RECT* rect) const {
  ::GetWindowRect(m_hWnd, rect);
}

int CWnd::MessageBoxA(const char* text, const char* caption, UINT type) {
  // Without a caption of its own a box carries the product's name, as every other box does.
  return ::MessageBoxA(m_hWnd, text, caption != nullptr ? caption : kProductTitle, type);
}

HWND CWnd::GetDlgItem(int id) const {
  return ::GetDlgItem(m_hWnd, id);
}

LRESULT CWnd::SendMessageA(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

void CProgressCtrl::SetRange(short lower, short upper) {
  SendMessageA(PBM_SETRANGE, 0, MAKELPARAM(lower, upper));
}

int CProgressCtrl::SetPos(int position) {
  return static_cast<int>(SendMessageA(PBM_SETPOS, static_cast<WPARAM>(position), 0));
}

DWORD CRichEditCtrl::SetEventMask(DWORD mask) {
  return static_cast<DWORD>(SendMessageA(EM_SETEVENTMASK, 0, mask));
}

long CRichEditCtrl::StreamIn(int format, EDITSTREAM& stream) {
  return static_cast<long>(
      SendMessageA(EM_STREAMIN, static_cast<WPARAM>(format), reinterpret_cast<LPARAM>(&stream)));
}

void CRichEditCtrl::RequestResize() {
  SendMessageA(EM_REQUESTRESIZE, 0, 0);
}

void CRichEditCtrl::SetSel(long start, long end) {
  CHARRANGE range{start, end};
  SendMessageA(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void CRichEditCtrl::LimitText(long maxChars) {
  SendMessageA(EM_EXLIMITTEXT, 0, maxChars);
}

long CRichEditCtrl::GetLimitText() const {
  return static_cast<long>(SendMessageA(EM_GETLIMITTEXT, 0, 0));
}

void CRichEditCtrl::Copy() {
  SendMessageA(WM_COPY, 0, 0);
}

} // namespace corvane
