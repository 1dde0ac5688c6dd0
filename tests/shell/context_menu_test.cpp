// The context-menu handler as the shell drives it: a real popup menu, help texts, and commands run
// through a stand-in hash module found by the registry value.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/temp_folder.h"
#include "tests/support/shell_host.h"
#include "tools/explorer/hdrop_data_object.h"

namespace corvane::test {
namespace {

constexpr char kStandInName[] = "hash_stand_in.dll";

std::string MenuText(HMENU menu, UINT position) {
  char text[128] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

// Runs a command the way a user picks it, answering any error box; returns the box's text.
struct CommandOutcome {
  HRESULT result;
  bool boxShown;
  bool boxHadOwner;
  std::string boxText;
};

CommandOutcome RunCommand(IContextMenu* menu, UINT offset) {
  MessageBoxAnswerer answerer;
  const HRESULT result = InvokeByOffset(menu, offset);
  answerer.Stop();
  return {result, answerer.Answered(), answerer.HadOwner(), answerer.Text()};
}

class ContextMenu : public ::testing::Test {
protected:
  void SetUp() override {
    menu_ = CreateContextMenu();
    ASSERT_TRUE(menu_);
  }

  ComPtr<IContextMenu> menu_;
  HashModuleValue value_;
  StandInRecorder recorder_;
};

TEST_F(ContextMenu, AddsTheCorvaneSubmenuWithFourCommandsAtTheGivenPosition) {
  HMENU context = CreatePopupMenu();
  ASSERT_NE(nullptr, context);
  InsertMenuA(context, 0, MF_BYPOSITION | MF_STRING, 1, "&Open");
  InsertMenuA(context, 1, MF_BYPOSITION | MF_STRING, 2, "Propert&ies");

  EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0),
            menu_->QueryContextMenu(context, 1, 100, 200, CMF_DEFAULTONLY));
  EXPECT_EQ(2, GetMenuItemCount(context)) << "nothing added for the default command only";

  EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4),
            menu_->QueryContextMenu(context, 1, 100, 200, CMF_NORMAL));
  ASSERT_EQ(3, GetMenuItemCount(context));
  EXPECT_EQ("&Open", MenuText(context, 0));
  EXPECT_EQ("Corvane 2004", MenuText(context, 1));
  EXPECT_EQ("Propert&ies", MenuText(context, 2));

  HMENU popup = GetSubMenu(context, 1);
  ASSERT_NE(nullptr, popup);
  const char* const texts[] = {"Calculate &MD5 Hash", "Calculate &SHA-1 Hash", "&Verify MD5 Hash",
                               "Verify SHA-1 &Hash"};
  ASSERT_EQ(4, GetMenuItemCount(popup));
  for (UINT i = 0; i < 4; ++i) {
    EXPECT_EQ(texts[i], MenuText(popup, i));
    EXPECT_EQ(100 + i, GetMenuItemID(popup, static_cast<int>(i)));
  }
  DestroyMenu(context);
}

