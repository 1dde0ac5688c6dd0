#include "hash/dll/module_state.h"

#include <commctrl.h>

#include "win32/system_library.h"

namespace corvane {

// Not from DllMain: loading a library there may deadlock on the loader lock.
HashModuleScope::HashModuleScope()
    : state_(FrameworkOwnModule()), richEdit_(LoadSystemLibrary("riched32.dll")) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
}

HashModuleScope::~HashModuleScope() = default;

} // namespace corvane
