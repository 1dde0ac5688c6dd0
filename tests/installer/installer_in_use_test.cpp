// Upgrading and removing Corvane 2004 while a shell holds its handler: corvane-host.exe shows the
// context menu, Corvane.dll loaded, while corvane-setup.exe /S or the uninstaller runs. Nothing of
// the working installation goes before the new files are in place, the registration stays valid,
// and the restart (wineboot -r) completes the job; a restart never takes a file that a later
// installation put in place.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/com_identifiers.h"
#include "common/hash_resource.h"
#include "common/product.h"
#include "tests/support/programs.h"
#include "tests/support/window_driver.h"

namespace corvane::test {
namespace {

constexpr DWORD kRunTime = 120000;
const std::string kClassKey = std::string("CLSID\\") + kCorvaneShellClassId;
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane 2004";

std::string Value(HKEY root, const char* key, const char* name = nullptr) {
  char value[MAX_PATH] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return "(none)";
  }
  return value;
}

std::string Contents(const std::string& path) {
  std::string bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char block[65536];
    for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) {
      bytes.append(block, got);
    }
    std::fclose(file);
  }
  return bytes;
}

// The names in the folder, sorted as the file system lists them, "." and ".." left out.
std::string Listing(const std::string& folder) {
  std::string names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return "(no folder)";
  }
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") {
      names += (names.empty() ? "" : " ") + name;
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// File operations that wait for the next restart.
std::string PendingOperations() {
  char value[8192] = {};
  DWORD size = sizeof value - 2;
  RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
               "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, value, &size);
  std::string operations(value, size);
  for (char& c : operations) {
    c = c == '\0' ? '|' : c;
  }
  return operations;
}

// Marks the installed files as the earlier release's; data after the image does not hinder loading.
void MarkAsEarlierRelease(const std::string& folder) {
  for (const char* name : {"\\Corvane.dll", "\\Hash.dll"}) {
    FILE* file = std::fopen((folder + name).c_str(), "ab");
    ASSERT_NE(file, nullptr) << name;
    std::fputs("earlier release", file);
    std::fclose(file);
  }
}

// Every name below the folder, with the folders' own.
std::string Tree(const std::string& folder) {
  std::string names = Listing(folder);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != "." && name != "..") {
        names += " [" + name + ": " + Tree(folder + "\\" + name) + "]";
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return names;
}

// The machine as an installer could change it: HKLM\Software (the classes root included) as
// reg.exe exports it, and Program Files.
std::string MachineState() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string file = std::string(temp) + "corvane-machine.reg";
  EXPECT_EQ(RunToEnd("C:\\windows\\system32\\reg.exe", {"export", "HKLM\\Software", file, "/y"}),
            0);
  const std::string state = Contents(file) + Tree("C:\\Program Files");
  DeleteFileA(file.c_str());
  return state;
}

