#include "hash/dll/results_dlg.h"

#include "common/scoped_file.h"
#include "framework/file_dialog.h"
#include "hash/dll/formatting_dlg.h"
#include "resources/hash_resource.h"
#include "win32/scoped.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace corvane {

namespace {

// Where the next piece of the report being loaded starts. Loading runs to its end inside
// OnInitDialog, so one position serves every results window of the module.
uint32_t g_streamReadPosition = 0;

// The report as the stream callback sees it; its length is measured once per loading.
struct StreamSource {
  const char* text;
  uint32_t length;
};

// A mode beyond the known ones is hashed with SHA-1, yet its saved report names no algorithm.
const char* AlgorithmWord(HashMode mode) {
  switch (mode) {
  case HashMode::ComputeMd5:
    return "MD5 ";
  case HashMode::ComputeSha1:
    return "SHA-1 ";
  default:
    return "Unknown Hash ";
  }
}

bool IsTrailingSpace(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
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
  g_streamReadPosition = 0;
  StreamSource source{m_strReport.GetString(), static_cast<uint32_t>(m_strReport.GetLength())};
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
  m_richEdit.StreamIn(SF_RTF, stream);
  notice.DestroyWindow();

  m_richEdit.RequestResize();
  return TRUE;
}

DWORD CALLBACK CResultsDlg::StreamInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count,
                                             LONG* delivered) {
  const auto* source = reinterpret_cast<const StreamSource*>(cookie);
  uint32_t rest = 0;
  if (source != nullptr && g_streamReadPosition < source->length) {
    rest = source->length - g_streamReadPosition;
  }
  uint32_t wanted = count > 0 ? static_cast<uint32_t>(count) : 0;
  uint32_t n = wanted <= rest ? wanted : rest;
  if (n > 0) {
    std::memcpy(buffer, source->text + g_streamReadPosition, n);
  }
  g_streamReadPosition += n;
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
  bool written = std::fputs(AlgorithmWord(m_nMode), file.Get()) >= 0 &&
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
  const int left = request->rc.left;
  const int top = request->rc.top;
  int height = request->rc.bottom - request->rc.top;

  int maxCharWidth = 0;
  {
    ScopedWindowDC dc(m_richEdit.m_hWnd);
    TEXTMETRICA metrics{};
    if (dc.Get() != nullptr && ::GetTextMetricsA(dc.Get(), &metrics)) {
      maxCharWidth = metrics.tmMaxCharWidth;
    }
  }

  CString text;
  m_richEdit.GetWindowTextA(text);
  int length = text.GetLength();
  while (length > 0 && IsTrailingSpace(text.GetString()[length - 1])) {
    --length;
  }
  // The longest line in bytes, a carriage return before its line feed included. One pass: the
  // tokenizer measures the rest of the text for every line, which a long report cannot afford.
  int longestLine = 0;
  int lineStart = 0;
  const char* chars = text.GetString();
  for (int i = 0; i <= length; ++i) {
    if (i == length || chars[i] == '\n') {
      if (i - lineStart > longestLine) {
        longestLine = i - lineStart;
      }
      lineStart = i + 1;
    }
  }

  // 64-bit product: a very long line must clamp to the widest view, not wrap around.
  int64_t wide = static_cast<int64_t>(maxCharWidth) * longestLine / 2;
  int width = wide > 600 ? 600 : static_cast<int>(wide);
  if (width < 300) {
    width = 300;
  }
  if (height > 300) {
    height = 300;
  }
  width += ::GetSystemMetrics(SM_CXVSCROLL);
  height += ::GetSystemMetrics(SM_CYHSCROLL);

  SetWindowPos(nullptr, 0, 0, width + 20, height + 80, SWP_NOMOVE);
  m_richEdit.SetWindowPos(nullptr, left, top, width, height, SWP_NOZORDER);

  RECT ok{}, save{}, copy{};
  m_okButton.GetWindowRect(&ok);
  m_saveButton.GetWindowRect(&save);
  m_copyButton.GetWindowRect(&copy);
  const int buttonWidth = ok.right - ok.left;
  const int gap = save.left - ok.right;
  const int rowWidth = copy.right - ok.left;
  const int x = ((width + 20) - rowWidth) / 2;
  const int y = top + height + 15;
  m_okButton.SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  m_saveButton.SetWindowPos(nullptr, x + buttonWidth + gap, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  m_copyButton.SetWindowPos(nullptr, x + 2 * (buttonWidth + gap), y, 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER);

  *result = 0;
}

} // namespace corvane
