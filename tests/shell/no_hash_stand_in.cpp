// A loadable module without the export "Hash".
#include <windows.h>

extern "C" __declspec(dllexport) int NotHash() {
  return 0;
}
