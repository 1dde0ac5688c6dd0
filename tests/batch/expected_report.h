#pragma once
// What every report starts with, byte for byte, as the batch and report tests expect it.

#include <string>

namespace corvane::test {

inline const std::string kReportPrologue =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern"
    "\\fprq1\\fcharset0 Courier New;}}\n\\viewkind4\\uc1\\pard\\f0\\fs18 ";

} // namespace corvane::test
