#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "shell/registrar/registrar.h"
#include "tests/common/lower_ascii_text.h"
#include "tests/doubles/memory_registry.h"

namespace corvane {
namespace {

// Builds random but well-formed scripts and remembers which key paths "NoRemove" protects.
class ScriptGenerator {
public:
  explicit ScriptGenerator(unsigned seed) : random_(seed) {}

  std::string Generate() {
    protected_.clear();
    protection_.clear();
    std::string script;
    const int blocks = Pick(1, 3);
    for (int i = 0; i < blocks; ++i) {
      const char* root = Pick(0, 1) == 0 ? "HKCU" : "hkey_classes_root";
      const std::string rootPath = root[0] == 'H' ? "hkcu" : "hkcr";
      script += std::string(root) + "\r\n{\r\n";
      Items(script, rootPath, 1);
      script += "}\r\n";
    }
    return script;
  }

  // Lower-case paths of the keys marked "NoRemove".
  const std::set<std::string>& Protected() const { return protected_; }

private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  std::string Name() {
    static const char* const kNames[] = {
        "Alpha",       "alpha",   "Beta",       "CLSID",         "TypeLib",
        "'Two Words'", "'It''s'", "{6B0F4A10}", "LocalServer32", "x"};
    return kNames[Pick(0, 9)];
  }

  static std::string Unquoted(const std::string& name) {
    if (name.empty() || name[0] != '\'') {
      return name;
    }
    std::string text;
    for (std::size_t i = 1; i + 1 < name.size(); ++i) {
      text.push_back(name[i]);
      if (name[i] == '\'') {
        ++i;
      }
    }
    return text;
  }

  std::string Assignment() {
    switch (Pick(0, 3)) {
    case 0:
      return " = s 'text " + std::to_string(Pick(0, 99)) + "'";
    case 1:
      return " = d " + std::to_string(Pick(0, 100000));
    case 2:
      return " = b '" + std::string(static_cast<std::size_t>(Pick(0, 3)) * 2, 'A') + "'";
    default:
      return "";
    }
  }

  void Items(std::string& script, const std::string& path, int depth) {
    const std::string indent(static_cast<std::size_t>(depth), '\t');
    const int count = Pick(0, 4);
    for (int i = 0; i < count; ++i) {
      if (Pick(0, 4) == 0) {
        std::string value = Assignment();
        script += indent + (Pick(0, 1) ? "val " : "Val ") + Name() +
                  (value.empty() ? " = s ''" : value) + "\r\n";
        continue;
      }
      const std::string name = Name();
      const std::string keyPath = path + "\\" + test::LowerAsciiText(Unquoted(name));
      // A path is protected everywhere or nowhere, so the script means one thing for it.
      const auto known = protection_.find(keyPath);
      const bool isProtected =
          known != protection_.end() ? known->second : (protection_[keyPath] = Pick(0, 3) == 0);
      const int prefix = Pick(0, 4);
      if (!isProtected && prefix == 0) {
        script += indent + "Delete " + name + Assignment() + "\r\n";
        continue;
      }
      script += indent;
      if (isProtected) {
        script += "NoRemove ";
        protected_.insert(keyPath);
      } else if (prefix == 1) {
        script += "ForceRemove ";
      }
      script += name + Assignment() + "\r\n";
      if (depth < 4 && Pick(0, 2) == 0) {
        script += indent + "{\r\n";
        Items(script, keyPath, depth + 1);
        script += indent + "}\r\n";
      }
    }
  }

  std::mt19937 random_;
  std::set<std::string> protected_;
  std::map<std::string, bool> protection_;
};

// After unregistering, a key may stay only when it or a key below it is protected, and the only
// values left are the default values of keys that stay.
void ExpectOnlyProtectedKeysLeft(const MemoryRegistry& registry,
                                 const std::set<std::string>& protectedKeys,
                                 const std::string& script) {
  for (const std::string& line : registry.Dump()) {
    const std::size_t bar = line.find('|');
    if (bar != std::string::npos) {
      EXPECT_EQ(line.compare(bar, 2, "|="), 0) << "named value left: " << line << "\n" << script;
      continue;
    }
    const std::string key = test::LowerAsciiText(line);
    bool covered = false;
    for (const std::string& kept : protectedKeys) {
      if (kept == key || kept.compare(0, key.size() + 1, key + "\\") == 0) {
        covered = true;
      }
    }
    EXPECT_TRUE(covered) << "unprotected key left: " << line << "\n" << script;
  }
}

TEST(ScriptProperty, RegisteringThenUnregisteringLeavesOnlyProtectedKeys) {
  for (unsigned seed = 1; seed <= 400; ++seed) {
    ScriptGenerator generator(seed);
    const std::string script = generator.Generate();
    MemoryRegistry registry;
    Registrar registrar(registry);
    ASSERT_EQ(registrar.ApplyScript(script.c_str(), true), kOk) << script;
    std::vector<std::string> registeredProtected;
    for (const std::string& path : generator.Protected()) {
      if (registry.KeyExists(path)) {
        registeredProtected.push_back(path);
      }
    }
    ASSERT_EQ(registrar.ApplyScript(script.c_str(), false), kOk) << script;
    ExpectOnlyProtectedKeysLeft(registry, generator.Protected(), script);
    for (const std::string& path : registeredProtected) {
      EXPECT_TRUE(registry.KeyExists(path)) << "protected key removed: " << path << "\n" << script;
    }
    // Unregistering again finds nothing more to remove.
    const auto afterFirst = registry.Dump();
    ASSERT_EQ(registrar.ApplyScript(script.c_str(), false), kOk) << script;
    EXPECT_EQ(registry.Dump(), afterFirst) << script;
    EXPECT_EQ(registry.OpenHandleCount(), 0u) << script;
    if (HasFailure()) {
      return;
    }
  }
}

TEST(ScriptProperty, RegisteringTwiceGivesTheSameTree) {
  for (unsigned seed = 1000; seed < 1200; ++seed) {
    ScriptGenerator generator(seed);
    const std::string script = generator.Generate();
    MemoryRegistry registry;
    Registrar registrar(registry);
    ASSERT_EQ(registrar.ApplyScript(script.c_str(), true), kOk) << script;
    const auto once = registry.Dump();
    ASSERT_EQ(registrar.ApplyScript(script.c_str(), true), kOk) << script;
    EXPECT_EQ(registry.Dump(), once) << script;
    if (HasFailure()) {
      return;
    }
  }
}

} // namespace
} // namespace corvane
