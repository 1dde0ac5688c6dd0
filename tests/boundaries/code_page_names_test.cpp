// Names in a system code page other than the Western one, through the real Hash.dll: the
// progress and results windows show every file under its own name, and the saved file holds the
// name in that code page. Runs in a Wine session of the locale whose ANSI code page
// CORVANE_CODE_PAGE names.
#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/hash_resource.h"
#include "common/product.h"
#include "common/scoped_file.h"
#include "tests/common/temp_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/window_driver.h"

namespace corvane {

namespace {

const std::string kMd5Abc = "900150983cd24fb0d6963f7d28e17f72";

// A name as the file system holds it and as its bytes in the code page.
struct Name {
  std::wstring wide;
  std::string ansi;
};

struct CodePageCase {
  UINT codePage;
  Name folder; // the files' folder inside the temporary one
  std::vector<Name> files;
};

// The second byte of 表 (95 5C) and ソ (83 5C) in Shift-JIS, and of 乗 (81 5C) in GBK, is a
// backslash.
const CodePageCase kCases[] = {
    {1251, {L"Папка", "\xcf\xe0\xef\xea\xe0"}, {{L"Привет.txt", "\xcf\xf0\xe8\xe2\xe5\xf2.txt"}}},
    {932,
     {L"表", "\x95\x5c"},
     {{L"表示.txt", "\x95\x5c\x8e\xa6.txt"}, {L"ソフト.txt", "\x83\x5c\x83\x74\x83\x67.txt"}}},
    {936,
     {L"数据", "\xca\xfd\xbe\xdd"},
     {{L"中文.txt", "\xd6\xd0\xce\xc4.txt"}, {L"乗车.txt", "\x81\x5c\xb3\xb5.txt"}}},
};

std::wstring Wide(const std::string& ansi) {
  std::wstring wide(ansi.size(), L'\0');
  const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                           &wide[0], static_cast<int>(wide.size()));
  wide.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return wide;
}

std::string Ansi(const std::wstring& wide) {
  std::string ansi(wide.size() * 2, '\0');
  const int length =
      ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &ansi[0],
                            static_cast<int>(ansi.size()), nullptr, nullptr);
  ansi.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return ansi;
}

std::wstring WideText(HWND window) {
  wchar_t text[1024] = {};
  ::GetWindowTextW(window, text, 1024);
  return text;
}

// The view's own UTF-16 text, lines ended by CR LF.
std::wstring ViewText(HWND view) {
  std::wstring text(65536, L'\0');
  GETTEXTEX request{};
  request.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  request.flags = GT_USECRLF;
  request.codepage = 1200;
  const LRESULT length = ::SendMessageW(view, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                                        reinterpret_cast<LPARAM>(&text[0]));
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return text;
}

// The caption of the thread's dialog besides the results window: the Save dialog, which speaks
// the system's language.
std::string SaveDialogCaption(DWORD thread, HWND results) {
  struct Search {
    HWND results;
    HWND found;
  } search{results, nullptr};
  const DWORD start = ::GetTickCount();
  while (search.found == nullptr && ::GetTickCount() - start < test::kWaitMs) {
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM param) -> BOOL {
          auto* search = reinterpret_cast<Search*>(param);
          char className[16] = {};
          ::GetClassNameA(window, className, sizeof className);
          if (window == search->results || !::IsWindowVisible(window) ||
              std::string(className) != "#32770")
            return TRUE;
          search->found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr)
      ::Sleep(20);
  }
  return search.found != nullptr ? WindowText(search.found) : std::string();
}

// A folder with files named in UTF-16, as Explorer's user made them; removed with them.
class NamedFiles {
public:
  NamedFiles(const std::wstring& folder, const std::vector<Name>& files) : folder_(folder) {
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    for (const Name& file : files) {
      paths_.push_back(folder_ + L"\\" + file.wide);
      ScopedFile stream(_wfopen(paths_.back().c_str(), L"wb"));
      if (stream)
        std::fputs("abc", stream.Get());
    }
  }
  ~NamedFiles() {
    for (const std::wstring& path : paths_)
      ::DeleteFileW(path.c_str());
    ::RemoveDirectoryW(folder_.c_str());
  }
  NamedFiles(const NamedFiles&) = delete;
  NamedFiles& operator=(const NamedFiles&) = delete;

  const std::vector<std::wstring>& Paths() const { return paths_; }

private:
  std::wstring folder_;
  std::vector<std::wstring> paths_;
};

TEST(CodePageNames, FilesAreShownAndSavedUnderTheirOwnNames) {
  const char* wanted = std::getenv("CORVANE_CODE_PAGE");
  ASSERT_NE(wanted, nullptr) << "CORVANE_CODE_PAGE names the code page of the session's locale";
  ASSERT_EQ(::GetACP(), std::strtoul(wanted, nullptr, 10)) << "the locale is not set up";
  const CodePageCase* found = nullptr;
  for (const CodePageCase& c : kCases)
    found = c.codePage == ::GetACP() ? &c : found;
  ASSERT_NE(found, nullptr);

  test::TempFolder temp;
  const NamedFiles files(Wide(temp.Path("")) + found->folder.wide, found->files);
  std::string list;
  std::vector<std::wstring> shownPaths = files.Paths();
  std::wstring expectedView;
  std::string expectedSaved = "MD5 Digest\r\n\r\n";
  for (size_t i = 0; i < found->files.size(); ++i) {
    const Name& file = found->files[i];
    // The path list is what the shell extension hands over: the names in the ANSI code page.
    ASSERT_EQ(Ansi(file.wide), file.ansi);
    list += (i == 0 ? "" : "\n") + temp.Path(found->folder.ansi + "\\" + file.ansi);
    expectedView += (i == 0 ? L"" : L"\r\n") + Wide(kMd5Abc) + L"    " + file.wide;
    expectedSaved += kMd5Abc + "    " + file.ansi + "\r\n";
  }
  ASSERT_EQ(Ansi(found->folder.wide), found->folder.ansi);

  // The file name field as shown once each file's counter is set.
  test::MessageRecorder recorder;
  std::vector<std::wstring> progressNames;
  recorder.SetGate([&](const test::Record& record) {
    if (record.message == WM_SETTEXT && record.controlId == IDC_STATUS_TEXT)
      progressNames.push_back(WideText(::GetDlgItem(record.root, IDC_FILENAME_TEXT)));
  });
  const std::string target = temp.Path("digest.txt");
  std::wstring view;
  test::HashModule module;
  ASSERT_TRUE(module.Loaded());
  module.Run(list.c_str(), 0, [&](DWORD thread) {
    HWND results = test::WaitForDialog(thread, kProductTitle);
    ASSERT_NE(results, nullptr);
    view = ViewText(::GetDlgItem(results, IDC_REPORT_VIEW));
    test::Click(results, IDC_SAVE_BUTTON);
    ASSERT_TRUE(
        test::SaveThroughDialog(thread, results, target, SaveDialogCaption(thread, results)));
    test::Click(results, IDOK);
  });

  EXPECT_EQ(progressNames, shownPaths);
  EXPECT_EQ(view, expectedView);
  EXPECT_EQ(test::ReadFileBytes(target), expectedSaved);
}

} // namespace

} // namespace corvane
