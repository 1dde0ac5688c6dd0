// corvane-host.exe through the installed Corvane 2004: each command on real files, driven as a user
// would drive the windows it leads to, and the host's own refusals.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/hash_resource.h"
#include "common/product.h"
#include "tests/support/programs.h"
#include "tests/support/window_driver.h"
#include "tools/explorer/text_lines.h"
#include "win32/scoped.h"

namespace corvane::test {
namespace {

constexpr int kMessageText = 0xFFFF;
constexpr DWORD kRunTime = 120000;

// `path` in UTF-8.
void WriteFile(const std::string& path, const std::string& bytes) {
  FILE* file = _wfopen(Utf16(path).c_str(), L"wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

class HostTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    // Wine waits for a window manager's answer when a window goes; the virtual display has none.
    ScopedRegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, key.Receive(), nullptr) == ERROR_SUCCESS) {
      RegSetValueExA(key.Get(), "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    }
    installResult_ = RunToEnd(BinDir() + "corvane-setup.exe", {"/S"});

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "corvane-host-test";
    CreateDirectoryA(folder_.c_str(), nullptr);
    WriteFile(folder_ + "\\abc.txt", "abc");
    WriteFile(folder_ + "\\empty.txt", "");
    WriteFile(folder_ + "\\fox.txt", "The quick brown fox jumps over the lazy dog");
    // Two full blocks and a piece of a third.
    std::string blocks(2 * 65536 + 100, '\0');
    for (size_t i = 0; i < blocks.size(); ++i) {
      blocks[i] = static_cast<char>(i * 7 + (i >> 8));
    }
    WriteFile(folder_ + "\\blocks.bin", blocks);
    WriteFile(File("数据.txt"), "abc");
    WriteFile(File("Привет.txt"), "The quick brown fox jumps over the lazy dog");
    WriteFile(File("café.txt"), "");
    CreateDirectoryW(Utf16(File("Привет мир")).c_str(), nullptr);
    WriteFile(File("Привет мир\\quarterly report.pdf"), "abc");
  }

  void SetUp() override { ASSERT_EQ(installResult_, 0) << "corvane-setup.exe /S failed"; }

  static std::string File(const char* name) { return folder_ + "\\" + name; }
  // The file's short (8.3) name in the ANSI code page.
  static std::string ShortName(const char* name) {
    wchar_t path[MAX_PATH] = {};
    GetShortPathNameW(Utf16(File(name)).c_str(), path, MAX_PATH);
    char ansi[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, path, -1, ansi, MAX_PATH, nullptr, nullptr);
    const std::string text = ansi;
    return text.substr(text.find_last_of('\\') + 1);
  }
  static std::string Host() { return BinDir() + "corvane-host.exe"; }
  static std::string InstalledServer() { return InstallFolder() + "\\Corvane.dll"; }

  // Runs a compute command and returns the lines of its results window, closed with OK.
  static std::vector<std::string> ResultsOf(const char* command,
                                            const std::vector<std::string>& files) {
    ChildProcess host;
    std::vector<std::string> arguments = {"--command", command};
    arguments.insert(arguments.end(), files.begin(), files.end());
    EXPECT_TRUE(host.Start(Host(), arguments));
    HWND results = WaitForCaption(host.Id(), kProductTitle, IDC_REPORT_VIEW);
    EXPECT_NE(results, nullptr) << "no results window";
    if (results == nullptr) {
      return {};
    }
    EXPECT_EQ(ClassOf(GetDlgItem(results, IDC_REPORT_VIEW)).rfind("RICHEDIT", 0), 0u);
    std::vector<std::string> lines = TextLines(WindowText(GetDlgItem(results, IDC_REPORT_VIEW)));
    Press(results, IDOK);
    EXPECT_EQ(host.Wait(kRunTime), 0) << host.Errors();
    return lines;
  }

  // Runs a verification with the digest typed in; returns the verdict's text, closed with OK.
  static std::string VerdictOf(const char* command, const std::string& file,
                               const std::string& digest) {
    ChildProcess host;
    EXPECT_TRUE(host.Start(Host(), {"--command", command, file}));
    HWND entry = WaitForCaption(host.Id(), VERIFY_DIGEST_CAPTION, IDC_DIGEST_EDIT);
    EXPECT_NE(entry, nullptr) << "no digest entry dialog";
    if (entry == nullptr) {
      return {};
    }
    SendMessageA(GetDlgItem(entry, IDC_DIGEST_EDIT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(digest.c_str()));
    Press(entry, IDOK);
    HWND verdict = WaitForCaption(host.Id(), kProductTitle, kMessageText);
    EXPECT_NE(verdict, nullptr) << "no verdict";
    const std::string text = WindowText(GetDlgItem(verdict, kMessageText));
    Press(verdict, IDOK);
    EXPECT_EQ(host.Wait(kRunTime), 0) << host.Errors();
    return text;
  }

  static long installResult_;
  static std::string folder_;
};

long HostTest::installResult_ = -1;
std::string HostTest::folder_;

TEST_F(HostTest, Md5OfSeveralFilesListsEachDigestAndNameInSelectionOrder) {
  const std::vector<std::string> lines =
      ResultsOf("md5", {File("fox.txt"), File("empty.txt"), File("abc.txt"), File("blocks.bin")});
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "9e107d9d372bb6826bd81d3542a419d6    fox.txt");
  EXPECT_EQ(lines[1], "d41d8cd98f00b204e9800998ecf8427e    empty.txt");
  EXPECT_EQ(lines[2], "900150983cd24fb0d6963f7d28e17f72    abc.txt");
  EXPECT_EQ(lines[3].substr(32), "    blocks.bin");
}

TEST_F(HostTest, Sha1OfAFileGivenByRelativeNameShowsItsDigest) {
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(folder_.c_str());
  const std::vector<std::string> lines = ResultsOf("sha1", {"abc.txt", "fox.txt"});
  SetCurrentDirectoryA(previous);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "a9993e364706816aba3e25717850c26c9cd0d89d    abc.txt");
  EXPECT_EQ(lines[1], "2fd4e1c67a2d28fced849ee1bb76e7391b93eb12    fox.txt");
}

TEST_F(HostTest, VerifyMd5WithTheRightDigestInUpperCaseSucceeds) {
  EXPECT_EQ(VerdictOf("verify-md5", File("abc.txt"), "900150983CD24FB0D6963F7D28E17F72"),
            "Digest matches. Verification succeeded.");
}

TEST_F(HostTest, VerifySha1WithAnotherFilesDigestFails) {
  EXPECT_EQ(VerdictOf("verify-sha1", File("abc.txt"), "2fd4e1c67a2d28fced849ee1bb76e7391b93eb12"),
            "Verification failed. Digest does not match.");
}

// A name the ANSI code page cannot hold is hashed under its short name; one it holds keeps its own,
// also in a folder that the code page cannot name.
TEST_F(HostTest, FilesNamedOutsideTheCodePageAreHashedAndVerified) {
  ASSERT_NE(ShortName("数据.txt").find('~'), std::string::npos) << "the file has no short name";
  struct Case {
    const char* command;
    std::vector<std::string> files;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"md5", {File("数据.txt")}, {"900150983cd24fb0d6963f7d28e17f72    " + ShortName("数据.txt")}},
      {"sha1",
       {File("Привет.txt"), File("café.txt")},
       {"2fd4e1c67a2d28fced849ee1bb76e7391b93eb12    " + ShortName("Привет.txt"),
        "da39a3ee5e6b4b0d3255bfef95601890afd80709    caf\xe9.txt"}},
      {"md5",
       {File("Привет мир\\quarterly report.pdf")},
       {"900150983cd24fb0d6963f7d28e17f72    quarterly report.pdf"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResultsOf(c.command, c.files), c.lines) << c.command;
  }
  EXPECT_EQ(VerdictOf("verify-sha1", File("数据.txt"), "a9993e364706816aba3e25717850c26c9cd0d89d"),
            "Digest matches. Verification succeeded.");
}

TEST_F(HostTest, MissingFileIsReportedWithoutOpeningAnyWindow) {
  ChildProcess host;
  ASSERT_TRUE(host.Start(Host(), {"--command", "md5", File("abc.txt"), File("missing.txt")}));
  EXPECT_EQ(host.Wait(kRunTime), 2);
  EXPECT_NE(host.Errors().find("file not found"), std::string::npos) << host.Errors();
  EXPECT_NE(host.Errors().find("missing.txt"), std::string::npos) << host.Errors();
}

TEST_F(HostTest, UnknownCommandIsAUsageError) {
  ChildProcess host;
  ASSERT_TRUE(host.Start(Host(), {"--command", "crc32", File("abc.txt")}));
  EXPECT_EQ(host.Wait(kRunTime), 1);
  EXPECT_NE(host.Errors().find("unknown command crc32"), std::string::npos) << host.Errors();
}

TEST_F(HostTest, ContextMenuOffersTheSubmenuAndRunsThePickedCommand) {
  ChildProcess host;
  ASSERT_TRUE(host.Start(Host(), {File("abc.txt")}));
  HWND menu = WaitForWindow(host.Id(), [](HWND window) { return ClassOf(window) == "#32768"; });
  ASSERT_NE(menu, nullptr) << "no context menu";
  // Down to "Corvane 2004", Right into its submenu, Enter on its first command.
  for (WPARAM key : {VK_DOWN, VK_RIGHT, VK_RETURN}) {
    PostMessageA(menu, WM_KEYDOWN, key, 0);
  }
  HWND results = WaitForCaption(host.Id(), kProductTitle, IDC_REPORT_VIEW);
  ASSERT_NE(results, nullptr) << "no results window";
  EXPECT_EQ(TextLines(WindowText(GetDlgItem(results, IDC_REPORT_VIEW))),
            std::vector<std::string>{"900150983cd24fb0d6963f7d28e17f72    abc.txt"});
  Press(results, IDOK);
  EXPECT_EQ(host.Wait(kRunTime), 0) << host.Errors();
}

TEST_F(HostTest, DrivenRunReportsTheHandlersErrorWhenTheHashModuleIsGone) {
  const char* key = "Software\\Corvane 2004";
  char saved[MAX_PATH] = {};
  DWORD size = sizeof saved;
  ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, key, nullptr, RRF_RT_REG_SZ, nullptr, saved, &size),
            ERROR_SUCCESS);
  const std::string gone = folder_ + "\\NoSuchHash.dll";
  ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, nullptr, REG_SZ, gone.c_str(),
                            static_cast<DWORD>(gone.size() + 1)),
            ERROR_SUCCESS);
  ChildProcess host;
  ASSERT_TRUE(host.Start(Host(), {"--command", "md5", "--drive", folder_, File("abc.txt")}));
  const long result = host.Wait(kRunTime);
  RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, nullptr, REG_SZ, saved,
                  static_cast<DWORD>(std::strlen(saved) + 1));
  EXPECT_EQ(result, 5);
  EXPECT_NE(host.Errors().find("Error: Unable to load Corvane 2004 DLL: 0x7e"), std::string::npos)
      << host.Errors();
  EXPECT_EQ(host.Output(), "");
}

