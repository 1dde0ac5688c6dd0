#include "shell/core/path_list.h"

#include <cstring>

namespace corvane {

void PathList::Clear() noexcept {
  length_ = 0;
  text_[0] = '\0';
}

bool PathList::Append(const char* path, std::size_t length) noexcept {
  if (path == nullptr || length > kCapacity || kCapacity - length_ < length + 2) {
    return false;
  }
  std::memcpy(text_ + length_, path, length);
  length_ += length;
  text_[length_++] = '\n';
  text_[length_] = '\0';
  return true;
}

void PathList::CutFinalLineFeed() noexcept {
  if (length_ > 0 && text_[length_ - 1] == '\n') {
    text_[--length_] = '\0';
  }
}

} // namespace corvane
