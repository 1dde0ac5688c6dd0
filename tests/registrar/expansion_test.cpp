#include <gtest/gtest.h>

#include <string>

#include "shell/registrar/registrar.h"
#include "tests/doubles/memory_registry.h"

namespace corvane {
namespace {

struct ExpansionCase {
  const char* text;
  HResult result;
  const char* expanded;
};

TEST(Expansion, ReplacesPlaceholdersFromTheMap) {
  MemoryRegistry registry;
  Registrar registrar(registry);
  ASSERT_EQ(registrar.AddReplacementEntry("Module", "C:\\A''b\\x.dll"), kOk);
  ASSERT_EQ(registrar.AddReplacementEntry("Name", "first"), kOk);
  ASSERT_EQ(registrar.AddReplacementEntry("NAME", "second"), kOk);
  ASSERT_EQ(registrar.AddReplacementEntry(std::string(31, 'n').c_str(), "long"), kOk);
  const ExpansionCase cases[] = {
      {"no placeholders", kOk, "no placeholders"},
      {"100%%", kOk, "100%"},
      {"%%MODULE%%", kOk, "%MODULE%"},
      {"'%MODULE%'", kOk, "'C:\\A''b\\x.dll'"},
      {"%module%|%Module%", kOk, "C:\\A''b\\x.dll|C:\\A''b\\x.dll"},
      {"%name%", kOk, "first"},
      {"[%nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn%]", kOk, "[long]"},
      {"%nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn%", kFail, ""},
      {"%Missing%", kDispException, ""},
      {"%MODULE", kDispException, ""},
      {"abc%", kDispException, ""},
      {"", kOk, ""},
  };
  for (const ExpansionCase& c : cases) {
    std::string expanded;
    EXPECT_EQ(registrar.ExpandPlaceholders(c.text, expanded), c.result) << c.text;
    if (c.result == kOk) {
      EXPECT_EQ(expanded, c.expanded) << c.text;
    }
  }
}

TEST(Expansion, ReplacementTextTakesEffectAsScript) {
  MemoryRegistry registry;
  Registrar registrar(registry);
  ASSERT_EQ(registrar.AddReplacementEntry("Body", "Abc = s 'x' { val v = d 7 }"), kOk);
  ASSERT_EQ(registrar.ApplyScript("HKCU { %BODY% }", true), kOk);
  EXPECT_EQ(registry.Dump(),
            (std::vector<std::string>{"HKCU\\Abc", "HKCU\\Abc|=1:x", "HKCU\\Abc|v=4:07000000"}));
}

TEST(ReplacementMap, GrowsPastItsFirstRoomAndClearsToEmpty) {
  ReplacementMap map;
  for (int i = 0; i < 45; ++i) {
    const std::string name = "n" + std::to_string(i);
    ASSERT_EQ(map.AddReplacementEntry(name.c_str(), std::to_string(i * 2).c_str()), kOk);
  }
  EXPECT_EQ(map.Count(), 45u);
  EXPECT_STREQ(map.FindReplacement("N44"), "88");
  EXPECT_STREQ(map.FindReplacement("n0"), "0");
  EXPECT_EQ(map.FindReplacement("n45"), nullptr);
  EXPECT_EQ(map.AddReplacementEntry(nullptr, "x"), kFail);
  map.ClearReplacementMap();
  EXPECT_EQ(map.Count(), 0u);
  EXPECT_EQ(map.FindReplacement("n0"), nullptr);
}

TEST(RootKeys, AllFourteenNamesInAnyCase) {
  const struct {
    const char* name;
    RootKey root;
  } cases[] = {
      {"HKCR", RootKey::ClassesRoot},
      {"hkey_classes_root", RootKey::ClassesRoot},
      {"hkcu", RootKey::CurrentUser},
      {"HKEY_CURRENT_USER", RootKey::CurrentUser},
      {"HkLm", RootKey::LocalMachine},
      {"HKEY_LOCAL_MACHINE", RootKey::LocalMachine},
      {"HKU", RootKey::Users},
      {"Hkey_Users", RootKey::Users},
      {"HKPD", RootKey::PerformanceData},
      {"HKEY_PERFORMANCE_DATA", RootKey::PerformanceData},
      {"hkdd", RootKey::DynData},
      {"HKEY_DYN_DATA", RootKey::DynData},
      {"HKCC", RootKey::CurrentConfig},
      {"hkey_current_config", RootKey::CurrentConfig},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HKeyFromString(c.name), std::optional<RootKey>(c.root)) << c.name;
  }
  for (const char* bad : {"", "HKC", "HKCR ", "HKEY_CLASSES", "HKEY_CLASSES_ROOTS", "{"}) {
    EXPECT_FALSE(HKeyFromString(bad).has_value()) << bad;
  }
}

TEST(Numbers, DecimalTextsOfUnsigned32BitNumbersOnly) {
  const struct {
    const char* text;
    bool ok;
    std::uint32_t number;
  } cases[] = {
      {"0", true, 0},           {"42", true, 42},
      {"0042", true, 42},       {"4294967295", true, 0xFFFFFFFFu},
      {"4294967296", false, 0}, {"99999999999999999999", false, 0},
      {"", false, 0},           {"-1", false, 0},
      {"+1", false, 0},         {"1.5", false, 0},
      {"0x10", false, 0},       {" 1", false, 0},
      {"1a", false, 0},
  };
  for (const auto& c : cases) {
    std::uint32_t number = 7;
    EXPECT_EQ(ParseDecimalUInt32(c.text, &number), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(number, c.number) << c.text;
    }
  }
}

} // namespace
} // namespace corvane
