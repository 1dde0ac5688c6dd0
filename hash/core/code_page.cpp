#include "hash/core/code_page.h"

#include <iterator>

namespace corvane {

bool AnsiCodePage::IsLeadByte(unsigned char byte) const {
  for (size_t i = 0; i + 1 < std::size(leadByteRanges) && leadByteRanges[i] != 0; i += 2) {
    if (byte >= leadByteRanges[i] && byte <= leadByteRanges[i + 1])
      return true;
  }
  return false;
}

int AnsiCodePage::CharLength(const char* text) const {
  return IsLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0' ? 2 : 1;
}

int LastSeparator(const char* path, const AnsiCodePage& codePage) {
  int last = -1;
  for (int i = 0; path[i] != '\0'; i += codePage.CharLength(path + i)) {
    if (path[i] == '\\')
      last = i;
  }
  return last;
}

} // namespace corvane
