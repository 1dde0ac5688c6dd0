#pragma once
// A count of bytes as the progress window shows it.

#include <cstddef>
#include <cstdint>

namespace corvane {

enum class BytesText {
  Count,        // "65536": the batch run's running count
  CountAndUnit, // "65536 bytes": file sizes, and verification's running count
};

// Room for the longest: "-9223372036854775808 bytes" and its NUL.
constexpr std::size_t kBytesTextSize = 32;

// Signed decimal, no digit grouping.
void FormatBytes(int64_t count, BytesText form, char (&text)[kBytesTextSize]);

} // namespace corvane
