#pragma once
// Which module's resources (dialog templates, strings) the framework uses. A DLL's code sets its
// own module for the time it runs, so that templates are not looked up in the host executable.

#include <windows.h>

namespace corvane {

// The module whose templates the dialogs are created from: the one set by the innermost
// CModuleStateScope, else the module this framework is linked into.
HINSTANCE FrameworkResourceHandle();

class CModuleStateScope {
public:
  explicit CModuleStateScope(HINSTANCE resources);
  ~CModuleStateScope();
  CModuleStateScope(const CModuleStateScope&) = delete;
  CModuleStateScope& operator=(const CModuleStateScope&) = delete;

private:
  HINSTANCE m_hPrevious;
};

// The module (DLL or executable) this framework is linked into.
HINSTANCE FrameworkOwnModule();

} // namespace corvane
