// The installer and the uninstaller with their pages, clicked through as a user would, and the page
// a failed installation ends on.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "common/com_identifiers.h"
#include "common/product.h"
#include "tests/support/programs.h"
#include "tests/support/window_driver.h"

namespace corvane::test {
namespace {

constexpr DWORD kPageTime = 60000;
constexpr int kBranding = 1028;
constexpr int kStatusText = 1006;
constexpr int kFolderEdit = 1019;
const std::string kSetupCaption = std::string(kProductTitle) + " Setup";
const std::string kClassKey = std::string("CLSID\\") + kCorvaneShellClassId;

std::string DefaultValue(HKEY root, const char* path) {
  char value[MAX_PATH] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(root, path, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return {};
  }
  return value;
}

bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds);

// Waits for the wizard (of any process: the uninstaller runs as a copy of itself; its caption may
// carry a page's subtitle after the product's) to offer each
// button text in turn on its button 1, enabled, and presses it. A page that is still being set up
// may let a press pass; it is pressed again until the button changes.
void ClickThrough(const std::string& caption, std::initializer_list<const char*> buttons) {
  for (const char* text : buttons) {
    HWND button = nullptr;
    HWND wizard = WaitForWindow(
        0,
        [&](HWND window) {
          button = GetDlgItem(window, IDOK);
          return WindowText(window).rfind(caption, 0) == 0 && button != nullptr &&
                 IsWindowEnabled(button) && WindowText(button) == text;
        },
        kPageTime);
    ASSERT_NE(wizard, nullptr) << caption << ": no enabled button " << text;
    bool moved = false;
    for (int attempt = 0; attempt < 6 && !moved; ++attempt) {
      Press(wizard, IDOK);
      moved = WaitUntil(
          [&] {
            return !IsWindow(button) || !IsWindowEnabled(button) || WindowText(button) != text;
          },
          5000);
    }
    ASSERT_TRUE(moved) << caption << ": " << text << " did nothing";
  }
}

// The control with this id anywhere below the window (the wizard shows its pages as child dialogs).
HWND Descendant(HWND window, int id) {
  struct Search {
    int id;
    HWND found;
  } search = {id, nullptr};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) == s->id) {
          s->found = child;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  while (!done()) {
    if (GetTickCount64() > deadline) {
      return false;
    }
    Sleep(50);
  }
  return true;
}

TEST(InstallerPagesTest, WizardInstallsAndTheUninstallWizardRemovesEverything) {
  const std::string folder = InstallFolder();
  if (GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
    // Left by a run that was cut short. In place (_?=, unquoted) the uninstaller waits, but cannot
    // remove itself.
    RunCommandLine("\"" + folder + "\\Uninstall.exe\" /S _?=" + folder);
    DeleteFileA((folder + "\\Uninstall.exe").c_str());
    RemoveDirectoryA(folder.c_str());
  }
  ASSERT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES)
      << "an earlier installation could not be removed";

  ChildProcess setup;
  ASSERT_TRUE(setup.Start(BinDir() + "corvane-setup.exe", {}));
  HWND wizard = WaitForCaption(setup.Id(), kSetupCaption.c_str(), IDOK, kPageTime);
  ASSERT_NE(wizard, nullptr);
  EXPECT_EQ(WindowText(GetDlgItem(wizard, kBranding)).rfind(kProductTitle, 0), 0u)
      << WindowText(GetDlgItem(wizard, kBranding));
  ClickThrough(kSetupCaption, {"&Next >", "&Install", "&Finish"});
  ASSERT_EQ(setup.Wait(kPageTime), 0);

  EXPECT_EQ(DefaultValue(HKEY_LOCAL_MACHINE, "Software\\Corvane 2004"), folder + "\\Hash.dll");
  EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Corvane 2004"),
            kCorvaneShellClassId);
  EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, (kClassKey + "\\InprocServer32").c_str()),
            folder + "\\Corvane.dll");

  ChildProcess uninstall;
  ASSERT_TRUE(uninstall.Start(folder + "\\Uninstall.exe", {}));
  ClickThrough(std::string(kProductTitle) + " Uninstall", {"&Uninstall", "&Close"});
  EXPECT_TRUE(WaitUntil(
      [&] { return GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES; }, kPageTime))
      << folder << " is still there";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Corvane 2004"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Corvane 2004"));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey.c_str()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane 2004"));
}

// An earlier installation elsewhere than the default: the directory page offers its folder. A
// server that cannot register fails the upgrade: the box says why and that the earlier
// installation was kept, the page's status says it in one line, and the earlier one still works.
TEST(InstallerPagesTest, AFailedUpgradeOffersTheEarlierFolderAndKeepsItsInstallation) {
  const std::string caption = kSetupCaption;
  const std::string earlier = "C:\\Apps\\Corvane";
  ASSERT_EQ(RunCommandLine("\"" + BinDir() + "corvane-setup.exe\" /S /D=" + earlier), 0);

  ChildProcess setup;
  ASSERT_TRUE(setup.Start(BinDir() + "corvane-setup-failing.exe", {}));
  ClickThrough(caption, {"&Next >"});
  HWND folder = nullptr;
  EXPECT_NE(WaitForWindow(
                setup.Id(),
                [&](HWND window) {
                  folder = Descendant(window, kFolderEdit);
                  return folder != nullptr && WindowText(folder) == earlier;
                },
                kPageTime),
            nullptr)
      << (folder != nullptr ? WindowText(folder) : "no directory page");
  ClickThrough(caption, {"&Install"});
  HWND box = WaitForWindow(
      setup.Id(),
      [&](HWND window) {
        return WindowText(window) == caption && WindowText(GetDlgItem(window, IDOK)) == "OK";
      },
      kPageTime);
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)),
            "Corvane.dll could not be registered (DllRegisterServer failed).\r\n"
            "The earlier installation in " +
                earlier + " was left as it was.");
  Press(box, IDOK);
  // The caption may carry the page's subtitle after the product's.
  HWND status = nullptr;
  HWND wizard = WaitForWindow(
      setup.Id(),
      [&](HWND window) {
        status = Descendant(window, kStatusText);
        return WindowText(window).rfind(caption, 0) == 0 && status != nullptr &&
               WindowText(status) == "Setup failed; the earlier installation was kept.";
      },
      kPageTime);
  EXPECT_NE(wizard, nullptr) << (status != nullptr ? WindowText(status) : "no status text");
  ASSERT_NE(wizard, nullptr);
  // Only Cancel is left to close it.
  HWND cancel = GetDlgItem(wizard, IDCANCEL);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(cancel) != FALSE; }, kPageTime));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, IDOK)));
  Press(wizard, IDCANCEL);
  EXPECT_EQ(setup.Wait(kPageTime), 2);

  EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, (kClassKey + "\\InprocServer32").c_str()),
            earlier + "\\Corvane.dll");
  EXPECT_EQ(DefaultValue(HKEY_LOCAL_MACHINE, "Software\\Corvane 2004"), earlier + "\\Hash.dll");
  EXPECT_EQ(GetFileAttributesA((earlier + "\\Corvane.dll.new").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(RunCommandLine("\"" + earlier + "\\Uninstall.exe\" /S"), 0);
  EXPECT_TRUE(WaitUntil([] { return GetFileAttributesA("C:\\Apps") == INVALID_FILE_ATTRIBUTES; },
                        kPageTime))
      << "C:\\Apps is still there";
}

} // namespace
} // namespace corvane::test
