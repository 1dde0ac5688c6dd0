#pragma once
// The batch hashing run: every file of a path list through one engine, one report line per file.

#include "common/hash_mode.h"
#include "hash/core/code_page.h"
#include "hash/core/progress_view.h"
#include "hash/core/results_view.h"

namespace corvane {

// Only ComputeMd5 hashes with MD5, every other mode with SHA-1; the results view receives the
// mode unchanged. A null path list counts as empty. The list is in codePage, which the report
// declares.
void RunBatch(const char* pathList, HashMode mode, ProgressView& progress, ResultsView& results,
              const AnsiCodePage& codePage = kWesternCodePage);

} // namespace corvane
