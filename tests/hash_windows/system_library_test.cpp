// System libraries by name: both ways of loading them take the system folder's copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win32/scoped.h"
#include "win32/system_library.h"

namespace corvane {
namespace {

TEST(SystemLibrary, EitherWayTheSystemFoldersCopyIsLoaded) {
  char folder[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryA(folder, MAX_PATH), 0u);
  EXPECT_TRUE(LoaderSearchesSystemFolderOnRequest()) << "this loader refuses the flag";
  for (auto load : {&LoadSystemLibrary, &LoadLibraryFromSystemFolderPath}) {
    ScopedModule library(load("riched32.dll"));
    ASSERT_TRUE(library) << GetLastError();
    char path[MAX_PATH] = {};
    GetModuleFileNameA(library.Get(), path, MAX_PATH);
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, -1,
                             (std::string(folder) + "\\riched32.dll").c_str(), -1),
              CSTR_EQUAL)
        << path;
  }
  const std::string tooLong(MAX_PATH, 'x');
  EXPECT_EQ(LoadLibraryFromSystemFolderPath(tooLong.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

} // namespace
} // namespace corvane
