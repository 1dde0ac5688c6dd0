#include "hash/core/bytes_text.h"

#include <charconv>
#include <cstring>

namespace corvane {

void FormatBytes(int64_t count, BytesText form, char (&text)[kBytesTextSize]) {
  static constexpr char kUnit[] = " bytes";
  // Always room: at most 20 characters of number before the unit and its NUL.
  char* end = std::to_chars(text, text + kBytesTextSize - sizeof kUnit, count).ptr;
  if (form == BytesText::CountAndUnit) {
    std::memcpy(end, kUnit, sizeof kUnit);
  } else {
    *end = '\0';
  }
}

} // namespace corvane
