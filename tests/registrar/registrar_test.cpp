#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/diagnostic_trace.h"
#include "shell/registrar/registrar.h"
#include "tests/doubles/memory_registry.h"

namespace corvane {
namespace {

using Lines = std::vector<std::string>;

class RegistrarTest : public ::testing::Test {
protected:
  void TearDown() override { EXPECT_EQ(registry_.OpenHandleCount(), 0u) << "a key was left open"; }

  HResult Register(const std::string& script) {
    return registrar_.ApplyScript(script.c_str(), true);
  }
  HResult Unregister(const std::string& script) {
    return registrar_.ApplyScript(script.c_str(), false);
  }

  MemoryRegistry registry_;
  Registrar registrar_{registry_};
};

TEST_F(RegistrarTest, KeyWithDefaultStringIsWrittenAndRemovedAgain) {
  const std::string script = "HKCR\r\n{\r\n\tAbc = s x\r\n}\r\n";
  ASSERT_EQ(Register(script), kOk);
  EXPECT_EQ(registry_.Dump(), (Lines{"HKCR\\Abc", "HKCR\\Abc|=1:x"}));
  ASSERT_EQ(Unregister(script), kOk);
  EXPECT_EQ(registry_.Dump(), Lines{});
}

TEST_F(RegistrarTest, ValuesOfEveryTypeAreWrittenAsTheSystemStoresThem) {
  ASSERT_EQ(Register("hkey_current_user { K { val Num = D 42 val Big = d 4294967295 "
                     "val Bin = b 0A1B val Mixed = B aBcD val None = b '' "
                     "val Text = S 'It''s here' val Empty = s '' } }"),
            kOk);
  EXPECT_EQ(registry_.Dump(), (Lines{"HKCU\\K", "HKCU\\K|Big=4:FFFFFFFF", "HKCU\\K|Bin=3:0A1B",
                                     "HKCU\\K|Empty=1:", "HKCU\\K|Mixed=3:ABCD", "HKCU\\K|None=3:",
                                     "HKCU\\K|Num=4:2A000000", "HKCU\\K|Text=1:It's here"}));
  // Strings are stored with their NUL.
  EXPECT_EQ(registry_.FindValue("HKCU\\K", "Empty")->data, std::vector<unsigned char>{0});
}

TEST_F(RegistrarTest, NonHexDigitsInBinaryDataCountAsZero) {
  ASSERT_EQ(Register("HKCU { K { val v = b 1G-F } }"), kOk);
  EXPECT_EQ(registry_.Dump(), (Lines{"HKCU\\K", "HKCU\\K|v=3:100F"}));
}

TEST_F(RegistrarTest, BadValuesFailAndTheirBlockIsRolledBack) {
  const struct {
    std::string item;
    HResult result;
    // The removal walk stops at a syntax error too, so the item's own key stays.
    bool keyStays;
  } cases[] = {
      {"val v = b 0A1", kFail, false},
      {"val v = x 1", kDispException, false},
      {"val v = ss 1", kDispException, false},
      {"val v = d abc", kDispException, false},
      {"val v = d -1", kDispException, false},
      {"val v = d 4294967296", kDispException, false},
      {"val v = d ''", kDispException, false},
      {"val v = s", kDispException, true},
      {"val v s 1", kDispException, true},
      {"val " + std::string(260, 'n') + " = s x", kDispException, true},
      {"Sub\\Key = s x", kDispException, true},
      {"'' = s x", kDispException, true},
  };
  for (const auto& c : cases) {
    MemoryRegistry registry;
    Registrar registrar(registry);
    const std::string script = "HKCU { Before = s 1 K { First = s 1 " + c.item + " } }";
    EXPECT_EQ(registrar.ApplyScript(script.c_str(), true), c.result) << c.item;
    // Nothing of the bad item was written; the keys before it are gone again.
    EXPECT_EQ(registry.Dump(), c.keyStays ? Lines{"HKCU\\K"} : Lines{}) << c.item;
    EXPECT_EQ(registry.OpenHandleCount(), 0u) << c.item;
  }
}

TEST_F(RegistrarTest, ValueNameOf259CharactersIsAccepted) {
  const std::string name(259, 'n');
  ASSERT_EQ(Register("HKCU { K { val " + name + " = s x } }"), kOk);
  EXPECT_NE(registry_.FindValue("HKCU\\K", name), nullptr);
}

TEST_F(RegistrarTest, FailedBlockIsRemovedWhileEarlierBlocksStayAndLaterOnesAreNotRun) {
  registry_.PlantFailure(MemoryRegistry::Operation::SetValue, "Broken", kErrorAccessDenied);
  const HResult result = Register("HKCU { Done = s 1 } "
                                  "HKCU { New { Deep = s 2 } Other { val Broken = s 3 } } "
                                  "HKCU { Later = s 4 }");
  EXPECT_EQ(result, HResultFromWin32(kErrorAccessDenied));
  EXPECT_EQ(static_cast<std::uint32_t>(result), 0x80070005u);
  EXPECT_EQ(registry_.Dump(), (Lines{"HKCU\\Done", "HKCU\\Done|=1:1"}));
}

TEST_F(RegistrarTest, RollbackKeepsKeysThatHoldForeignSubkeys) {
  registry_.AddString("HKCU\\Shared\\Foreign", "", "f");
  registry_.PlantFailure(MemoryRegistry::Operation::Create, "HKCU\\Shared\\Mine\\Bad", 5);
  EXPECT_EQ(Register("HKCU { Shared { Mine { Bad } } }"), kDispException);
  EXPECT_EQ(registry_.Dump(),
            (Lines{"HKCU\\Shared", "HKCU\\Shared\\Foreign", "HKCU\\Shared\\Foreign|=1:f"}));
}

TEST_F(RegistrarTest, ForceRemoveSparesClsidAndTypeLibButRecreatesAnyOtherKey) {
  registry_.AddString("HKCR\\CLSID\\{Other}", "", "other class");
  registry_.AddString("HKCR\\TypeLib\\{Lib}", "", "other library");
  registry_.AddString("HKCR\\Mine\\Stale\\Deeper", "", "stale");
  registry_.AddString("HKCR\\Mine", "Old", "old");
  ASSERT_EQ(Register("HKCR { ForceRemove CLSID { X } ForceRemove typelib "
                     "ForceRemove Mine = s new { Fresh } }"),
            kOk);
  EXPECT_EQ(registry_.Dump(),
            (Lines{"HKCR\\CLSID", "HKCR\\CLSID\\X", "HKCR\\CLSID\\{Other}",
                   "HKCR\\CLSID\\{Other}|=1:other class", "HKCR\\Mine", "HKCR\\Mine\\Fresh",
                   "HKCR\\Mine|=1:new", "HKCR\\TypeLib", "HKCR\\TypeLib\\{Lib}",
                   "HKCR\\TypeLib\\{Lib}|=1:other library"}));
}

TEST_F(RegistrarTest, DeleteRemovesAKeyTreeWithoutCreatingIt) {
  registry_.AddString("HKCU\\Gone\\Sub", "", "x");
  registry_.AddKey("HKCU\\Keep");
  ASSERT_EQ(Register("HKCU { Delete Gone Delete Absent = s 'ignored' Keep }"), kOk);
  EXPECT_EQ(registry_.Dump(), Lines{"HKCU\\Keep"});
  EXPECT_EQ(Register("HKCU { Delete Gone { X } }"), kDispException);
  EXPECT_EQ(Register("HKCU { Keep { val v = s x { X } } }"), kDispException);
  EXPECT_EQ(registry_.Dump(), Lines{"HKCU\\Keep"});
}

TEST_F(RegistrarTest, NoRemoveKeepsItsKeyEvenWhenEmptiedButNotTheItemsAfterIt) {
  const std::string script = "HKCR { NoRemove CLSID { Mine = s 1 } NoRemove Shared After = s 2 }";
  ASSERT_EQ(Register(script), kOk);
  ASSERT_EQ(Unregister(script), kOk);
  EXPECT_EQ(registry_.Dump(), (Lines{"HKCR\\CLSID", "HKCR\\Shared"}));
}

TEST_F(RegistrarTest, UnregisteringWhatIsAbsentSucceedsAndChangesNothing) {
  registry_.AddString("HKCU\\Present", "v", "kept");
  const Lines before = registry_.Dump();
  ASSERT_EQ(Unregister("HKCU { A = s 1 { B { val x = d 1 C } val y = s 2 } D { E } F }"), kOk);
  EXPECT_EQ(registry_.Dump(), before);
}

TEST_F(RegistrarTest, RecoveryModeEndsWithTheAbsentItem) {
  registry_.AddKey("HKCU\\Present");
  registry_.AddKey("HKCU\\Later\\Child");
  ASSERT_EQ(Unregister("HKCU { Absent Present Gone { X } Later { Child } }"), kOk);
  EXPECT_EQ(registry_.Dump(), Lines{});
}

TEST_F(RegistrarTest, UnregisteringParsesKeysWithForeignContentAndNoSubBlock) {
  // A key with subkeys or named values but no sub-block must not swallow the next item.
  registry_.AddKey("HKCU\\WithSub\\Foreign");
  registry_.AddString("HKCU\\WithValue", "Named", "x");
  registry_.AddKey("HKCU\\Next1");
  registry_.AddKey("HKCU\\Next2");
  ASSERT_EQ(Unregister("HKCU { WithSub = s a Next1 WithValue Next2 }"), kOk);
  EXPECT_EQ(registry_.Dump(), (Lines{"HKCU\\WithSub", "HKCU\\WithSub\\Foreign"}));
}

TEST_F(RegistrarTest, UnregisteringAnEmptyKeyStillReadsItsSubBlock) {
  registry_.AddKey("HKCU\\Empty");
  registry_.AddKey("HKCU\\After");
  ASSERT_EQ(Unregister("HKCU { Empty = s x { val v = s 1 Sub { Deeper } } After }"), kOk);
  EXPECT_EQ(registry_.Dump(), Lines{});
  EXPECT_FALSE(registry_.KeyExists("HKCU\\{"));
}

TEST_F(RegistrarTest, NonEmptyKeyKeepsItselfAndForeignSubkeysOnUnregistration) {
  const std::string script = "HKCR { Mine = s 1 { Sub = s 2 val v = s 3 } ForceRemove Other }";
  ASSERT_EQ(Register(script), kOk);
  registry_.AddString("HKCR\\Mine\\Foreign", "", "theirs");
  ASSERT_EQ(Unregister(script), kOk);
  EXPECT_EQ(registry_.Dump(), (Lines{"HKCR\\Mine", "HKCR\\Mine\\Foreign",
                                     "HKCR\\Mine\\Foreign|=1:theirs", "HKCR\\Mine|=1:1"}));
}

TEST_F(RegistrarTest, UnregisteringDeletesNamedValuesAndTheirKey) {
  registry_.AddString("HKCU\\K", "v", "1");
  registry_.AddString("HKCU\\K", "w", "2");
  ASSERT_EQ(Unregister("HKCU { NoRemove K { val v = s 1 val absent = s 2 } }"), kOk);
  EXPECT_EQ(registry_.Dump(), (Lines{"HKCU\\K", "HKCU\\K|w=1:2"}));
}

TEST_F(RegistrarTest, ValueThatCannotBeDeletedFailsUnregistration) {
  registry_.AddString("HKCU\\K", "v", "1");
  registry_.PlantFailure(MemoryRegistry::Operation::DeleteValue, "v", kErrorAccessDenied);
  EXPECT_EQ(Unregister("HKCU { K { val v = s 1 } }"), HResultFromWin32(kErrorAccessDenied));
  EXPECT_TRUE(registry_.KeyExists("HKCU\\K"));
}

TEST_F(RegistrarTest, LocalServer32DefaultGetsTheModulePathQuoted) {
  ASSERT_EQ(registrar_.AddReplacementEntry("Module", "C:\\Pro gram\\It''s.exe"), kOk);
  ASSERT_EQ(Register("HKCR { A { LocalServer32 = s '%MODULE% /Automation' } "
                     "B { localserver32 = s '\"%MODULE%\" /x' } "
                     "C { LocalServer32 = s 'other.exe' } "
                     "D { InprocServer32 = s '%MODULE% /x' } }"),
            kOk);
  EXPECT_EQ(
      registry_.Dump(),
      (Lines{"HKCR\\A", "HKCR\\A\\LocalServer32",
             "HKCR\\A\\LocalServer32|=1:\"C:\\Pro gram\\It's.exe\" /Automation", "HKCR\\B",
             "HKCR\\B\\localserver32", "HKCR\\B\\localserver32|=1:\"C:\\Pro gram\\It's.exe\" /x",
             "HKCR\\C", "HKCR\\C\\LocalServer32", "HKCR\\C\\LocalServer32|=1:other.exe", "HKCR\\D",
             "HKCR\\D\\InprocServer32", "HKCR\\D\\InprocServer32|=1:C:\\Pro gram\\It's.exe /x"}));
  EXPECT_EQ(Register("HKCR { E { LocalServer32 = s '" + std::string(4095, 'x') + "' } }"), kFail);
}

TEST_F(RegistrarTest, SyntaxErrorsAreScriptErrors) {
  for (const char* script : {"HKXX { A }", "HKCR A", "HKCR {", "HKCR { val }", "HKCR", "HKCR 'x",
                             "HKCR { 'unclosed }", "HKCR { A\\B }", "HKCR { ForceRemove '' }"}) {
    EXPECT_EQ(Register(script), kDispException) << script;
    EXPECT_EQ(registry_.Dump(), Lines{}) << script;
  }
  // Where the text ends early the removal walk cannot get past the end either.
  for (const char* script : {"HKCR { A", "HKCR { A = s x", "HKCR { A { B }", "HKCR { A = }"}) {
    EXPECT_EQ(Register(script), kDispException) << script;
  }
  // A completed block stays registered when what follows it is wrong.
  EXPECT_EQ(Register("HKCU { Done } junk"), kDispException);
  EXPECT_TRUE(registry_.KeyExists("HKCU\\Done"));
}

TEST_F(RegistrarTest, UnknownPlaceholderFailsBeforeAnyKeyIsTouched) {
  EXPECT_EQ(Register("HKCU { A = s 1 } HKCU { B = s '%NOPE%' }"), kDispException);
  EXPECT_EQ(registry_.Dump(), Lines{});
}

TEST_F(RegistrarTest, EmptyOrBlankScriptHasNothingToDo) {
  EXPECT_EQ(Register(""), kOk);
  EXPECT_EQ(Register(" \r\n\t"), kOk);
  EXPECT_EQ(Register("\r\nHKCU { }\r\n\r\nHKLM {}"), kDispException);
  EXPECT_EQ(Register("\r\nHKCU { }\r\n\r\nHKLM { }\r\n"), kOk);
}

TEST_F(RegistrarTest, KeyThatCannotBeCreatedIsScriptError) {
  registry_.PlantFailure(MemoryRegistry::Operation::Create, "HKLM\\Locked", kErrorAccessDenied);
  EXPECT_EQ(Register("HKLM { Locked }"), kDispException);
}

TEST_F(RegistrarTest, KeysAndKeywordsIgnoreLetterCase) {
  ASSERT_EQ(Register("hkcu { ABC = S 1 { VAL x = D 5 } }"), kOk);
  ASSERT_EQ(Register("HKCU { abc = s 2 }"), kOk);
  EXPECT_EQ(registry_.Dump(), (Lines{"HKCU\\ABC", "HKCU\\ABC|=1:2", "HKCU\\ABC|x=4:05000000"}));
  ASSERT_EQ(Unregister("HKCU { forceremove aBc { val X = d 5 } }"), kOk);
  EXPECT_EQ(registry_.Dump(), Lines{});
}

TEST_F(RegistrarTest, DeepNestingIsRefusedInsteadOfExhaustingTheStack) {
  std::string script = "HKCU {";
  for (int i = 0; i < 600; ++i) {
    script += " k {";
  }
  EXPECT_EQ(Register(script), kDispException);
}

} // namespace
} // namespace corvane