TEST_F(ContextMenu, HelpTextsComeInBothWidthsAndAreCutToTheBuffer) {
  const char* const texts[] = {"Compute MD5 Hash", "Compute SHA-1 Hash", "Verify MD5 Hash",
                               "Verify SHA-1 Hash"};
  for (UINT i = 0; i < 4; ++i) {
    char ansi[64] = {};
    EXPECT_EQ(S_OK, menu_->GetCommandString(i, GCS_HELPTEXTA, nullptr, ansi, sizeof ansi));
    EXPECT_STREQ(texts[i], ansi);
  }

  wchar_t wide[64] = {};
  EXPECT_EQ(S_OK,
            menu_->GetCommandString(2, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 64));
  EXPECT_STREQ(L"Verify MD5 Hash", wide);

  char shortAnsi[16];
  std::memset(shortAnsi, '#', sizeof shortAnsi);
  EXPECT_EQ(S_OK, menu_->GetCommandString(2, GCS_HELPTEXTA, nullptr, shortAnsi, 7));
  EXPECT_STREQ("Verify", shortAnsi);
  EXPECT_EQ('#', shortAnsi[7]) << "nothing written past cchMax";

  wchar_t shortWide[16];
  std::fill(std::begin(shortWide), std::end(shortWide), L'#');
  EXPECT_EQ(S_OK, menu_->GetCommandString(3, GCS_HELPTEXTW, nullptr,
                                          reinterpret_cast<char*>(shortWide), 7));
  EXPECT_STREQ(L"Verify", shortWide);
  EXPECT_EQ(L'#', shortWide[7]);

  char untouched[8] = "keep";
  EXPECT_EQ(E_INVALIDARG, menu_->GetCommandString(4, GCS_HELPTEXTA, nullptr, untouched, 8));
  EXPECT_EQ(E_INVALIDARG, menu_->GetCommandString(0, GCS_VERBA, nullptr, untouched, 8));
  EXPECT_EQ(E_INVALIDARG, menu_->GetCommandString(0, GCS_VERBW, nullptr, untouched, 4));
  EXPECT_EQ(E_INVALIDARG, menu_->GetCommandString(0, GCS_VALIDATEA, nullptr, untouched, 8));
  EXPECT_STREQ("keep", untouched);
  EXPECT_EQ(E_INVALIDARG, menu_->GetCommandString(0, GCS_HELPTEXTA, nullptr, nullptr, 8));
}

TEST_F(ContextMenu, HashGetsTheSelectionInOrderWithTheCommandAsModeAndIsUnloadedAfter) {
  value_.SetPath(StandInPath());
  ASSERT_EQ(S_OK, InitializeWith(menu_.Get(),
                                 {"C:\\data\\q.bin", "C:\\data\\p.bin", "D:\\r with blanks.txt"}));
  for (UINT offset = 0; offset < 4; ++offset) {
    const CommandOutcome outcome = RunCommand(menu_.Get(), offset);
    EXPECT_EQ(S_OK, outcome.result);
    EXPECT_FALSE(outcome.boxShown) << outcome.boxText;
    const HashCall call = recorder_.Take();
    ASSERT_TRUE(call.called) << "offset " << offset;
    EXPECT_EQ(static_cast<int>(offset), call.mode);
    // Every command on the same selection sends the same list.
    EXPECT_EQ("C:\\data\\q.bin\nC:\\data\\p.bin\nD:\\r with blanks.txt", call.list);
    EXPECT_EQ(nullptr, GetModuleHandleA(kStandInName)) << "hash module kept loaded";
  }

  ASSERT_EQ(S_OK, InitializeWith(menu_.Get(), {"C:\\only.txt"}));
  EXPECT_EQ(S_OK, RunCommand(menu_.Get(), 1).result);
  HashCall call = recorder_.Take();
  EXPECT_EQ("C:\\only.txt", call.list) << "a new selection replaces the old one";
  EXPECT_EQ(1, call.mode);
}

TEST_F(ContextMenu, APathLongerThan259CharactersArrivesCut) {
  value_.SetPath(StandInPath());
  const std::string longPath = "C:\\" + std::string(297, 'x');
  ASSERT_EQ(300u, longPath.size());
  ASSERT_EQ(S_OK, InitializeWith(menu_.Get(), {longPath, "C:\\short"}));
  EXPECT_EQ(S_OK, RunCommand(menu_.Get(), 0).result);
  const HashCall call = recorder_.Take();
  EXPECT_EQ(longPath.substr(0, 259) + "\nC:\\short", call.list);
}

