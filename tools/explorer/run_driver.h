// Unattended runs of a compute command: plays the user of the hash module's windows on the host's
// own thread, for the main job and for anyone without a screen to look at.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace corvane {

// While it lives, every message the thread takes from its queue passes a hook that
//  - captures the progress window each time a file has been read to its end (the last capture
//    wins) as <folder>\progress.bmp, right when its bytes field has been given its final text,
//  - captures the results window as <folder>\results.bmp once it is shown, reads its report view
//    (IDC_REPORT_VIEW) and closes it with OK,
//  - records and closes any message box (caption: text).
// A thread timer keeps messages coming while a modal loop would otherwise just wait.
class RunDriver {
public:
  explicit RunDriver(std::string folder);
  ~RunDriver();
  RunDriver(const RunDriver&) = delete;
  RunDriver& operator=(const RunDriver&) = delete;

  bool Started() const { return hook_ != nullptr; }
  // The report lines of the results window, without line ends.
  const std::vector<std::string>& ReportLines() const { return reportLines_; }
  // "caption: text" of every message box that was closed.
  const std::vector<std::string>& Messages() const { return messages_; }
  bool SawResults() const { return sawResults_; }
  // Captures that failed (file names), if any.
  const std::vector<std::string>& CaptureErrors() const { return captureErrors_; }

private:
  static LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK CallWndProcRetHook(int code, WPARAM wParam, LPARAM lParam);
  void Look();
  void LookAt(HWND window);
  void LookAtProgress(HWND window);
  void Capture(HWND window, const char* name);

  std::string folder_;
  HHOOK hook_ = nullptr;
  HHOOK textHook_ = nullptr;
  UINT_PTR timer_ = 0;
  bool busy_ = false;
  bool sawResults_ = false;
  std::string lastProgressCapture_;
  std::vector<HWND> done_;
  std::vector<std::string> reportLines_;
  std::vector<std::string> messages_;
  std::vector<std::string> captureErrors_;
};

} // namespace corvane