namespace corvane {
namespace {

std::vector<std::string>* capturedTraces = nullptr;

void CaptureTrace(const char* text) noexcept {
  capturedTraces->push_back(text);
}

TEST(RegistrarTraces, GoNowhereUnlessASinkIsSwitchedOn) {
  std::vector<std::string> traces;
  capturedTraces = &traces;
  MemoryRegistry registry;
  Registrar registrar(registry);
  EXPECT_EQ(registrar.ApplyScript("HKXX { }", true), kDispException);
  SetTraceSink(CaptureTrace);
  EXPECT_EQ(registrar.ApplyScript("HKXX { }", true), kDispException);
  EXPECT_EQ(registrar.ApplyScript("HKCU { K { val v = q 1 } }", true), kDispException);
  SetTraceSink(nullptr);
  EXPECT_EQ(registrar.ApplyScript("HKXX { }", true), kDispException);
  capturedTraces = nullptr;
  EXPECT_EQ(std::count(traces.begin(), traces.end(), "HKeyFromString failed on HKXX\n"), 1);
  EXPECT_EQ(std::count(traces.begin(), traces.end(), "Creating key K\n"), 1);
  EXPECT_EQ(std::count(traces.begin(), traces.end(), "q Type not supported\n"), 1);
  EXPECT_EQ(std::count(traces.begin(), traces.end(), "Failed to register, cleaning up!\n"), 1);
  EXPECT_EQ(std::count(traces.begin(), traces.end(), "Deleting Key K\n"), 1);
}

} // namespace
} // namespace corvane
