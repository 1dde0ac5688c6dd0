// A loadable module without the export "Hash".
#include <windows.h>

namespace corvane {

extern "C" __declspec(dllexport) int NotHash() {
  return 0;
}

} // namespace corvane
