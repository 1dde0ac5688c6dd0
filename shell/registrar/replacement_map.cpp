#include "shell/registrar/replacement_map.h"

#include <new>

#include "common/ascii_case.h"

namespace corvane {

namespace {

constexpr std::size_t kInitialRoom = 10;

} // namespace

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
