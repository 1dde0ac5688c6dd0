#include "hash/dll/module_state.h"

#include <commctrl.h>

// Not from DllMain: loading a library there may deadlock on the loader lock.
HashModuleScope::HashModuleScope()
    : m_state(FrameworkOwnModule()), m_richEdit(::LoadLibraryA("riched32.dll")) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
}

HashModuleScope::~HashModuleScope() = default;
