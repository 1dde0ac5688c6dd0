#include "shell/registrar/registrar.h"

#include <cstring>
#include <new>
#include <vector>

#include "common/ascii_case.h"
#include "common/diagnostic_trace.h"

namespace corvane {

namespace {

struct RootKeyName {
  const char* shortName;
  const char* longName;
  RootKey root;
};

constexpr RootKeyName kRootKeyNames[] = {
    {"HKCR", "HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
    {"HKCU", "HKEY_CURRENT_USER", RootKey::CurrentUser},
    {"HKLM", "HKEY_LOCAL_MACHINE", RootKey::LocalMachine},
    {"HKU", "HKEY_USERS", RootKey::Users},
    {"HKPD", "HKEY_PERFORMANCE_DATA", RootKey::PerformanceData},
    {"HKDD", "HKEY_DYN_DATA", RootKey::DynData},
    {"HKCC", "HKEY_CURRENT_CONFIG", RootKey::CurrentConfig},
};

// Keys that no script may remove by force, at any depth: other software lives below them.
bool IsNeverDeleted(const std::string& name) {
  return EqualsNoCase(name.c_str(), "CLSID") || EqualsNoCase(name.c_str(), "TYPELIB");
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// The module path is stored with its single quotes doubled, ready for a quoted token.
std::string UndoubleQuotes(const char* text) {
  std::string result;
  for (; *text != '\0'; ++text) {
    result.push_back(*text);
    if (text[0] == '\'' && text[1] == '\'') {
      ++text;
    }
  }
  return result;
}

} // namespace

bool ParseDecimalUInt32(const char* text, std::uint32_t* number) noexcept {
  if (text == nullptr || number == nullptr || *text == '\0') {
    return false;
  }
  std::uint64_t value = 0;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') {
      return false;
    }
    value = value * 10 + static_cast<std::uint64_t>(*text - '0');
    if (value > 0xFFFFFFFFu) {
      return false;
    }
  }
  *number = static_cast<std::uint32_t>(value);
  return true;
}

std::optional<RootKey> HKeyFromString(const char* name) noexcept {
  if (name == nullptr) {
    return std::nullopt;
  }
  for (const RootKeyName& entry : kRootKeyNames) {
    if (EqualsNoCase(name, entry.shortName) || EqualsNoCase(name, entry.longName)) {
      return entry.root;
    }
  }
  return std::nullopt;
}

Registrar::Registrar(Registry& registry, LeadBytePredicate isLeadByte,
                     NumberConverter toNumber) noexcept
    : registry_(registry), toNumber_(toNumber != nullptr ? toNumber : ParseDecimalUInt32),
      reader_("", isLeadByte) {}

HResult Registrar::ExpandPlaceholders(const char* text, std::string& expanded) const {
  expanded.clear();
  expanded.reserve(std::strlen(text) * 2 + 2);
  const char* at = text;
  while (*at != '\0') {
    if (*at != '%') {
      const std::size_t length = reader_.CharLength(at);
      expanded.append(at, length);
      at += length;
      continue;
    }
    if (at[1] == '%') {
      expanded.push_back('%');
      at += 2;
      continue;
    }
    const char* nameStart = at + 1;
    const char* end = nameStart;
    while (*end != '\0' && *end != '%') {
      end += reader_.CharLength(end);
    }
    if (*end == '\0') {
      Trace("Error no closing %% found\n");
      return kDispException;
    }
    const std::size_t nameLength = static_cast<std::size_t>(end - nameStart);
    if (nameLength > kMaxPlaceholderNameLength) {
      return kFail;
    }
    const std::string name(nameStart, nameLength);
    const char* replacement = map_.FindReplacement(name.c_str());
    if (replacement == nullptr) {
      Trace("Map Entry not found\n");
      return kDispException;
    }
    expanded.append(replacement);
    at = end + 1;
  }
  return kOk;
}

HResult Registrar::ApplyScript(const char* text, bool doRegister) noexcept {
  if (text == nullptr) {
    return kFail;
  }
  HResult result = kOk;
  try {
    std::string expanded;
    result = ExpandPlaceholders(text, expanded);
    if (Failed(result)) {
      return result;
    }
    reader_.Reset(expanded.c_str());
    // Leading white space is no root block: a script may start with an empty line.
    reader_.SkipWhiteSpace();
    std::string token;
    while (!reader_.AtEnd()) {
      result = reader_.NextToken(token);
      if (Failed(result)) {
        break;
      }
      const std::optional<RootKey> root = HKeyFromString(token.c_str());
      if (!root) {
        Trace("HKeyFromString failed on %s\n", token.c_str());
        result = kDispException;
        break;
      }
      result = reader_.NextToken(token);
      if (Failed(result)) {
        break;
      }
      if (token != "{") {
        Trace("Syntax error, expecting a {, found a %s\n", token.c_str());
        result = kDispException;
        break;
      }
      const std::size_t blockStart = reader_.Position();
      const RegKey rootKey = registry_.Root(*root);
      try {
        result = WalkBlock(rootKey, doRegister, false, 1);
      } catch (const std::bad_alloc&) {
        result = kOutOfMemory;
      }
      if (Failed(result)) {
        if (doRegister) {
          Trace("Failed to register, cleaning up!\n");
          reader_.SetPosition(blockStart);
          try {
            WalkBlock(rootKey, false, false, 1);
          } catch (const std::bad_alloc&) {
          }
        }
        break;
      }
      reader_.SkipWhiteSpace();
    }
  } catch (const std::bad_alloc&) {
    result = kOutOfMemory;
  }
  reader_.Reset("");
  return result;
}

HResult Registrar::WalkBlock(RegKey parent, bool doRegister, bool recovery, int depth) {
  if (depth > kMaxBlockDepth) {
    return kDispException;
  }
  Trace("Num Els = %d\n", static_cast<int>(map_.Count()));
  std::string token;
  HResult result = reader_.NextToken(token);
  while (!Failed(result) && token != "}") {
    // "NoRemove" protects the one item it precedes.
    bool deleteMark = true;
    if (EqualsNoCase(token.c_str(), "ForceRemove") || EqualsNoCase(token.c_str(), "Delete")) {
      const bool deleteOnly = EqualsNoCase(token.c_str(), "Delete");
      if (Failed(result = reader_.NextToken(token))) {
        break;
      }
      if (doRegister) {
        if (!IsValidKeyName(token)) {
          return kDispException;
        }
        if (!IsNeverDeleted(token)) {
          DeleteKeyTree(parent, token.c_str());
        }
        if (deleteOnly) {
          if (Failed(result = reader_.NextToken(token)) || Failed(result = SkipAssignment(token))) {
            break;
          }
          // A deleted key holds no sub-block.
          if (token == "{") {
            return kDispException;
          }
          continue;
        }
      }
    }
    if (EqualsNoCase(token.c_str(), "NoRemove")) {
      deleteMark = false;
      if (Failed(result = reader_.NextToken(token))) {
        break;
      }
    }
    if (EqualsNoCase(token.c_str(), "Val")) {
      std::string name;
      if (Failed(result = reader_.NextToken(name)) || Failed(result = reader_.NextToken(token))) {
        break;
      }
      if (name.size() > kMaxValueNameLength || token != "=") {
        return kDispException;
      }
      if (doRegister) {
        result = WriteValue(parent, name.c_str(), false, token);
      } else {
        result = UnregisterValueItem(parent, name, recovery);
        if (!Failed(result)) {
          result = SkipAssignment(token);
        }
      }
      // A value holds no sub-block.
      if (!Failed(result) && token == "{") {
        return kDispException;
      }
      continue;
    }
    if (!IsValidKeyName(token)) {
      return kDispException;
    }
    if (!doRegister) {
      result = UnregisterKeyItem(parent, token, recovery, deleteMark, depth);
      continue;
    }
    ScopedKey key(registry_);
    if (Failed(result = RegisterKeyItem(parent, token, key))) {
      break;
    }
    if (token == "{") {
      if (Failed(result = WalkBlock(key.Get(), true, false, depth + 1))) {
        break;
      }
      result = reader_.NextToken(token);
    }
  }
  return result;
}

bool Registrar::IsValidKeyName(const std::string& name) const noexcept {
  // An empty name would stand for the parent itself.
  if (name.empty()) {
    return false;
  }
  for (const char* at = name.c_str(); *at != '\0'; at += reader_.CharLength(at)) {
    if (*at == '\\') {
      return false;
    }
  }
  return true;
}

std::uint32_t Registrar::OpenKey(RegKey parent, const char* name, std::uint32_t access,
                                 ScopedKey& key) {
  RegKey opened = 0;
  const std::uint32_t error = registry_.OpenKey(parent, name, access, &opened);
  if (error == kErrorSuccess) {
    *key.Receive() = opened;
  }
  return error;
}

HResult Registrar::RegisterKeyItem(RegKey parent, std::string& token, ScopedKey& key) {
  const char* name = token.c_str();
  if (OpenKey(parent, name, kKeyAllAccess, key) != kErrorSuccess &&
      OpenKey(parent, name, kKeyRead, key) != kErrorSuccess) {
    Trace("Creating key %s\n", name);
    RegKey created = 0;
    if (registry_.CreateKey(parent, name, &created) != kErrorSuccess) {
      return kDispException;
    }
    *key.Receive() = created;
  }
  const bool localServer = EqualsNoCase(name, "LocalServer32");
  HResult result = reader_.NextToken(token);
  if (!Failed(result) && token == "=") {
    result = WriteValue(key.Get(), nullptr, localServer, token);
  }
  return result;
}

HResult Registrar::UnregisterKeyItem(RegKey parent, std::string& token, bool recovery,
                                     bool deleteMark, int depth) {
  const std::string name = token;
  ScopedKey key(registry_);
  // An absent key puts this one item, with its sub-block, into recovery mode.
  const bool absent = recovery || OpenKey(parent, name.c_str(), kKeyRead, key) != kErrorSuccess;
  HResult result = reader_.NextToken(token);
  if (!Failed(result)) {
    result = SkipAssignment(token);
  }
  if (!Failed(result) && token == "{") {
    result = WalkBlock(absent ? 0 : key.Get(), false, absent, depth + 1);
    if (!Failed(result)) {
      if (absent && !recovery) {
        Trace("Ending Recovery Mode\n");
      }
      result = reader_.NextToken(token);
    }
  }
  if (Failed(result) || absent) {
    return result;
  }
  // What other software put below the key stays, and so does the key.
  if (HasSubkeys(key.Get())) {
    return kOk;
  }
  if (key.Close() != kErrorSuccess) {
    return kDispException;
  }
  if (deleteMark) {
    Trace("Deleting Key %s\n", name.c_str());
    registry_.DeleteKey(parent, name.c_str());
  }
  return kOk;
}

HResult Registrar::UnregisterValueItem(RegKey parent, const std::string& name, bool recovery) {
  if (recovery) {
    return kOk;
  }
  ScopedKey key(registry_);
  std::uint32_t error = OpenKey(parent, "", kKeyWrite, key);
  if (error != kErrorSuccess) {
    return HResultFromWin32(error);
  }
  Trace("Deleting %s\n", name.c_str());
  error = registry_.DeleteValue(key.Get(), name.c_str());
  if (error != kErrorSuccess && error != kErrorFileNotFound) {
    return HResultFromWin32(error);
  }
  return kOk;
}

HResult Registrar::WriteValue(RegKey key, const char* name, bool localServer, std::string& token) {
  std::string type;
  HResult result = reader_.NextToken(type);
  if (Failed(result)) {
    return result;
  }
  const char letter = type.size() == 1 ? type[0] : '\0';
  if (letter != 'S' && letter != 's' && letter != 'D' && letter != 'd' && letter != 'B' &&
      letter != 'b') {
    Trace("%s Type not supported\n", type.c_str());
    return kDispException;
  }
  reader_.SkipWhiteSpace();
  std::string value;
  if (Failed(result = reader_.NextToken(value))) {
    return result;
  }
  const char* shownName = name != nullptr ? name : "default";
  std::uint32_t error = kErrorSuccess;
  if (letter == 'S' || letter == 's') {
    if (localServer) {
      if (value.size() > 4094) {
        return kFail;
      }
      QuoteModulePath(value);
    }
    Trace("Setting Value %s at %s\n", value.c_str(), shownName);
    error = registry_.SetValue(key, name, kRegSz, value.c_str(),
                               static_cast<std::uint32_t>(value.size() + 1));
  } else if (letter == 'D' || letter == 'd') {
    std::uint32_t number = 0;
    if (!toNumber_(value.c_str(), &number)) {
      return kDispException;
    }
    Trace("Setting Value %u at %s\n", number, shownName);
    error = registry_.SetValue(key, name, kRegDword, &number, sizeof number);
  } else {
    if (value.size() % 2 != 0) {
      Trace("Binary Data does not fall on BYTE boundries\n");
      return kFail;
    }
    std::vector<unsigned char> bytes(value.size() / 2);
    for (std::size_t i = 0; i < value.size(); ++i) {
      int digit = HexDigitValue(value[i]);
      if (digit < 0) {
        Trace("Bogus value %c passed as binary Hex value\n", value[i]);
        digit = 0;
      }
      bytes[i / 2] = static_cast<unsigned char>(bytes[i / 2] | (i % 2 == 0 ? digit << 4 : digit));
    }
    error = registry_.SetValue(key, name, kRegBinary, bytes.data(),
                               static_cast<std::uint32_t>(bytes.size()));
  }
  if (error != kErrorSuccess) {
    return HResultFromWin32(error);
  }
  return reader_.NextToken(token);
}

void Registrar::QuoteModulePath(std::string& value) const {
  const char* module = map_.FindReplacement("Module");
  if (module == nullptr || *module == '\0') {
    return;
  }
  const std::string path = UndoubleQuotes(module);
  const std::size_t at = value.find(path);
  if (at == std::string::npos || (at > 0 && value[at - 1] == '"')) {
    return;
  }
  value = value.substr(0, at) + '"' + path + '"' + value.substr(at + path.size());
}

HResult Registrar::SkipAssignment(std::string& token) {
  if (token != "=") {
    return kOk;
  }
  std::string skipped;
  HResult result = reader_.NextToken(skipped);
  if (!Failed(result)) {
    reader_.SkipWhiteSpace();
    result = reader_.NextToken(skipped);
  }
  if (!Failed(result)) {
    result = reader_.NextToken(token);
  }
  return result;
}

std::uint32_t Registrar::DeleteKeyTree(RegKey parent, const char* name) {
  ScopedKey key(registry_);
  std::uint32_t error = OpenKey(parent, name, kKeyReadWrite, key);
  if (error != kErrorSuccess) {
    return error;
  }
  std::string subkey;
  while ((error = registry_.EnumKeyName(key.Get(), 0, &subkey)) == kErrorSuccess) {
    if ((error = DeleteKeyTree(key.Get(), subkey.c_str())) != kErrorSuccess) {
      return error;
    }
  }
  if (error != kErrorNoMoreItems) {
    return error;
  }
  key.Close();
  return registry_.DeleteKey(parent, name);
}

bool Registrar::HasSubkeys(RegKey key) {
  std::uint32_t subkeys = 0;
  std::uint32_t values = 0;
  return registry_.QueryCounts(key, &subkeys, &values) == kErrorSuccess && subkeys > 0;
}

} // namespace corvane
