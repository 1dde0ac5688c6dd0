// The product's class, interface and library identifiers, as the registry writes them. The COM
// code, the host, the tests and the installer's build all take them from here.
#pragma once

#include <cstdint>

namespace corvane {

inline constexpr char kCorvaneShellClassId[] = "{6B0F4A10-52C3-4E7D-9A21-3C5D7E8F9A01}";
inline constexpr char kCorvaneShellInterfaceId[] = "{6B0F4A11-52C3-4E7D-9A21-3C5D7E8F9A01}";
inline constexpr char kCorvaneTypeLibraryId[] = "{6B0F4A1D-52C3-4E7D-9A21-3C5D7E8F9A01}";

namespace guid_text {

// Throwing makes a malformed identifier fail to compile.
constexpr std::uint32_t HexDigit(char ch) {
  return ch >= '0' && ch <= '9'   ? static_cast<std::uint32_t>(ch - '0')
         : ch >= 'A' && ch <= 'F' ? static_cast<std::uint32_t>(ch - 'A' + 10)
         : ch >= 'a' && ch <= 'f' ? static_cast<std::uint32_t>(ch - 'a' + 10)
                                  : throw "not a hexadecimal digit";
}

constexpr std::uint32_t Hex(const char* text, int digits) {
  std::uint32_t value = 0;
  for (int i = 0; i < digits; ++i) {
    value = value << 4 | HexDigit(text[i]);
  }
  return value;
}

} // namespace guid_text

// The identifier as the platform's GUID record (any aggregate of the same four fields), from its
// registry form "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
template <typename Guid> constexpr Guid GuidFromText(const char (&text)[39]) {
  using guid_text::Hex;
  if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' ||
      text[37] != '}') {
    throw "not an identifier in braces";
  }
  using Byte = unsigned char;
  return Guid{Hex(text + 1, 8),
              static_cast<unsigned short>(Hex(text + 10, 4)),
              static_cast<unsigned short>(Hex(text + 15, 4)),
              {static_cast<Byte>(Hex(text + 20, 2)), static_cast<Byte>(Hex(text + 22, 2)),
               static_cast<Byte>(Hex(text + 25, 2)), static_cast<Byte>(Hex(text + 27, 2)),
               static_cast<Byte>(Hex(text + 29, 2)), static_cast<Byte>(Hex(text + 31, 2)),
               static_cast<Byte>(Hex(text + 33, 2)), static_cast<Byte>(Hex(text + 35, 2))}};
}

} // namespace corvane
