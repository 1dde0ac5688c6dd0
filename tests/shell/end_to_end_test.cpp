// One command from the context menu through the real Hash.dll to its results window.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "common/hash_resource.h"
#include "common/product.h"
#include "tests/common/temp_folder.h"
#include "tests/support/shell_host.h"

namespace corvane::test {
namespace {

TEST(EndToEnd, Md5CommandShowsTheDigestOfTheSelectedFileInTheResultsWindow) {
  const std::string hashModule = BinDir() + "Hash.dll";
  if (GetFileAttributesA(hashModule.c_str()) == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "Hash.dll is not built";
  }
  const TempFolder temp;
  const std::string file = temp.Write("corvane_e2e_abc.txt", "abc");

  HashModuleValue value;
  value.SetPath(hashModule);
  ComPtr<IContextMenu> menu = CreateContextMenu();
  ASSERT_TRUE(menu);
  ASSERT_EQ(S_OK, InitializeWith(menu.Get(), {file}));

  MessageBoxAnswerer results(kProductTitle, IDC_REPORT_VIEW);
  MessageBoxAnswerer error; // would catch any of the handler's own error boxes
  EXPECT_EQ(S_OK, InvokeByOffset(menu.Get(), 0));
  results.Stop();
  error.Stop();

  EXPECT_FALSE(error.Answered()) << error.Text();
  ASSERT_TRUE(results.Answered()) << "the results window was never shown";
  EXPECT_NE(std::string::npos,
            results.Text().find("900150983cd24fb0d6963f7d28e17f72    corvane_e2e_abc.txt"))
      << results.Text();
  EXPECT_EQ(nullptr, GetModuleHandleA("Hash.dll")) << "the hash module is unloaded afterwards";
}

} // namespace
} // namespace corvane::test
