#include "tests/doubles/memory_registry.h"

#include <algorithm>
#include <cstdio>

#include "common/ascii_case.h"
#include "tests/common/lower_ascii_text.h"

namespace corvane {

namespace {

constexpr const char* kRootNames[] = {"HKCR", "HKCU", "HKLM", "HKU", "HKPD", "HKDD", "HKCC"};
constexpr std::size_t kRootCount = sizeof kRootNames / sizeof kRootNames[0];
constexpr std::size_t kMaxKeyNameLength = 255;

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find('\\', start);
    parts.push_back(path.substr(start, end - start));
    if (end == std::string::npos) {
      return parts;
    }
    start = end + 1;
  }
}

} // namespace

struct MemoryRegistry::Node {
  std::string name;
  std::string path;
  bool deleted = false;
  // Keyed by the lower-case name, which also gives the system's enumeration order.
  std::map<std::string, std::shared_ptr<Node>> children;
  std::vector<Value> values;

  Value* FindValue(const std::string& valueName) {
    for (Value& value : values) {
      if (EqualsNoCase(value.name.c_str(), valueName.c_str())) {
        return &value;
      }
    }
    return nullptr;
  }
};

MemoryRegistry::MemoryRegistry() : nextHandle_(kRootCount + 1) {
  for (const char* name : kRootNames) {
    auto root = std::make_shared<Node>();
    root->name = name;
    root->path = name;
    roots_.push_back(root);
  }
}

MemoryRegistry::~MemoryRegistry() = default;

RegKey MemoryRegistry::Root(RootKey root) {
  return static_cast<RegKey>(root) + 1;
}

std::uint32_t MemoryRegistry::Resolve(RegKey key, std::uint32_t access,
                                      std::shared_ptr<Node>* node) const {
  if (key >= 1 && key <= kRootCount) {
    *node = roots_[key - 1];
    return kErrorSuccess;
  }
  const auto found = handles_.find(key);
  if (found == handles_.end()) {
    return kErrorInvalidHandle;
  }
  if ((found->second.access & access) != access) {
    return kErrorAccessDenied;
  }
  if (found->second.node->deleted) {
    return kErrorKeyDeleted;
  }
  *node = found->second.node;
  return kErrorSuccess;
}

std::uint32_t MemoryRegistry::PlantedError(Operation operation, const std::string& target) const {
  for (const Planted& planted : planted_) {
    if (planted.operation == operation && EqualsNoCase(planted.target.c_str(), target.c_str())) {
      return planted.error;
    }
  }
  return kErrorSuccess;
}

RegKey MemoryRegistry::NewHandle(const std::shared_ptr<Node>& node, std::uint32_t access) {
  const RegKey key = nextHandle_++;
  handles_[key] = Handle{node, access};
  return key;
}

std::uint32_t MemoryRegistry::OpenKey(RegKey parent, const char* name, std::uint32_t access,
                                      RegKey* key) {
  if (key == nullptr) {
    return kErrorInvalidParameter;
  }
  *key = 0;
  std::shared_ptr<Node> node;
  std::uint32_t error = Resolve(parent, 0, &node);
  if (error != kErrorSuccess) {
    return error;
  }
  if (name != nullptr && *name != '\0') {
    for (const std::string& part : SplitPath(name)) {
      const auto child = node->children.find(test::LowerAsciiText(part));
      if (child == node->children.end()) {
        return kErrorFileNotFound;
      }
      node = child->second;
    }
  }
  if ((error = PlantedError(Operation::Open, node->path)) != kErrorSuccess) {
    return error;
  }
  *key = NewHandle(node, access);
  return kErrorSuccess;
}

