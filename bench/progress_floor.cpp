// The floor a batch run is set against: the window work of a run, without the hashing, with the
// module's own progress window (CProgressDlg), which paints at its own pace as in a run. Times
// from the window's creation to its destruction and prints the seconds.
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
#include "hash/dll/progress_dlg.h"

#include <windows.h>

#include <commctrl.h>

#include <chrono>
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

constexpr size_t kBlock = 65536;

void ShowBlock(CProgressDlg& progress, long long bytesRead, long long fileSize) {
  char text[kBytesTextSize];
  FormatBytes(bytesRead, BytesText::Count, text);
  progress.SetPosition(static_cast<int>(fileSize != 0 ? bytesRead * 100 / fileSize : bytesRead));
  progress.SetBytes(text);
  progress.PumpMessages();
}

void Blocks(CProgressDlg& progress, long long blocks) {
  const long long fileSize = blocks * static_cast<long long>(kBlock);
  progress.SetFileName("C:\\floor.bin");
  progress.SetFileSize("1073741824 bytes");
  progress.SetRange(0, 100);
  progress.SetPosition(0);
  progress.SetStatus("File 1 of 1");
  for (long long block = 1; block <= blocks && !progress.AbortRequested(); ++block)
    ShowBlock(progress, block * static_cast<long long>(kBlock), fileSize);
}

void Files(CProgressDlg& progress, const std::vector<std::string>& paths) {
  const std::unique_ptr<unsigned char[]> buffer(new unsigned char[kBlock]);
  char text[64];
  const int count = static_cast<int>(paths.size());
  for (int index = 1; index <= count && !progress.AbortRequested(); ++index) {
    const std::string& path = paths[static_cast<size_t>(index - 1)];
    ScopedFile file(std::fopen(path.c_str(), "rb"));
    if (!file)
      continue;
    const long long fileSize = FileLength(file.Get());
    char sizeText[kBytesTextSize];
    FormatBytes(fileSize, BytesText::CountAndUnit, sizeText);
    progress.SetFileName(path.c_str());
    progress.SetFileSize(sizeText);
    progress.SetRange(0, 100);
    progress.SetPosition(0);
    std::snprintf(text, sizeof text, "File %i of %i", index, count);
    progress.SetStatus(text);
    long long bytesRead = 0;
    while (!std::feof(file.Get()) && !progress.AbortRequested()) {
      bytesRead += static_cast<long long>(std::fread(buffer.get(), 1, kBlock, file.Get()));
      ShowBlock(progress, bytesRead, fileSize);
    }
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
