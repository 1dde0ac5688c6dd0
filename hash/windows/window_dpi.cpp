#include "hash/windows/window_dpi.h"

namespace corvane {

namespace {

template <typename Function> Function User32Function(const char* name) {
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  if (user32 == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)));
}

} // namespace

int WindowDpi(HWND window, HDC dc) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  if (auto getDpi = User32Function<GetDpiForWindowFunction>("GetDpiForWindow")) {
    if (UINT dpi = getDpi(window)) {
      return static_cast<int>(dpi);
    }
  }
  int dpi = dc != nullptr ? ::GetDeviceCaps(dc, LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int SystemMetricForDpi(int index, int dpi) {
  using GetMetricForDpiFunction = int(WINAPI*)(int, UINT);
  if (auto getMetric = User32Function<GetMetricForDpiFunction>("GetSystemMetricsForDpi")) {
    return getMetric(index, static_cast<UINT>(dpi));
  }
  return ::GetSystemMetrics(index);
}

} // namespace corvane
