// The results window at the display scale of the session it runs in (CORVANE_EXPECTED_DPI):
// every line readable, every button inside the window.

#include "common/hash_resource.h"
#include "common/product.h"
#include "tests/common/temp_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/window_driver.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace corvane::test {

namespace {

constexpr char kLongName[] = "Annual Financial Statement 2023 - Consolidated - Final (signed).pdf";

int ExpectedDpi() {
  const char* value = std::getenv("CORVANE_EXPECTED_DPI");
  return value != nullptr ? std::atoi(value) : 96;
}

struct ResultsFigures {
  int scrollRange = 0; // the view's horizontal range, nMax - nMin + 1
  int scrollPage = 0;
  bool horizontalBar = false; // a hidden bar keeps the page it had when last shown
  int viewClientWidth = 0;
  int lastLineBottom = 0; // of the view's last line, in its client area
  int viewClientHeight = 0;
  int buttonsBottom = 0; // the lowest edge of OK, Save to File and Copy
  int buttonsRight = 0;
  int clientWidth = 0;
  int clientHeight = 0;
};

// The results window as the user sees it: painted by its own thread, whatever the view leaves to
// its first painting done.
HWND WaitForPaintedResults(DWORD thread) {
  HWND results = WaitForDialog(thread, kProductTitle);
  if (results != nullptr) {
    ::RedrawWindow(results, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  return results;
}

// Runs MD5 over the named files and measures the results window as the user sees it.
ResultsFigures MeasureResults(const std::vector<std::string>& names) {
  EXPECT_TRUE(MakeThreadPerMonitorDpiAware());
  TempFolder folder;
  std::string list;
  for (const std::string& name : names) {
    list += (list.empty() ? "" : "\n") + folder.Write(name, name);
  }
  HashModule module;
  EXPECT_TRUE(module.Loaded());
  MessageRecorder recorder;
  ResultsFigures figures;
  module.Run(list.c_str(), 0, [&](DWORD thread) {
    HWND results = WaitForPaintedResults(thread);
    ASSERT_NE(results, nullptr);
    HWND view = ::GetDlgItem(results, IDC_REPORT_VIEW);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    if (::GetScrollInfo(view, SB_HORZ, &info)) {
      figures.scrollRange = info.nMax - info.nMin + 1;
      figures.scrollPage = static_cast<int>(info.nPage);
    }
    // The lines are alike, so the request shares its height out evenly.
    RECT request{};
    EXPECT_TRUE(recorder.LastResizeRequest(&request));
    const LRESULT lines = ::SendMessageA(view, EM_GETLINECOUNT, 0, 0);
    const LRESULT lastStart = ::SendMessageA(view, EM_LINEINDEX, lines - 1, 0);
    POINTL top{};
    ::SendMessageA(view, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&top), lastStart);
    figures.lastLineBottom =
        top.y + static_cast<int>((request.bottom - request.top) / (lines > 0 ? lines : 1));
    RECT client{};
    ::GetClientRect(view, &client);
    figures.viewClientWidth = client.right;
    figures.viewClientHeight = client.bottom;
    figures.horizontalBar = (::GetWindowLongA(view, GWL_STYLE) & WS_HSCROLL) != 0;
    ::GetClientRect(results, &client);
    figures.clientWidth = client.right;
    figures.clientHeight = client.bottom;
    for (int id : {IDOK, IDC_SAVE_BUTTON, IDC_COPY_BUTTON}) {
      RECT button = ChildRect(results, id);
      figures.buttonsBottom = std::max(figures.buttonsBottom, static_cast<int>(button.bottom));
      figures.buttonsRight = std::max(figures.buttonsRight, static_cast<int>(button.right));
      EXPECT_GE(button.left, 0) << "button " << id;
    }
    Click(results, IDOK);
  });
  std::printf("at %d DPI: horizontal bar %s, scroll range %d, page %d, view client %d x %d; last "
              "line bottom %d; buttons bottom %d, right %d; client %d x %d\n",
              ExpectedDpi(), figures.horizontalBar ? "shown" : "hidden", figures.scrollRange,
              figures.scrollPage, figures.viewClientWidth, figures.viewClientHeight,
              figures.lastLineBottom, figures.buttonsBottom, figures.buttonsRight,
              figures.clientWidth, figures.clientHeight);
  return figures;
}

} // namespace

TEST(ResultsAtDisplayScale, SessionRunsAtTheScaleItWasGiven) {
  HDC screen = ::GetDC(nullptr);
  EXPECT_EQ(::GetDeviceCaps(screen, LOGPIXELSY), ExpectedDpi());
  ::ReleaseDC(nullptr, screen);
}

TEST(ResultsAtDisplayScale, LinesThatFitAt100PercentFitAndButtonsStayInside) {
  // The longest line is 63 characters: a digest, four blanks and a 27-character name.
  ResultsFigures f = MeasureResults({"notes.txt", "photo-0412.jpg", "quarterly-report-draft-2.md"});
  EXPECT_FALSE(f.horizontalBar && f.scrollRange > f.scrollPage) << "the view scrolls sideways";
  EXPECT_LE(f.scrollRange, f.viewClientWidth);
  EXPECT_LE(f.lastLineBottom, f.viewClientHeight);
  EXPECT_LE(f.buttonsBottom, f.clientHeight);
  EXPECT_LE(f.buttonsRight, f.clientWidth);
}

TEST(ResultsAtDisplayScale, LongNameStaysAboveTheScrollBar) {
  for (const auto& names : {std::vector<std::string>{kLongName},
                            std::vector<std::string>{"a.txt", "b.txt", kLongName}}) {
    ResultsFigures f = MeasureResults(names);
    EXPECT_TRUE(f.horizontalBar && f.scrollRange > f.scrollPage) << "the long name scrolls";
    EXPECT_LE(f.lastLineBottom, f.viewClientHeight) << names.size() << " files";
    EXPECT_LE(f.buttonsBottom, f.clientHeight);
  }
}

TEST(ResultsAtDisplayScale, MovedToAnotherDisplayItTakesThePlaceGivenAndLaysItselfOutAgain) {
  EXPECT_TRUE(MakeThreadPerMonitorDpiAware());
  TempFolder folder;
  const std::string path = folder.Write("notes.txt", "notes");
  HashModule module;
  ASSERT_TRUE(module.Loaded());
  RECT first{}, second{};
  bool scrolls = true;
  module.Run(path.c_str(), 0, [&](DWORD thread) {
    HWND results = WaitForPaintedResults(thread);
    ASSERT_NE(results, nullptr);
    // Its one line fits the view at 100 %.
    scrolls =
        (::GetWindowLongA(::GetDlgItem(results, IDC_REPORT_VIEW), GWL_STYLE) & WS_HSCROLL) != 0;
    // The system suggests the old size scaled; the window sizes itself anew wherever it is put.
    const WPARAM dpi = MAKEWPARAM(ExpectedDpi(), ExpectedDpi());
    RECT suggested{40, 50, 3040, 53};
    ::SendMessageA(results, WM_DPICHANGED, dpi, reinterpret_cast<LPARAM>(&suggested));
    ::GetWindowRect(results, &first);
    suggested = RECT{60, 70, 61, 71};
    ::SendMessageA(results, WM_DPICHANGED, dpi, reinterpret_cast<LPARAM>(&suggested));
    ::GetWindowRect(results, &second);
    Click(results, IDOK);
  });
  EXPECT_FALSE(scrolls);
  EXPECT_EQ(first.left, 40);
  EXPECT_EQ(first.top, 50);
  EXPECT_LT(first.right - first.left, 3000);
  EXPECT_GT(first.bottom - first.top, 3);
  EXPECT_EQ(second.left, 60);
  EXPECT_EQ(second.top, 70);
  EXPECT_EQ(second.right - second.left, first.right - first.left);
  EXPECT_EQ(second.bottom - second.top, first.bottom - first.top);
}

} // namespace corvane::test
