// Owner of a C runtime stream. Free of Windows headers, so the portable core uses it too.
#pragma once

#include <cstdio>

namespace corvane {

// C runtime stream, closed with fclose. Close() reports the result where a failed flush matters.
class ScopedFile {
public:
  explicit ScopedFile(std::FILE* file = nullptr) noexcept : file_(file) {}
  ~ScopedFile() { Close(); }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;

  std::FILE* Get() const noexcept { return file_; }
  explicit operator bool() const noexcept { return file_ != nullptr; }
  int Close() noexcept {
    int result = 0;
    if (file_ != nullptr) {
      result = std::fclose(file_);
      file_ = nullptr;
    }
    return result;
  }

private:
  std::FILE* file_;
};

} // namespace corvane
