#pragma once
// Where a finished batch run hands its report: the results window on Windows, a recorder in tests.

#include "common/hash_mode.h"

#include <string>

namespace corvane {

class ResultsView {
public:
  virtual ~ResultsView() = default;
  // Shows the RTF report modally; returns when the user has closed it.
  virtual void ShowReport(const std::string& report, HashMode mode) = 0;
};

} // namespace corvane