// Whatever a run that was cut short left in the folder goes, with the folder.
void RemoveLeftovers(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileA((folder + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

void Restart() {
  ASSERT_EQ(RunToEnd("C:\\windows\\system32\\wineboot.exe", {"-r"}), 0);
}

// corvane-host.exe with its context menu open: Corvane.dll stays loaded until Release.
class HeldHandler {
public:
  HeldHandler() {
    const std::string file = BinDir() + "corvane-setup.exe";
    EXPECT_TRUE(host_.Start(BinDir() + "corvane-host.exe", {file}));
    menu_ = WaitForWindow(host_.Id(), [](HWND window) { return ClassOf(window) == "#32768"; });
    EXPECT_NE(menu_, nullptr) << "no context menu: " << host_.Errors();
  }
  ~HeldHandler() { Release(); }
  bool Holding() const { return menu_ != nullptr; }
  // Escape closes the menu with nothing picked, and the host ends.
  void Release() {
    if (menu_ != nullptr) {
      PostMessageA(menu_, WM_KEYDOWN, VK_ESCAPE, 0);
      menu_ = nullptr;
      EXPECT_EQ(host_.Wait(kRunTime), 0) << host_.Errors();
    }
  }

private:
  ChildProcess host_;
  HWND menu_ = nullptr;
};

TEST(InstallerInUseTest, UpgradeAndRemovalWhileAShellHoldsTheHandlerFinishAtRestart) {
  const std::string bin = BinDir();
  const std::string folder = InstallFolder();
  const std::string server = folder + "\\Corvane.dll";
  const std::string setup = bin + "corvane-setup.exe";
  // Wine waits for a window manager's answer when a window goes; the virtual display has none.
  ASSERT_EQ(
      RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Managed", REG_SZ, "N", 2),
      ERROR_SUCCESS);
  RemoveLeftovers(folder);
  ASSERT_EQ(RunToEnd(setup, {"/S"}), 0);
  MarkAsEarlierRelease(folder);
  const std::string earlierServer = Contents(server);

  {
    HeldHandler shell;
    ASSERT_TRUE(shell.Holding());
    EXPECT_EQ(RunToEnd(setup, {"/S"}), 0);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, (kClassKey + "\\InprocServer32").c_str()), server);
    const std::string nowServer = Contents(server);
    EXPECT_TRUE(nowServer == Contents(bin + "Corvane.dll") || nowServer == earlierServer);
    EXPECT_TRUE(Contents(folder + "\\Hash.dll") == Contents(bin + "Hash.dll"));
    EXPECT_TRUE(Contents(folder + "\\Uninstall.exe").size() > 0);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), CORVANE_VERSION);
    EXPECT_NE(PendingOperations().find(folder), std::string::npos) << PendingOperations();
  }
  Restart();
  EXPECT_TRUE(Contents(server) == Contents(bin + "Corvane.dll"));
  EXPECT_EQ(Listing(folder), "Corvane.dll Hash.dll Uninstall.exe");

  {
    HeldHandler shell;
    ASSERT_TRUE(shell.Holding());
    // In place (_?=, unquoted) the uninstaller waits for its work; it then goes at restart too.
    EXPECT_EQ(RunCommandLine("\"" + folder + "\\Uninstall.exe\" /S _?=" + folder), 0);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey.c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Corvane 2004"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Corvane 2004"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  }
  Restart();
  EXPECT_EQ(Listing(folder), "(no folder)");
}

// Uninstalled while the handler is loaded, installed again before the restart: the restart
// completes the removal of what the uninstaller left without touching the new installation.
TEST(InstallerInUseTest, InstallingAgainBeforeTheRestartKeepsTheNewInstallation) {
  const std::string bin = BinDir();
  const std::string folder = InstallFolder();
  const std::string setup = bin + "corvane-setup.exe";
  ASSERT_EQ(
      RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Managed", REG_SZ, "N", 2),
      ERROR_SUCCESS);
  ASSERT_EQ(Listing(folder), "(no folder)") << "left by an earlier test";
  const std::string before = MachineState();
  ASSERT_EQ(RunToEnd(setup, {"/S"}), 0);
  MarkAsEarlierRelease(folder);
  {
    HeldHandler shell;
    ASSERT_TRUE(shell.Holding());
    EXPECT_EQ(RunCommandLine("\"" + folder + "\\Uninstall.exe\" /S _?=" + folder), 0);
    EXPECT_EQ(RunToEnd(setup, {"/S"}), 0);
  }
  Restart();
  EXPECT_TRUE(Contents(folder + "\\Corvane.dll") == Contents(bin + "Corvane.dll"));
  EXPECT_TRUE(Contents(folder + "\\Hash.dll") == Contents(bin + "Hash.dll"));

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string file = std::string(temp) + "abc.txt";
  FILE* abc = std::fopen(file.c_str(), "wb");
  ASSERT_NE(abc, nullptr);
  std::fputs("abc", abc);
  std::fclose(abc);
  ChildProcess host;
  ASSERT_TRUE(host.Start(bin + "corvane-host.exe", {"--command", "md5", file}));
  HWND results = WaitForCaption(host.Id(), kProductTitle, IDC_REPORT_VIEW);
  ASSERT_NE(results, nullptr) << "no results window: " << host.Errors();
  EXPECT_EQ(WindowText(GetDlgItem(results, IDC_REPORT_VIEW))
                .rfind("900150983cd24fb0d6963f7d28e17f72    abc.txt", 0),
            0u);
  Press(results, IDOK);
  EXPECT_EQ(host.Wait(kRunTime), 0) << host.Errors();
  DeleteFileA(file.c_str());

  EXPECT_EQ(RunCommandLine("\"" + folder + "\\Uninstall.exe\" /S _?=" + folder), 0);
  Restart();
  EXPECT_TRUE(MachineState() == before) << "the registry or Program Files changed";
}

} // namespace
} // namespace corvane::test
