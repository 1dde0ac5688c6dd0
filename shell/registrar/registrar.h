// The registration-script interpreter: expands %NAME% placeholders, then writes (registering) or
// removes (unregistering) the tree of keys and values a script describes.
//
//   script     := { rootKey "{" item* "}" }
//   item       := ["ForceRemove" | "NoRemove" | "Delete"] keyName ["=" type value] ["{" item* "}"]
//               | "Val" valueName "=" type value
//   type       := "S" | "D" | "B"
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "shell/registrar/hresult.h"
#include "shell/registrar/registry.h"
#include "shell/registrar/replacement_map.h"
#include "shell/registrar/script_reader.h"

namespace corvane {

// Converts the text of a "D" value; false when it is not an unsigned 32-bit number.
using NumberConverter = bool (*)(const char* text, std::uint32_t* number);

// Decimal digits only, at most 4294967295.
bool ParseDecimalUInt32(const char* text, std::uint32_t* number) noexcept;

// HKCR ... HKCC and HKEY_CLASSES_ROOT ... HKEY_CURRENT_CONFIG, in any letter case.
std::optional<RootKey> HKeyFromString(const char* name) noexcept;

// Blocks may nest this deep; the system's registry allows no deeper key paths either.
inline constexpr int kMaxBlockDepth = 512;
inline constexpr std::size_t kMaxValueNameLength = 259;
inline constexpr std::size_t kMaxPlaceholderNameLength = 31;

class Registrar {
public:
  explicit Registrar(Registry& registry, LeadBytePredicate isLeadByte = nullptr,
                     NumberConverter toNumber = ParseDecimalUInt32) noexcept;

  HResult AddReplacementEntry(const char* name, const char* text) noexcept {
    return map_.AddReplacementEntry(name, text);
  }
  const char* FindReplacement(const char* name) const noexcept {
    return map_.FindReplacement(name);
  }
  void ClearReplacementMap() noexcept { map_.ClearReplacementMap(); }

  // Expands and interprets `text` (up to its first NUL). A failed root block is walked once more
  // for removal before its failure is returned; earlier blocks stay registered.
  HResult ApplyScript(const char* text, bool doRegister) noexcept;

  // Replaces %NAME% from the map and %% by %.
  HResult ExpandPlaceholders(const char* text, std::string& expanded) const;

private:
  HResult WalkBlock(RegKey parent, bool doRegister, bool recovery, int depth);
  HResult RegisterKeyItem(RegKey parent, std::string& token, ScopedKey& key);
  HResult UnregisterKeyItem(RegKey parent, std::string& token, bool recovery, bool deleteMark,
                            int depth);
  HResult UnregisterValueItem(RegKey parent, const std::string& name, bool recovery);
  // Reads type and value, writes them, then reads the token after the value into `token`.
  HResult WriteValue(RegKey key, const char* name, bool localServer, std::string& token);
  HResult SkipAssignment(std::string& token);
  void QuoteModulePath(std::string& value) const;
  bool IsValidKeyName(const std::string& name) const noexcept;
  std::uint32_t OpenKey(RegKey parent, const char* name, std::uint32_t access, ScopedKey& key);
  std::uint32_t DeleteKeyTree(RegKey parent, const char* name);
  bool HasSubkeys(RegKey key);

  Registry& registry_;
  NumberConverter toNumber_;
  ReplacementMap map_;
  ScriptReader reader_;
};

} // namespace corvane
