// The (name, text) pairs that %NAME% placeholders of a registration script expand to.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "shell/registrar/hresult.h"

namespace corvane {

// Names and texts are kept in the ANSI code page the script is written in: every text the map
// receives and hands out is 8-bit, so a wide copy would only be converted back on lookup.
class ReplacementMap {
public:
  // Copies both; duplicates are allowed and the earliest one wins on lookup.
  HResult AddReplacementEntry(const char* name, const char* text) noexcept;
  // Case-insensitive; null when the name is not in the map.
  const char* FindReplacement(const char* name) const noexcept;
  void ClearReplacementMap() noexcept;

  std::size_t Count() const noexcept { return entries_.size(); }

private:
  struct Entry {
    std::string name;
    std::string text;
  };
  std::vector<Entry> entries_;
};

} // namespace corvane
