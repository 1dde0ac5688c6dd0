#pragma once
// Where a finished batch run hands its report: the results window on Windows, a recorder in tests.

#include <string>

class ResultsView {
public:
  virtual ~ResultsView() = default;
  // Shows the RTF report modally; returns when the user has closed it.
  virtual void ShowReport(const std::string& report, int mode) = 0;
};
