#include "shell/registrar/replacement_map.h"

#include <new>

namespace corvane {

namespace {

constexpr std::size_t kInitialRoom = 10;

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool EqualsNoCase(const char* left, const char* right) noexcept {
  for (;; ++left, ++right) {
    if (LowerAscii(*left) != LowerAscii(*right)) {
      return false;
    }
    if (*left == '\0') {
      return true;
    }
  }
}

HResult ReplacementMap::AddReplacementEntry(const char* name, const char* text) noexcept {
  if (name == nullptr || text == nullptr) {
    return kFail;
  }
  try {
    if (entries_.size() == entries_.capacity()) {
      entries_.reserve(entries_.empty() ? kInitialRoom : entries_.capacity() * 2);
    }
    entries_.push_back(Entry{name, text});
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  return kOk;
}

const char* ReplacementMap::FindReplacement(const char* name) const noexcept {
  if (name == nullptr) {
    return nullptr;
  }
  for (const Entry& entry : entries_) {
    if (EqualsNoCase(entry.name.c_str(), name)) {
      return entry.text.c_str();
    }
  }
  return nullptr;
}

void ReplacementMap::ClearReplacementMap() noexcept {
  std::vector<Entry>().swap(entries_);
}

} // namespace corvane
