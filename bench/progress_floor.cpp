// The floor a batch run is set against: the window work of a run, without the hashing, with the
// module's own progress window (CProgressDlg), which paints at its own pace as in a run, and the
// run's own block loop. Times from the window's creation to its destruction and prints the
// seconds.
//   progress_floor BLOCKS
//     one file of BLOCKS blocks of 64 KiB (default 16384, 1 GiB), nothing read: per block the
//     window is given a position and a byte count and looks at its queue (bench/end-to-end.sh
//     adds openssl's time)
//   progress_floor --files LIST
//     every file of LIST (paths separated by line feeds) opened, read in 64 KiB blocks and
//     closed; per file the name, size and status texts, the bar's range and position 0; per
//     block the position, the byte count and one look at the queue
#include "common/hash_resource.h"
#include "common/scoped_file.h"
#include "hash/core/bytes_text.h"
#include "hash/core/file_length.h"
#include "hash/core/stream_digest.h"
#include "hash/windows/progress_dlg.h"

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace corvane {

namespace {

// The blocks of a file read for the floor go nowhere.
class DiscardingSink : public BlockSink {
public:
  void Take(const uint8_t*, uint32_t) override {}
};

void Blocks(CProgressDlg& progress, long long blocks) {
  const long long fileSize = blocks * kReadBlockSize;
  progress.SetFileName("C:\\floor.bin");
  progress.SetFileSize("1073741824 bytes");
  progress.SetRange(0, 100);
  progress.SetPosition(0);
  progress.SetStatus("File 1 of 1");
  for (long long block = 1; block <= blocks; ++block) {
    if (!ShowBlockProgress(progress, block * kReadBlockSize, fileSize, BytesText::Count))
      return;
  }
}

void Files(CProgressDlg& progress, const std::vector<std::string>& paths) {
  const std::unique_ptr<uint8_t[]> buffer(new uint8_t[kReadBlockSize]);
  DiscardingSink discard;
  const int count = static_cast<int>(paths.size());
  for (int index = 1; index <= count; ++index) {
    const std::string& path = paths[static_cast<size_t>(index - 1)];
    ScopedFile file(std::fopen(path.c_str(), "rb"));
    if (!file)
      continue;
    const long long fileSize = FileLength(file.Get());
    ShowFileStart(progress, path.c_str(), fileSize, index, count);
    if (ReadStream(file.Get(), fileSize, discard, BytesText::Count, progress, buffer.get()) ==
        StreamOutcome::Aborted)
      return;
  }
}

std::vector<std::string> ReadList(const char* listPath) {
  std::ifstream list(listPath, std::ios::binary);
  std::stringstream contents;
  contents << list.rdbuf();
  std::vector<std::string> paths;
  for (std::string path; std::getline(contents, path, '\n');)
    paths.push_back(path);
  return paths;
}

} // namespace

int Main(int argc, char** argv) {
  const bool files = argc > 2 && std::strcmp(argv[1], "--files") == 0;
  const std::vector<std::string> paths = files ? ReadList(argv[2]) : std::vector<std::string>{};
  const long long blocks = !files && argc > 1 ? std::atoll(argv[1]) : 16384;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);

  CProgressDlg progress;
  const auto start = std::chrono::steady_clock::now();
  progress.Create();
  progress.SetTitle(files && paths.size() < 2 ? kProgressTitleOneFile : kProgressTitleFiles);
  progress.Show();
  if (files)
    Files(progress, paths);
  else
    Blocks(progress, blocks);
  progress.Paint();
  progress.Destroy();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%.3f\n", took.count());
  return 0;
}

} // namespace corvane

int main(int argc, char** argv) {
  return corvane::Main(argc, argv);
}
