#include "hash/core/batch_run.h"

#include "common/hash_resource.h"
#include "common/scoped_file.h"
#include "hash/core/file_length.h"
#include "hash/core/report.h"
#include "hash/core/stream_digest.h"
#include "hash/core/text_tokenizer.h"

#include <cstdio>
#include <memory>

namespace corvane {

namespace {

// The characters after the last backslash; an entry without one is its own name.
CTextString EntryName(const CTextString& entry, const AnsiCodePage& codePage) {
  return entry.Right(entry.Length() - LastSeparator(entry.Text(), codePage) - 1);
}

} // namespace

void RunBatch(const char* pathList, HashMode mode, ProgressView& progress, ResultsView& results,
              const AnsiCodePage& codePage) {
  CTextString list(pathList);
  list.Trim();
  CTextTokenizer entries(list.Text(), "\n");
  const int fileCount = entries.CountTokens();
  const DigestAlgorithm algorithm = DigestAlgorithmOf(mode);

  progress.Create();
  progress.SetTitle(fileCount < 2 ? kProgressTitleOneFile : kProgressTitleFiles);
  progress.Show();

  ReportBuilder report(codePage);
  const std::unique_ptr<uint8_t[]> readBuffer(new uint8_t[kReadBlockSize]);
  char digestText[41];
  CTextString entry;
  int entryIndex = 0;

  while (entries.HasMoreTokens()) {
    entries.ReadToken(entry);
    ++entryIndex;
    ScopedFile file(std::fopen(entry.Text(), "rb"));
    if (!file) {
      report.AddFailureLine(EntryName(entry, codePage).Text(), kCouldNotOpenFile);
      continue;
    }
    const int64_t fileSize = FileLength(file.Get());
    ShowFileStart(progress, entry.Text(), fileSize, entryIndex, fileCount);

    const StreamOutcome outcome = DigestStream(file.Get(), fileSize, algorithm, BytesText::Count,
                                               progress, readBuffer.get(), digestText);
    file.Close();
    if (outcome == StreamOutcome::Aborted)
      break;
    const CTextString name = EntryName(entry, codePage);
    if (outcome == StreamOutcome::ReadError)
      report.AddFailureLine(name.Text(), kCouldNotReadFile);
    else
      report.AddDigestLine(digestText, name.Text(), entries.HasMoreTokens());
  }

  const std::string finished = report.Finish();
  progress.Destroy();
  results.ShowReport(finished, mode);
}

} // namespace corvane