std::uint32_t MemoryRegistry::CreateKey(RegKey parent, const char* name, RegKey* key) {
  if (key == nullptr || name == nullptr) {
    return kErrorInvalidParameter;
  }
  *key = 0;
  std::shared_ptr<Node> node;
  std::uint32_t error = Resolve(parent, kKeyCreateSubKey, &node);
  if (error != kErrorSuccess) {
    return error;
  }
  for (const std::string& part : SplitPath(name)) {
    if (part.empty() || part.size() > kMaxKeyNameLength) {
      return kErrorInvalidParameter;
    }
    std::shared_ptr<Node>& child = node->children[test::LowerAsciiText(part)];
    if (child == nullptr) {
      const std::string path = node->path + "\\" + part;
      if ((error = PlantedError(Operation::Create, path)) != kErrorSuccess) {
        node->children.erase(test::LowerAsciiText(part));
        return error;
      }
      child = std::make_shared<Node>();
      child->name = part;
      child->path = path;
    }
    node = child;
  }
  *key = NewHandle(node, kKeyReadWrite);
  return kErrorSuccess;
}

std::uint32_t MemoryRegistry::CloseKey(RegKey key) {
  if (key >= 1 && key <= kRootCount) {
    return kErrorSuccess;
  }
  const auto found = handles_.find(key);
  if (found == handles_.end()) {
    return kErrorInvalidHandle;
  }
  const std::uint32_t error = PlantedError(Operation::Close, found->second.node->path);
  handles_.erase(found);
  return error;
}

std::uint32_t MemoryRegistry::DeleteKey(RegKey parent, const char* name) {
  if (name == nullptr || *name == '\0') {
    return kErrorInvalidParameter;
  }
  std::shared_ptr<Node> node;
  std::uint32_t error = Resolve(parent, 0, &node);
  if (error != kErrorSuccess) {
    return error;
  }
  const auto child = node->children.find(test::LowerAsciiText(name));
  if (child == node->children.end()) {
    return kErrorFileNotFound;
  }
  if (!child->second->children.empty()) {
    return kErrorAccessDenied;
  }
  if ((error = PlantedError(Operation::DeleteKey, child->second->path)) != kErrorSuccess) {
    return error;
  }
  child->second->deleted = true;
  node->children.erase(child);
  return kErrorSuccess;
}

std::uint32_t MemoryRegistry::DeleteValue(RegKey key, const char* name) {
  std::shared_ptr<Node> node;
  std::uint32_t error = Resolve(key, kKeySetValue, &node);
  if (error != kErrorSuccess) {
    return error;
  }
  const std::string valueName = name != nullptr ? name : "";
  if ((error = PlantedError(Operation::DeleteValue, valueName)) != kErrorSuccess) {
    return error;
  }
  Value* value = node->FindValue(valueName);
  if (value == nullptr) {
    return kErrorFileNotFound;
  }
  node->values.erase(node->values.begin() + (value - node->values.data()));
  return kErrorSuccess;
}

std::uint32_t MemoryRegistry::SetValue(RegKey key, const char* name, std::uint32_t type,
                                       const void* data, std::uint32_t size) {
  if (data == nullptr && size != 0) {
    return kErrorInvalidParameter;
  }
  std::shared_ptr<Node> node;
  std::uint32_t error = Resolve(key, kKeySetValue, &node);
  if (error != kErrorSuccess) {
    return error;
  }
  const std::string valueName = name != nullptr ? name : "";
  if ((error = PlantedError(Operation::SetValue, valueName)) != kErrorSuccess) {
    return error;
  }
  Value* value = node->FindValue(valueName);
  if (value == nullptr) {
    node->values.push_back(Value{valueName, 0, {}});
    value = &node->values.back();
  }
  value->type = type;
  const auto* bytes = static_cast<const unsigned char*>(data);
  value->data.assign(bytes, bytes + size);
  return kErrorSuccess;
}

std::uint32_t MemoryRegistry::QueryCounts(RegKey key, std::uint32_t* subkeys,
                                          std::uint32_t* values) {
  std::shared_ptr<Node> node;
  std::uint32_t error = Resolve(key, kKeyQueryValue, &node);
  if (error != kErrorSuccess) {
    return error;
  }
  if ((error = PlantedError(Operation::QueryCounts, node->path)) != kErrorSuccess) {
    return error;
  }
  *subkeys = static_cast<std::uint32_t>(node->children.size());
  *values = static_cast<std::uint32_t>(node->values.size());
  return kErrorSuccess;
}

