// A fresh folder under the system's temporary folder for one test, removed with everything in it.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace corvane::test {

class TempFolder {
public:
  TempFolder() {
    static unsigned counter = 0;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::error_code error;
    // Another test program may be making its folders beside these at the same moment.
    do {
      folder_ = base / ("corvane-" + std::to_string(stamp) + "-" + std::to_string(++counter));
    } while (!std::filesystem::create_directory(folder_, error) && !error);
    path_ = folder_.string();
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, without a final separator.
  const std::string& Path() const { return path_; }
  // Full path of name inside the folder; name may hold more separators of its own.
  std::string Path(const std::string& name) const {
    return path_ + static_cast<char>(std::filesystem::path::preferred_separator) + name;
  }
  // Writes bytes to name and returns its full path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

private:
  std::filesystem::path folder_;
  std::string path_;
};

} // namespace corvane::test
