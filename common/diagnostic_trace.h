// Diagnostic traces of the shell extension. They are discarded unless a sink is switched on, so
// nothing of them ever reaches the user.
#pragma once

namespace corvane {

using TraceSink = void (*)(const char* text);

// Formats like printf; the text is cut at 1023 bytes.
void Trace(const char* format, ...) noexcept
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Null switches tracing off again.
void SetTraceSink(TraceSink sink) noexcept;

} // namespace corvane
