#include "hash/dll/system_code_page.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace corvane {

AnsiCodePage SystemCodePage() {
  AnsiCodePage codePage{::GetACP(), DEFAULT_CHARSET, {}};
  // A page without a charset of its own (UTF-8) is read through the system's default charset,
  // which stands for the ANSI code page.
  CHARSETINFO charset{};
  if (::TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(codePage.number)),
                             &charset, TCI_SRCCODEPAGE)) {
    codePage.charset = static_cast<uint8_t>(charset.ciCharset);
  }
  CPINFO info{};
  if (::GetCPInfo(CP_ACP, &info)) {
    static_assert(sizeof info.LeadByte == sizeof codePage.leadByteRanges);
    std::memcpy(codePage.leadByteRanges, info.LeadByte, sizeof info.LeadByte);
  }
  return codePage;
}

} // namespace corvane
