#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/com_identifiers.h"
#include "shell/registrar/registrar.h"
#include "tests/common/registered_class_tree.h"
#include "tests/doubles/memory_registry.h"

namespace corvane {
namespace {

using Lines = std::vector<std::string>;

std::string ReadScript() {
  std::ifstream file(CORVANE_RGS_PATH, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

const std::string kClass = std::string("HKCR\\CLSID\\") + kCorvaneShellClassId;

// The module path as the self-registration binds it: single quotes doubled.
constexpr const char* kModule = "C:\\Program Files\\Tam''s\\Corvane.dll";

// Registered, the classes root holds the class tree below the CLSID key, which stays.
Lines RegisteredTree() {
  Lines lines = test::RegisteredClassTree("C:\\Program Files\\Tam's\\Corvane.dll");
  lines.insert(lines.begin(), "HKCR\\CLSID");
  return lines;
}

class CorvaneScript : public ::testing::Test {
protected:
  void SetUp() override {
    script_ = ReadScript();
    ASSERT_FALSE(script_.empty()) << "cannot read " << CORVANE_RGS_PATH;
    ASSERT_EQ(registrar_.AddReplacementEntry("Module", kModule), kOk);
  }
  void TearDown() override { EXPECT_EQ(registry_.OpenHandleCount(), 0u); }

  std::string script_;
  MemoryRegistry registry_;
  Registrar registrar_{registry_};
};

TEST_F(CorvaneScript, IsTabIndentedWithCarriageReturnLineFeedAfterEveryLine) {
  ASSERT_GE(script_.size(), 2u);
  EXPECT_EQ(script_.substr(script_.size() - 2), "\r\n");
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = script_.find('\n', at)) != std::string::npos; ++at) {
    ++lines;
    EXPECT_EQ(script_[at - 1], '\r');
  }
  EXPECT_EQ(lines, 26u);
  EXPECT_NE(script_.find("\r\n\t\t\t\tval ThreadingModel = s 'Apartment'\r\n"), std::string::npos);
  EXPECT_EQ(script_.find("    "), std::string::npos);
}

TEST_F(CorvaneScript, RegisteringWritesTheClassItsProgIdsAndServerEntry) {
  ASSERT_EQ(registrar_.ApplyScript(script_.c_str(), true), kOk);
  EXPECT_EQ(registry_.Dump(), RegisteredTree());
}

TEST_F(CorvaneScript, RegisteringTwiceReplacesStrayKeysBelowTheClass) {
  ASSERT_EQ(registrar_.ApplyScript(script_.c_str(), true), kOk);
  registry_.AddString(std::string(kClass) + "\\Stray", "", "x");
  registry_.AddString(std::string(kClass) + "\\Programmable\\Stray", "", "x");
  ASSERT_EQ(registrar_.ApplyScript(script_.c_str(), true), kOk);
  EXPECT_EQ(registry_.Dump(), RegisteredTree());
}

TEST_F(CorvaneScript, UnregisteringKeepsClsidAndOtherClasses) {
  registry_.AddString("HKCR\\CLSID\\{Other}\\InprocServer32", "", "other.dll");
  registry_.AddString("HKCR\\.txt", "", "txtfile");
  const Lines before = registry_.Dump();
  ASSERT_EQ(registrar_.ApplyScript(script_.c_str(), true), kOk);
  ASSERT_EQ(registrar_.ApplyScript(script_.c_str(), false), kOk);
  EXPECT_EQ(registry_.Dump(), before);
}

TEST_F(CorvaneScript, UnregisteringRemovesEverythingButAnEmptyClsidKey) {
  ASSERT_EQ(registrar_.ApplyScript(script_.c_str(), true), kOk);
  ASSERT_EQ(registrar_.ApplyScript(script_.c_str(), false), kOk);
  EXPECT_EQ(registry_.Dump(), Lines{"HKCR\\CLSID"});
  // Nothing registered: nothing changes.
  ASSERT_EQ(registrar_.ApplyScript(script_.c_str(), false), kOk);
  EXPECT_EQ(registry_.Dump(), Lines{"HKCR\\CLSID"});
}

TEST_F(CorvaneScript, FailedRegistrationRemovesWhatItWrote) {
  registry_.AddKey("HKCR\\CLSID\\{Other}");
  registry_.PlantFailure(MemoryRegistry::Operation::SetValue, "ThreadingModel", kErrorAccessDenied);
  EXPECT_EQ(registrar_.ApplyScript(script_.c_str(), true), HResultFromWin32(kErrorAccessDenied));
  EXPECT_EQ(registry_.Dump(), (Lines{"HKCR\\CLSID", "HKCR\\CLSID\\{Other}"}));
}

} // namespace
} // namespace corvane
