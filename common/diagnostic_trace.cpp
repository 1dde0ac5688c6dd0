#include "common/diagnostic_trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace corvane {

namespace {
std::atomic<TraceSink> g_traceSink{nullptr};
} // namespace

void Trace(const char* format, ...) noexcept {
  TraceSink sink = g_traceSink.load(std::memory_order_relaxed);
  if (sink == nullptr) {
    return;
  }
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  sink(text);
}

void SetTraceSink(TraceSink sink) noexcept {
  g_traceSink.store(sink, std::memory_order_relaxed);
}

} // namespace corvane
