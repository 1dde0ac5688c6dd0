#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "shell/registrar/registrar.h"
#include "shell/registrar_win32/script_resource.h"
#include "shell/registrar_win32/win32_registry.h"
#include "tests/registration/registry_dump.h"
#include "tests/support/programs.h"
#include "win32/scoped.h"

namespace corvane::test {
namespace {

const char kTestKey[] = "Software\\CorvaneRegistrarTest";

void DeleteTestKey() {
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvaneRegistrarTest\\Sub\\Deeper");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvaneRegistrarTest\\Sub");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvaneRegistrarTest\\Foreign");
  RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
}

class Win32Registrar : public ::testing::Test {
protected:
  void SetUp() override {
    DeleteTestKey();
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey));
  }
  void TearDown() override { DeleteTestKey(); }

  Win32Registry registry_;
  Registrar registrar_{registry_, IsAnsiLeadByte, AutomationUInt32FromString};
};

TEST_F(Win32Registrar, WritesEveryValueTypeAndRemovesTheTreeAgain) {
  const char* script = "HKCU { Software { CorvaneRegistrarTest = s 'It''s' { val Number = d 42 "
                       "val Bytes = b 0A1B val None = b '' Sub { Deeper = s x } } } }";
  ASSERT_EQ(registrar_.ApplyScript(script, true), S_OK);
  const std::string k = std::string("HKCU\\") + kTestKey;
  EXPECT_EQ(DumpKey(HKEY_CURRENT_USER, "HKCU", kTestKey),
            (Lines{k, k + "\\Sub", k + "\\Sub\\Deeper", k + "\\Sub\\Deeper|=1:x", k + "|=1:It's",
                   k + "|Bytes=3:0A1B", k + "|None=3:", k + "|Number=4:2A000000"}));
  ASSERT_EQ(registrar_.ApplyScript(script, false), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
}

TEST_F(Win32Registrar, FailingBlockIsRolledBackButForeignKeysStay) {
  {
    ScopedRegKey foreign;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\CorvaneRegistrarTest\\Foreign",
                            foreign.Receive()),
              ERROR_SUCCESS);
  }
  EXPECT_EQ(registrar_.ApplyScript("HKCU { Software { CorvaneRegistrarTest { Sub { Deeper = s 1 } "
                                   "val Odd = b 0A1 } } }",
                                   true),
            E_FAIL);
  const std::string k = std::string("HKCU\\") + kTestKey;
  EXPECT_EQ(DumpKey(HKEY_CURRENT_USER, "HKCU", kTestKey), (Lines{k, k + "\\Foreign"}));
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvaneRegistrarTest\\Foreign");
  EXPECT_EQ(
      registrar_.ApplyScript("HKCU { Software { CorvaneRegistrarTest { val N = d x } } }", true),
      DISP_E_EXCEPTION);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey));
}

TEST_F(Win32Registrar, ScriptResourceBindsModuleAndExtraPlaceholders) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const ReplacementPair extra[] = {{"Extra", "from the caller"}};
  ASSERT_EQ(UpdateRegistryFromScriptResource(GetModuleHandleA(nullptr), 201, TRUE, extra, 1), S_OK);
  const std::string k = std::string("HKCU\\") + kTestKey;
  EXPECT_EQ(DumpKey(HKEY_CURRENT_USER, "HKCU", kTestKey),
            (Lines{k, k + "|=1:" + exe, k + "|Bytes=3:0A1B", k + "|Extra=1:from the caller",
                   k + "|Number=4:2A000000"}));
  // Without the extra pair the script cannot be expanded, so nothing is touched.
  EXPECT_EQ(UpdateRegistryFromScriptResource(GetModuleHandleA(nullptr), 201, FALSE, nullptr, 0),
            DISP_E_EXCEPTION);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTestKey));
  ASSERT_EQ(UpdateRegistryFromScriptResource(GetModuleHandleA(nullptr), 201, FALSE, extra, 1),
            S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey));
}

TEST_F(Win32Registrar, MissingScriptResourceFailsWithTheSystemError) {
  const HRESULT result =
      UpdateRegistryFromScriptResource(GetModuleHandleA(nullptr), 999, TRUE, nullptr, 0);
  EXPECT_TRUE(FAILED(result));
  EXPECT_EQ(HRESULT_FACILITY(result), FACILITY_WIN32);
}

TEST_F(Win32Registrar, NumbersGoThroughTheAutomationConversion) {
  std::uint32_t number = 0;
  EXPECT_TRUE(AutomationUInt32FromString("4294967295", &number));
  EXPECT_EQ(number, 0xFFFFFFFFu);
  EXPECT_FALSE(AutomationUInt32FromString("4294967296", &number));
  EXPECT_FALSE(AutomationUInt32FromString("-1", &number));
  EXPECT_FALSE(AutomationUInt32FromString("abc", &number));
}

} // namespace
} // namespace corvane::test
