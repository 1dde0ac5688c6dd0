#include "hash/core/batch_run.h"
#include "hash/dll/memory_reserve.h"
#include "hash/dll/module_state.h"
#include "hash/dll/progress_dlg.h"
#include "hash/dll/results_dlg.h"
#include "hash/dll/verify_digest.h"

#include <windows.h>

// The one entry point of the module: the path list stays the caller's; nothing crosses back.
extern "C" void Hash(const char* pathList, int mode) noexcept {
  CMemoryReserve reserve;
  if (!reserve.Held()) {
    return;
  }
  try {
    HashModuleScope moduleScope;
    if (mode == 2 || mode == 3) {
      // Verification takes the list exactly as received.
      VerifyFileDigest(pathList, mode - 2);
      return;
    }
    CProgressDlg progress;
    CResultsDlg results;
    RunBatch(pathList, mode, progress, results);
  } catch (...) {
    // Nothing crosses the export; the caller has no way to hear of a failure.
  }
}
