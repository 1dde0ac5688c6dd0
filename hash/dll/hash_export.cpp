#include "common/hash_mode.h"
#include "hash/core/batch_run.h"
#include "hash/core/digest_algorithm.h"
#include "hash/dll/memory_reserve.h"
#include "hash/dll/module_state.h"
#include "hash/dll/system_code_page.h"
#include "hash/dll/verify_digest.h"
#include "hash/windows/progress_dlg.h"
#include "hash/windows/results_dlg.h"

namespace corvane {
namespace {

void RunCommand(const char* pathList, HashMode mode) {
  HashModuleScope moduleScope;
  if (IsVerification(mode)) {
    // Verification takes the list exactly as received.
    VerifyFileDigest(pathList, DigestAlgorithmOf(mode));
    return;
  }
  CProgressDlg progress;
  CResultsDlg results;
  RunBatch(pathList, mode, progress, results, SystemCodePage());
}

} // namespace
} // namespace corvane

// The one entry point of the module: the path list stays the caller's; nothing crosses back.
extern "C" void Hash(const char* pathList, int mode) noexcept {
  corvane::MemoryReserve reserve;
  if (!reserve.Held()) {
    return;
  }
  try {
    corvane::RunCommand(pathList, static_cast<corvane::HashMode>(mode));
  } catch (...) {
    // Nothing crosses the export; the caller has no way to hear of a failure.
  }
}
