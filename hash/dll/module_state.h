#pragma once
// What one call of Hash needs from the module around it: its own dialog templates, and the
// progress-bar and rich-text control classes registered.

#include "framework/module_state.h"
#include "win32/scoped.h"

namespace corvane {

class HashModuleScope {
public:
  HashModuleScope();
  ~HashModuleScope();
  HashModuleScope(const HashModuleScope&) = delete;
  HashModuleScope& operator=(const HashModuleScope&) = delete;

private:
  CModuleStateScope state_;
  // Registers the "RICHEDIT" class while loaded; released before Hash returns.
  ScopedModule richEdit_;
};

} // namespace corvane
