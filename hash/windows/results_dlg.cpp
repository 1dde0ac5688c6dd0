#include "hash/windows/results_dlg.h"

#include "common/hash_mode.h"
#include "common/hash_resource.h"
#include "common/scoped_file.h"
#include "framework/file_dialog.h"
#include "hash/windows/formatting_dlg.h"
#include "hash/windows/window_dpi.h"
#include "win32/scoped.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace corvane {

namespace {

// The report as the stream callback sees it; its length is measured once per loading. The read
// position is the loading's own: two results windows may load at once, on two threads or one
// inside the other's message loop.
struct StreamSource {
  const char* text;
  uint32_t length;
  uint32_t position;
};

// Caption, borders and whatever scroll bars the window shows.
int NonClientHeight(HWND window) {
  RECT outer{}, client{};
  ::GetWindowRect(window, &outer);
  ::GetClientRect(window, &client);
  return (outer.bottom - outer.top) - (client.bottom - client.top);
}

// How much wider the view's lines are drawn than its client area shows them. Resized while it
// reports its size, the view keeps its bar as it was until it is told to format anew; formatting
// is asked for only where a bar shows, since it lays out every line again (seconds for 100,000),
// and a view without one already holds its lines at the width it has now or a narrower one.
int HorizontalShortfall(CRichEditCtrl& view) {
  if ((::GetWindowLongPtrA(view.m_hWnd, GWL_STYLE) & WS_HSCROLL) == 0) {
    return 0;
  }
  view.SendMessageA(EM_SETRECT, 0, 0);
  if ((::GetWindowLongPtrA(view.m_hWnd, GWL_STYLE) & WS_HSCROLL) == 0) {
    return 0;
  }
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  if (!::GetScrollInfo(view.m_hWnd, SB_HORZ, &info)) {
    return 0;
  }
  return std::max(0, (info.nMax - info.nMin + 1) - static_cast<int>(info.nPage));
}

} // namespace

CResultsDlg::CResultsDlg() : CDialog(IDD_RESULTS, nullptr) {}

CResultsDlg::~CResultsDlg() = default;

void CResultsDlg::ShowReport(const std::string& report, HashMode mode) {
  m_strReport = CString(report);
  m_nMode = mode;
  DoModal();
}

void CResultsDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDOK, m_okButton);
  DDX_Control(pDX, IDC_SAVE_BUTTON, m_saveButton);
  DDX_Control(pDX, IDC_REPORT_VIEW, m_richEdit);
  DDX_Control(pDX, IDC_COPY_BUTTON, m_copyButton);
}

BOOL CResultsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_richEdit.SetEventMask(ENM_REQUESTRESIZE);

  CFormattingDlg notice;
  StreamSource source{m_strReport.GetString(), static_cast<uint32_t>(m_strReport.GetLength()), 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = StreamInCallback;

  notice.Create(IDD_FORMATTING, nullptr);
  notice.ShowWindow(SW_SHOWNORMAL);
  notice.UpdateWindow();

  // The view's default limit would silently drop the lines of a long report from the view, the
  // saved file and the clipboard; its plain text is never longer than the RTF it comes from.
  if (m_strReport.GetLength() > m_richEdit.GetLimitText()) {
    m_richEdit.LimitText(m_strReport.GetLength());
  }
  m_bReportLoaded = false;
  m_richEdit.StreamIn(SF_RTF, stream);
  m_bReportLoaded = true;
  notice.DestroyWindow();

  m_richEdit.RequestResize();
  return TRUE;
}

DWORD CALLBACK CResultsDlg::StreamInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count,
                                             LONG* delivered) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  uint32_t rest = 0;
  if (source != nullptr && source->position < source->length) {
    rest = source->length - source->position;
  }
  uint32_t wanted = count > 0 ? static_cast<uint32_t>(count) : 0;
  uint32_t n = wanted <= rest ? wanted : rest;
  if (n > 0) {
    std::memcpy(buffer, source->text + source->position, n);
    source->position += n;
  }
  if (delivered != nullptr) {
    *delivered = static_cast<LONG>(n);
  }
  return 0;
}

BOOL CResultsDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
    case IDC_COPY_BUTTON:
      OnCopy();
      return TRUE;
    case IDC_SAVE_BUTTON:
      OnSaveToFile();
      return TRUE;
    default:
      break;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CResultsDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header != nullptr && header->idFrom == IDC_REPORT_VIEW && header->code == EN_REQUESTRESIZE) {
    OnRequestResize(header, result);
    return TRUE;
  }
  return CDialog::OnNotify(wParam, lParam, result);
}

void CResultsDlg::OnCopy() {
  m_richEdit.SetSel(0, -1);
  m_richEdit.Copy();
  m_richEdit.SetSel(-1, -1);
}

