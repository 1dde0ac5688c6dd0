#pragma once
// What one call of Hash needs from the module around it: its own dialog templates, and the
// progress-bar and rich-text control classes registered.

#include "framework/module_state.h"
#include "win32/scoped.h"

class HashModuleScope {
public:
  HashModuleScope();
  ~HashModuleScope();
  HashModuleScope(const HashModuleScope&) = delete;
  HashModuleScope& operator=(const HashModuleScope&) = delete;

private:
  CModuleStateScope m_state;
  // Registers the "RICHEDIT" class while loaded; released before Hash returns.
  corvane::ScopedModule m_richEdit;
};