TEST_F(HostTest, DrivenRunPrintsTheReportAndCapturesBothWindows) {
  const std::string shots = folder_ + "\\shots";
  CreateDirectoryA(shots.c_str(), nullptr);
  DeleteFileA((shots + "\\progress.bmp").c_str());
  DeleteFileA((shots + "\\results.bmp").c_str());
  ChildProcess host;
  ASSERT_TRUE(host.Start(Host(), {"--command", "sha1", "--drive", shots, File("abc.txt")}));
  EXPECT_EQ(host.Wait(kRunTime), 0) << host.Errors();
  EXPECT_EQ(TextLines(host.Output()),
            std::vector<std::string>{"a9993e364706816aba3e25717850c26c9cd0d89d    abc.txt"});
  for (const char* name : {"progress.bmp", "results.bmp"}) {
    WIN32_FILE_ATTRIBUTE_DATA facts = {};
    ASSERT_TRUE(GetFileAttributesExA((shots + "\\" + name).c_str(), GetFileExInfoStandard, &facts))
        << name;
    // A header and at least a window's worth of pixels.
    EXPECT_GT(facts.nFileSizeLow, 100u * 50u * 3u) << name;
  }
}

// A program in a folder that others can write to, with system libraries' names planted beside it.
// The loader prefers such files to Wine's own, as Windows does: CMakeLists.txt starts this test
// with WINEDLLOVERRIDES=riched32,comctl32=n,b, which Wine hands on to the programs it starts.
TEST_F(HostTest, LibrariesPlantedBesideTheCallingProgramAreNotLoaded) {
  const std::string planted = folder_ + "\\planted";
  CreateDirectoryA(planted.c_str(), nullptr);
  const std::string host = planted + "\\corvane-host.exe";
  ASSERT_TRUE(CopyFileA(Host().c_str(), host.c_str(), FALSE));
  const char* const names[] = {"riched32.dll", "comctl32.dll"};
  auto marker = [&](const char* name) { return planted + "\\" + name + ".loaded"; };
  for (const char* name : names) {
    ASSERT_TRUE(CopyFileA((BinDir() + "planted_library.dll").c_str(),
                          (planted + "\\" + name).c_str(), FALSE));
    DeleteFileA(marker(name).c_str());
  }
  ChildProcess run;
  ASSERT_TRUE(run.Start(host, {"--command", "md5", "--drive", planted, File("abc.txt")}));
  EXPECT_EQ(run.Wait(kRunTime), 0) << run.Errors();
  EXPECT_EQ(TextLines(run.Output()),
            std::vector<std::string>{"900150983cd24fb0d6963f7d28e17f72    abc.txt"});
  for (const char* name : names) {
    EXPECT_EQ(GetFileAttributesA(marker(name).c_str()), INVALID_FILE_ATTRIBUTES)
        << name << " was loaded from the program's folder";
  }

  // The planted library is what a search by bare name finds, so the above proves something.
  ASSERT_TRUE(SetDllDirectoryA(planted.c_str()));
  ScopedModule found(LoadLibraryA("riched32.dll"));
  SetDllDirectoryA(nullptr);
  EXPECT_NE(GetFileAttributesA(marker("riched32.dll").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the loader does not prefer the planted library";
}

// Last: it takes the registration away for a moment.
TEST_F(HostTest, UnregisteredClassIsReportedAsNotInstalled) {
  const std::string regsvr32 = "C:\\windows\\system32\\regsvr32.exe";
  ASSERT_EQ(RunToEnd(regsvr32, {"/u", "/s", InstalledServer()}), 0);
  ChildProcess host;
  ASSERT_TRUE(host.Start(Host(), {"--command", "md5", File("abc.txt")}));
  const long result = host.Wait(kRunTime);
  EXPECT_EQ(RunToEnd(regsvr32, {"/s", InstalledServer()}), 0);
  EXPECT_EQ(result, 3);
  EXPECT_NE(host.Errors().find("not installed"), std::string::npos) << host.Errors();
}

} // namespace
} // namespace corvane::test