void CResultsDlg::OnSaveToFile() {
  CFileDialog dialog(FALSE, "*.*", "digest.txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     "All Files (*.*)|*.*||", nullptr);
  if (dialog.DoModal() == IDCANCEL) {
    return;
  }
  // Everything that needs memory comes before the file is opened: running out of it must not
  // leave a half-written file, nor empty a file that was there.
  CString text;
  m_richEdit.GetWindowTextA(text);
  std::string plain;
  plain.reserve(static_cast<size_t>(text.GetLength()));
  const char* chars = text.GetString();
  for (int i = 0; i < text.GetLength(); ++i) {
    if (chars[i] == '\r' && chars[i + 1] == '\n') {
      continue;
    }
    plain.push_back(chars[i]);
  }

  ScopedFile file(std::fopen(dialog.GetPathName(), "wt"));
  if (!file) {
    MessageBoxA("Unable to open output file", "Error", MB_OK | MB_ICONEXCLAMATION);
    return;
  }

  // Text mode turns every LF into CR LF on the way out.
  bool written = std::fputs(ReportWordOf(m_nMode), file.Get()) >= 0 &&
                 std::fputs("Digest\n\n", file.Get()) >= 0 &&
                 std::fwrite(plain.data(), 1, plain.size(), file.Get()) == plain.size() &&
                 std::fputc('\n', file.Get()) != EOF;
  // A full disk may only show when the buffered rest is flushed.
  bool closed = file.Close() == 0;
  if (!written || !closed) {
    MessageBoxA("Unable to write output file", "Error", MB_OK | MB_ICONEXCLAMATION);
  }
}

void CResultsDlg::OnRequestResize(NMHDR* header, LRESULT* result) {
  const auto* request = reinterpret_cast<const REQRESIZE*>(header);
  ResultsMetrics metrics;
  metrics.requestLeft = request->rc.left;
  metrics.requestTop = request->rc.top;
  metrics.requestHeight = request->rc.bottom - request->rc.top;
  {
    ScopedWindowDC dc(m_richEdit.m_hWnd);
    TEXTMETRICA textMetrics{};
    if (dc.Get() != nullptr && ::GetTextMetricsA(dc.Get(), &textMetrics)) {
      metrics.maxCharWidth = textMetrics.tmMaxCharWidth;
    }
    const int dcDpi = dc.Get() != nullptr ? ::GetDeviceCaps(dc.Get(), LOGPIXELSY) : 0;
    metrics.dpi = WindowDpi(m_hWnd, dc.Get());
    metrics.textDpi = dcDpi > 0 ? dcDpi : metrics.dpi;
  }

  CString text;
  m_richEdit.GetWindowTextA(text);
  metrics.longestLine = LongestLineLength(text.GetString(), text.GetLength());
  metrics.vScrollWidth = SystemMetricForDpi(SM_CXVSCROLL, metrics.dpi);
  metrics.hScrollHeight = SystemMetricForDpi(SM_CYHSCROLL, metrics.dpi);

  RECT ok{}, save{}, copy{};
  m_okButton.GetWindowRect(&ok);
  m_saveButton.GetWindowRect(&save);
  m_copyButton.GetWindowRect(&copy);
  metrics.buttonWidth = ok.right - ok.left;
  metrics.buttonGap = save.left - ok.right;
  metrics.buttonRowWidth = copy.right - ok.left;
  metrics.buttonHeight = ok.bottom - ok.top;
  metrics.frameHeight = NonClientHeight(m_hWnd);

  // Only the view knows how wide its lines are drawn and how much room its borders and bars take:
  // laid out, it shows what it lacks. It is widened as far as the limit allows; if a line still
  // does not fit, the scroll bar gets room of its own below the lines.
  ResultsLayout layout = LayOutResults(metrics);
  ApplyLayout(layout);
  if (!m_bReportLoaded) {
    *result = 0;
    return;
  }
  metrics.widthShortfall = HorizontalShortfall(m_richEdit);
  if (metrics.widthShortfall > 0) {
    layout = LayOutResults(metrics);
    ApplyLayout(layout);
    if (HorizontalShortfall(m_richEdit) > 0) {
      RECT client{};
      ::GetClientRect(m_richEdit.m_hWnd, &client);
      // The request is in the view's client coordinates: its lines start below a top margin.
      metrics.heightShortfall = metrics.requestTop + layout.linesHeight - client.bottom;
      if (metrics.heightShortfall > 0) {
        ApplyLayout(LayOutResults(metrics));
      }
    }
  }
  *result = 0;
}

void CResultsDlg::ApplyLayout(const ResultsLayout& layout) {
  SetWindowPos(nullptr, 0, 0, layout.windowWidth, layout.windowHeight, SWP_NOMOVE);
  m_richEdit.SetWindowPos(nullptr, layout.viewLeft, layout.viewTop, layout.viewWidth,
                          layout.viewHeight, SWP_NOZORDER);
  CButton* buttons[] = {&m_okButton, &m_saveButton, &m_copyButton};
  for (int i = 0; i < 3; ++i) {
    buttons[i]->SetWindowPos(nullptr, layout.buttonLeft[i], layout.buttonTop, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER);
  }
}

BOOL CResultsDlg::OnDpiChanged(UINT, const RECT& suggested) {
  SetWindowPos(nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  m_richEdit.RequestResize();
  return TRUE;
}

} // namespace corvane
