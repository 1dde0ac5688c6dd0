// What a user sees in the file properties of everything shipped: product, description and the one
// version number of the build.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/programs.h"

namespace corvane::test {
namespace {

// The string of the file's first translation, "(none)" when it has none.
std::string VersionString(const std::vector<char>& info, const char* name) {
  struct Translation {
    WORD language;
    WORD codePage;
  }* translation = nullptr;
  UINT size = 0;
  if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &size) ||
      size < sizeof *translation) {
    return "(none)";
  }
  char path[64];
  wsprintfA(path, "\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codePage,
            name);
  char* text = nullptr;
  if (!VerQueryValueA(info.data(), path, reinterpret_cast<void**>(&text), &size) || size == 0) {
    return "(none)";
  }
  return text;
}

TEST(VersionResource, EveryShippedFileNamesTheProductAndTheBuildsVersion) {
  const std::string version = CORVANE_VERSION;
  const struct {
    const char* file;
    const char* description;
  } shipped[] = {{"Corvane.dll", "Corvane 2004 shell extension"},
                 {"Hash.dll", "Corvane 2004 hash module"},
                 {"corvane-host.exe", "Corvane 2004 context-menu host"},
                 {"corvane-setup.exe", "Corvane 2004 - 64-bit Edition Setup"}};
  for (const auto& file : shipped) {
    const std::string path = BinDir() + file.file;
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty()) << file.file << " has no version resource";
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    EXPECT_EQ(VersionString(info, "ProductName"), "Corvane 2004") << file.file;
    EXPECT_EQ(VersionString(info, "FileDescription"), file.description) << file.file;
    EXPECT_EQ(VersionString(info, "FileVersion"), version) << file.file;
    EXPECT_EQ(VersionString(info, "ProductVersion"), version) << file.file;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    char numbers[64];
    wsprintfA(numbers, "%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
              HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, version) << file.file;
  }
}

} // namespace
} // namespace corvane::test
