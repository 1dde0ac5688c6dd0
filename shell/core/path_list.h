// The newline-joined list of selected paths handed to the hash module. Portable: no <windows.h>.
#pragma once

#include <cstddef>

namespace corvane {

class PathList {
public:
  // 32,768 paths of 259 characters, each with its line feed, fit exactly; the selection is never
  // allowed to overflow it.
  static constexpr std::size_t kCapacity = 260 * 32768;

  PathList() noexcept { Clear(); }
  PathList(const PathList&) = delete;
  PathList& operator=(const PathList&) = delete;

  void Clear() noexcept;

  // Appends the path and a line feed. Returns false, leaving the list as it was, when the two and
  // the terminating NUL would not fit.
  bool Append(const char* path, std::size_t length) noexcept;

  // Removes the line feed after the last path so the list reads "P\nQ\nR". Only a final line feed
  // is removed: cutting again, for a second command on the same selection, changes nothing.
  void CutFinalLineFeed() noexcept;

  bool Empty() const noexcept { return length_ == 0; }
  std::size_t Length() const noexcept { return length_; }
  const char* Text() const noexcept { return text_; }

private:
  std::size_t length_ = 0;
  char text_[kCapacity];
};

} // namespace corvane