std::uint32_t MemoryRegistry::EnumKeyName(RegKey key, std::uint32_t index, std::string* name) {
  std::shared_ptr<Node> node;
  const std::uint32_t error = Resolve(key, kKeyEnumerateSubKeys, &node);
  if (error != kErrorSuccess) {
    return error;
  }
  if (index >= node->children.size()) {
    return kErrorNoMoreItems;
  }
  *name = std::next(node->children.begin(), index)->second->name;
  return kErrorSuccess;
}

void MemoryRegistry::PlantFailure(Operation operation, const std::string& target,
                                  std::uint32_t error) {
  planted_.push_back(Planted{operation, target, error});
}

MemoryRegistry::Node* MemoryRegistry::FindNode(const std::string& path) const {
  const std::vector<std::string> parts = SplitPath(path);
  Node* node = nullptr;
  for (std::size_t i = 0; i < kRootCount; ++i) {
    if (EqualsNoCase(parts[0].c_str(), kRootNames[i])) {
      node = roots_[i].get();
    }
  }
  for (std::size_t i = 1; node != nullptr && i < parts.size(); ++i) {
    const auto child = node->children.find(test::LowerAsciiText(parts[i]));
    node = child == node->children.end() ? nullptr : child->second.get();
  }
  return node;
}

bool MemoryRegistry::KeyExists(const std::string& path) const {
  return FindNode(path) != nullptr;
}

void MemoryRegistry::AddKey(const std::string& path) {
  const std::size_t split = path.find('\\');
  for (std::size_t i = 0; i < kRootCount; ++i) {
    if (EqualsNoCase(path.substr(0, split).c_str(), kRootNames[i]) && split != std::string::npos) {
      RegKey key = 0;
      if (CreateKey(i + 1, path.substr(split + 1).c_str(), &key) == kErrorSuccess) {
        CloseKey(key);
      }
    }
  }
}

void MemoryRegistry::AddValue(const std::string& path, const std::string& name, std::uint32_t type,
                              const std::vector<unsigned char>& data) {
  AddKey(path);
  Node* node = FindNode(path);
  if (node == nullptr) {
    return;
  }
  Value* value = node->FindValue(name);
  if (value == nullptr) {
    node->values.push_back(Value{name, type, data});
  } else {
    value->type = type;
    value->data = data;
  }
}

void MemoryRegistry::AddString(const std::string& path, const std::string& name,
                               const std::string& text) {
  std::vector<unsigned char> data(text.begin(), text.end());
  data.push_back(0);
  AddValue(path, name, kRegSz, data);
}

const MemoryRegistry::Value* MemoryRegistry::FindValue(const std::string& path,
                                                       const std::string& name) const {
  Node* node = FindNode(path);
  return node == nullptr ? nullptr : node->FindValue(name);
}

std::vector<std::string> MemoryRegistry::Dump() const {
  std::vector<std::string> lines;
  std::vector<const Node*> pending;
  for (const auto& root : roots_) {
    pending.push_back(root.get());
  }
  while (!pending.empty()) {
    const Node* node = pending.back();
    pending.pop_back();
    const bool isRoot = node->path.find('\\') == std::string::npos;
    if (!isRoot) {
      lines.push_back(node->path);
    }
    for (const Value& value : node->values) {
      std::string line = node->path + "|" + value.name + "=" + std::to_string(value.type) + ":";
      if (value.type == kRegSz) {
        line.append(value.data.begin(), value.data.end());
        if (!line.empty() && line.back() == '\0') {
          line.pop_back();
        }
      } else {
        for (unsigned char byte : value.data) {
          char hex[3];
          std::snprintf(hex, sizeof hex, "%02X", byte);
          line += hex;
        }
      }
      lines.push_back(line);
    }
    for (const auto& child : node->children) {
      pending.push_back(child.second.get());
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

} // namespace corvane
