// A registry kept in memory, with the system registry's rules that the registrar depends on:
// case-insensitive names, handles that outlive deleted keys, access checks, no deletion of a key
// that still has subkeys. Tests and the fuzzer run the registrar over it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/registrar/registry.h"

namespace corvane {

class MemoryRegistry final : public Registry {
public:
  // Which operation a planted failure hits.
  enum class Operation { Open, Create, Close, DeleteKey, DeleteValue, SetValue, QueryCounts };

  struct Value {
    std::string name;
    std::uint32_t type = 0;
    std::vector<unsigned char> data;
  };

  MemoryRegistry();
  ~MemoryRegistry() override;

  RegKey Root(RootKey root) override;
  std::uint32_t OpenKey(RegKey parent, const char* name, std::uint32_t access,
                        RegKey* key) override;
  std::uint32_t CreateKey(RegKey parent, const char* name, RegKey* key) override;
  std::uint32_t CloseKey(RegKey key) override;
  std::uint32_t DeleteKey(RegKey parent, const char* name) override;
  std::uint32_t DeleteValue(RegKey key, const char* name) override;
  std::uint32_t SetValue(RegKey key, const char* name, std::uint32_t type, const void* data,
                         std::uint32_t size) override;
  std::uint32_t QueryCounts(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) override;
  std::uint32_t EnumKeyName(RegKey key, std::uint32_t index, std::string* name) override;

  // Makes every `operation` on a key whose path (like "HKCR\Abc\Def") or value whose name equals
  // `target`, without case, fail with `error`.
  void PlantFailure(Operation operation, const std::string& target, std::uint32_t error);

  // Test helpers over paths such as "HKCR\Abc\Def"; the roots are HKCR, HKCU, HKLM, HKU, HKPD,
  // HKDD, HKCC.
  bool KeyExists(const std::string& path) const;
  // Creates every missing key on the path.
  void AddKey(const std::string& path);
  void AddValue(const std::string& path, const std::string& name, std::uint32_t type,
                const std::vector<unsigned char>& data);
  void AddString(const std::string& path, const std::string& name, const std::string& text);
  // Null when the key or the value is missing; the empty name is the default value.
  const Value* FindValue(const std::string& path, const std::string& name) const;
  // One line per key ("HKCR\Abc") and per value ("HKCR\Abc|name=1:text" for strings, hex bytes
  // otherwise), sorted; the roots themselves are left out.
  std::vector<std::string> Dump() const;
  std::size_t OpenHandleCount() const { return handles_.size(); }

private:
  struct Node;
  struct Handle {
    std::shared_ptr<Node> node;
    std::uint32_t access;
  };
  struct Planted {
    Operation operation;
    std::string target;
    std::uint32_t error;
  };

  std::uint32_t Resolve(RegKey key, std::uint32_t access, std::shared_ptr<Node>* node) const;
  std::uint32_t PlantedError(Operation operation, const std::string& target) const;
  RegKey NewHandle(const std::shared_ptr<Node>& node, std::uint32_t access);
  Node* FindNode(const std::string& path) const;

  std::vector<std::shared_ptr<Node>> roots_;
  std::map<RegKey, Handle> handles_;
  RegKey nextHandle_;
  std::vector<Planted> planted_;
};

} // namespace corvane
