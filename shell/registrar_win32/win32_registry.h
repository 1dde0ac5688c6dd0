// The registrar's registry operations over the system registry.
#pragma once

#include "shell/registrar/registry.h"

namespace corvane {

class Win32Registry final : public Registry {
public:
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
};

// Lead bytes of the ANSI code page, for the registrar's character stepping.
bool IsAnsiLeadByte(unsigned char byte);
// The platform's automation conversion of a "D" value's text.
bool AutomationUInt32FromString(const char* text, std::uint32_t* number);

} // namespace corvane
