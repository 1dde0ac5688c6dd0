// A whole text lower-cased as the registrar and the registry double compare names.
#pragma once

#include <string>

#include "common/ascii_case.h"

namespace corvane::test {

inline std::string LowerAsciiText(std::string text) {
  for (char& c : text) {
    c = LowerAscii(c);
  }
  return text;
}

} // namespace corvane::test