// Explorer sends UTF-16 names. A name the ANSI code page cannot hold would reach the hash module
// with "?" (or a best-fit look-alike) in place of its characters; only such names of files that
// exist change: each folder or file name the code page lacks characters for becomes its short
// form, the others stay.
TEST_F(ContextMenu, WideNamesArriveAsTheCodePageHoldsThemOrByTheirShortNames) {
  value_.SetPath(StandInPath());
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"corvane-wide-names";
  const std::wstring outside = folder + L"\\Привет мир";
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW(outside.c_str(), nullptr);
  const auto ansi = [](const std::wstring& text) {
    char bytes[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return std::string(bytes);
  };
  // The last name of the path's short form.
  const auto shortName = [&ansi](const std::wstring& path) {
    wchar_t name[MAX_PATH] = {};
    GetShortPathNameW(path.c_str(), name, MAX_PATH);
    const std::string text = ansi(name);
    return text.substr(text.find_last_of('\\') + 1);
  };
  const std::wstring chinese = folder + L"\\数据.txt";
  const std::wstring accented = folder + L"\\café.txt";
  // Best fit would turn it into abc.txt, another file.
  const std::wstring lookAlike = folder + L"\\ābc.txt";
  const std::wstring report = outside + L"\\quarterly report.pdf";
  const std::wstring bothOutside = outside + L"\\数据.txt";
  const std::wstring made[] = {chinese, accented,   lookAlike, folder + L"\\abc.txt",
                               report,  bothOutside};
  for (const std::wstring& path : made) {
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
  }
  const std::wstring missing = folder + L"\\Привет.txt";
  const std::wstring longPath = L"C:\\数" + std::wstring(297, L'x');

  ASSERT_EQ(S_OK, InitializeWith(menu_.Get(), {chinese, accented, lookAlike, missing, longPath,
                                               report, bothOutside}));
  EXPECT_EQ(S_OK, RunCommand(menu_.Get(), 0).result);
  const std::string list = recorder_.Take().list;
  for (const std::wstring& path : {chinese, outside, report}) {
    EXPECT_NE(shortName(path).find('~'), std::string::npos) << "no short name to test with";
  }
  const std::string shortOutside = ansi(folder) + "\\" + shortName(outside);
  EXPECT_EQ(ansi(folder) + "\\" + shortName(chinese) + "\n" + ansi(folder) + "\\caf\xe9.txt\n" +
                ansi(folder) + "\\" + shortName(lookAlike) + "\n" + ansi(folder) +
                "\\??????.txt\nC:\\?" + std::string(255, 'x') + "\n" + shortOutside +
                "\\quarterly report.pdf\n" + shortOutside + "\\" + shortName(bothOutside),
            list);
  for (const std::wstring& path : made) {
    DeleteFileW(path.c_str());
  }
  RemoveDirectoryW(outside.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(ContextMenu, AFailedInitializeKeepsThePreviousList) {
  value_.SetPath(StandInPath());
  ComPtr<IShellExtInit> init;
  ASSERT_EQ(S_OK, menu_->QueryInterface(IID_IShellExtInit, init.ReceiveVoid()));
  ASSERT_EQ(S_OK, InitializeWith(menu_.Get(), {"C:\\kept.txt"}));
  ComPtr<IDataObject> refusing;
  *refusing.Receive() = HDropDataObject::Empty();
  EXPECT_EQ(S_OK, init->Initialize(nullptr, refusing.Get(), nullptr));
  EXPECT_EQ(S_OK, init->Initialize(nullptr, nullptr, nullptr));
  EXPECT_EQ(S_OK, RunCommand(menu_.Get(), 2).result);
  EXPECT_EQ("C:\\kept.txt", recorder_.Take().list);
}

TEST_F(ContextMenu, NothingSelectedRunsNothing) {
  value_.SetPath(StandInPath());
  const CommandOutcome outcome = RunCommand(menu_.Get(), 0);
  EXPECT_EQ(S_OK, outcome.result);
  EXPECT_FALSE(outcome.boxShown);
  EXPECT_FALSE(recorder_.Take().called);
}

TEST_F(ContextMenu, VerbsGivenAsTextOrBeyondTheFourCommandsAreRefusedSilently) {
  value_.SetPath(StandInPath());
  ASSERT_EQ(S_OK, InitializeWith(menu_.Get(), {"C:\\a.txt"}));
  MessageBoxAnswerer answerer;
  CMINVOKECOMMANDINFO info = {};
  info.cbSize = sizeof info;
  info.lpVerb = "open";
  EXPECT_EQ(E_INVALIDARG, menu_->InvokeCommand(&info));
  EXPECT_EQ(E_INVALIDARG, InvokeByOffset(menu_.Get(), 4));
  EXPECT_EQ(E_INVALIDARG, menu_->InvokeCommand(nullptr));
  answerer.Stop();
  EXPECT_FALSE(answerer.Answered());
  EXPECT_FALSE(recorder_.Take().called);
}

TEST_F(ContextMenu, EachMissingPieceShowsItsErrorBoxAndStillSucceeds) {
  ASSERT_EQ(S_OK, InitializeWith(menu_.Get(), {"C:\\a.txt"}));
  struct Case {
    const char* situation;
    void (*arrange)(HashModuleValue&);
    const char* text;
  };
  const Case cases[] = {
      {"no key", [](HashModuleValue& v) { v.RemoveKey(); }, "Could not find Corvane 2004 DLL"},
      {"no value",
       [](HashModuleValue& v) {
         v.SetPath("x");
         ScopedRegKey key;
         RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Corvane 2004", 0, KEY_WRITE, key.Receive());
         RegDeleteValueA(key.Get(), nullptr);
       },
       "Could not find Corvane 2004 DLL"},
      {"value too long",
       [](HashModuleValue& v) { v.SetPath("C:\\" + std::string(300, 'v') + ".dll"); },
       "Could not find Corvane 2004 DLL"},
      {"259 bytes without NUL",
       [](HashModuleValue& v) {
         const std::string bytes = StandInPath() + std::string(259 - StandInPath().size(), 'z');
         v.SetBytes(bytes.data(), 259);
       },
       "Could not find Corvane 2004 DLL"},
      {"missing file", [](HashModuleValue& v) { v.SetPath(BinDir() + "no_such_module.dll"); },
       "Unable to load Corvane 2004 DLL: 0x7e"},
      {"no Hash export", [](HashModuleValue& v) { v.SetPath(NoHashStandInPath()); },
       "Error with Corvane 2004 DLL"},
  };
  for (const Case& c : cases) {
    c.arrange(value_);
    const CommandOutcome outcome = RunCommand(menu_.Get(), 0);
    EXPECT_EQ(S_OK, outcome.result) << c.situation;
    EXPECT_TRUE(outcome.boxShown) << c.situation;
    EXPECT_EQ(c.text, outcome.boxText) << c.situation;
    EXPECT_FALSE(outcome.boxHadOwner) << c.situation;
    EXPECT_EQ(nullptr, GetModuleHandleA("no_hash_stand_in.dll")) << c.situation;
  }
  EXPECT_FALSE(recorder_.Take().called);

  // The menu is offered all the same.
  HMENU context = CreatePopupMenu();
  EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 4), menu_->QueryContextMenu(context, 0, 1, 10, 0));
  DestroyMenu(context);
}

TEST_F(ContextMenu, AHashModulePathOf258CharactersIsFound) {
  // A copy of the stand-in whose full path is exactly 258 characters: the longest the value holds.
  const TempFolder temp;
  std::string dir = temp.Path("cvlong");
  const std::size_t dirLength = 240;
  dir += std::string(dirLength - dir.size(), 'd');
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string module = dir + "\\" + std::string(258 - dir.size() - 5, 'm') + ".dll";
  ASSERT_EQ(258u, module.size());
  ASSERT_TRUE(CopyFileA(StandInPath().c_str(), module.c_str(), FALSE));

  value_.SetPath(module);
  ASSERT_EQ(S_OK, InitializeWith(menu_.Get(), {"C:\\a.txt"}));
  const CommandOutcome outcome = RunCommand(menu_.Get(), 3);
  EXPECT_FALSE(outcome.boxShown) << outcome.boxText;
  const HashCall call = recorder_.Take();
  EXPECT_TRUE(call.called);
  EXPECT_EQ(3, call.mode);
}

} // namespace
} // namespace corvane::test
