// Names that mean something to RTF, 8-bit names and a path of the longest length the shell sends,
// through the real Hash.dll: the results window shows every name exactly as it is.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/hash_resource.h"
#include "common/product.h"
#include "tests/common/temp_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/window_driver.h"

namespace corvane {

namespace {

const std::string kMd5Abc = "900150983cd24fb0d6963f7d28e17f72";

TEST(HashNames, RtfSpecialEightBitAndLongestNamesShowExactlyInTheResults) {
  test::TempFolder folder;
  std::vector<std::string> names = {"a{b}.txt", "}{.txt", "caf\xe9 \xe4\xf6\xfc\xdf.txt",
                                    "50% ;~$ & (1).txt", "{\\rtf1 x}"};
  // The last one's backslash makes "rtf1 x}" its entry name, in a folder named "{".
  CreateDirectoryA(folder.Path("{").c_str(), nullptr);
  const std::string longName(259 - folder.Path("").size(), 'n');
  names.push_back(longName);

  std::string list;
  std::string expected;
  for (const std::string& name : names) {
    const std::string path = folder.Write(name, "abc");
    list += (list.empty() ? "" : "\n") + path;
    const std::string entryName = name.substr(name.find_last_of('\\') + 1);
    expected += (expected.empty() ? "" : "\r\n") + kMd5Abc + "    " + entryName;
  }
  ASSERT_EQ(folder.Path(longName).size(), 259u);

  test::HashModule module;
  ASSERT_TRUE(module.Loaded());
  std::string shown;
  module.Run(list.c_str(), 0, [&](DWORD thread) {
    HWND results = test::WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    shown = test::ControlText(results, IDC_REPORT_VIEW);
    test::Click(results, IDOK);
  });
  EXPECT_EQ(shown, expected);
}

} // namespace

} // namespace corvane
