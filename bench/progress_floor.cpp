// The window work of a run without the reading and hashing: the real progress window given a
// position and a byte count and pumped for every 64 KiB block of a 1 GiB file, painted as a run
// paints it. Prints the seconds it took (bench/end-to-end.sh adds them to openssl's time).
//   progress_floor [BLOCKS]   (default 16384)
#include "hash/dll/progress_dlg.h"

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace corvane {

int Main(int argc, char** argv) {
  const long long blocks = argc > 1 ? std::atoll(argv[1]) : 16384;
  const long long fileSize = blocks * 65536;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);

  CProgressDlg progress;
  progress.Create();
  progress.SetTitle("Hashing File...");
  progress.Show();
  const auto start = std::chrono::steady_clock::now();
  progress.SetFileName("C:\\floor.bin");
  progress.SetFileSize("1073741824 bytes");
  progress.SetRange(0, 100);
  progress.SetPosition(0);
  progress.SetStatus("File 1 of 1");
  char text[32];
  for (long long block = 1; block <= blocks; ++block) {
    const long long bytesRead = block * 65536;
    std::snprintf(text, sizeof text, "%lld", bytesRead);
    progress.SetPosition(static_cast<int>(bytesRead * 100 / fileSize));
    progress.SetBytes(text);
    if (block == 1 || block == blocks)
      progress.PaintProgress();
    progress.PumpMessages();
    if (progress.AbortRequested())
      break;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  progress.Destroy();
  std::printf("%.3f\n", took.count());
  return 0;
}

} // namespace corvane

int main(int argc, char** argv) {
  return corvane::Main(argc, argv);
}
