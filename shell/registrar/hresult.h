// Result codes of the shell extension's portable parts. The values are the platform's HRESULTs;
// the names differ from the platform's macros so this header can meet <windows.h> in one file.
#pragma once

#include <cstdint>

namespace corvane {

using HResult = std::int32_t;

inline constexpr HResult kOk = 0;
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kOutOfMemory = static_cast<HResult>(0x8007000Eu);
// Every error of a registration script itself.
inline constexpr HResult kDispException = static_cast<HResult>(0x80020009u);

// A system error code as an HRESULT of facility Win32; 0 stays success.
constexpr HResult HResultFromWin32(std::uint32_t code) {
  return code == 0 ? kOk : static_cast<HResult>((code & 0xFFFFu) | 0x80070000u);
}

constexpr bool Failed(HResult result) {
  return result < 0;
}

} // namespace corvane
