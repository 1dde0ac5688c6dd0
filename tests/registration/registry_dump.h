// Reads parts of the system registry back as sorted text lines, for comparisons in tests:
// "HKCR\Key" per key and "HKCR\Key|name=type:data" per value (strings as text, else hex bytes).
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace corvane::test {

using Lines = std::vector<std::string>;

// The key below `root` and everything under it; empty when the key does not exist.
Lines DumpKey(HKEY root, const std::string& rootName, const std::string& path);
// The names of the subkeys of one key, sorted.
Lines SubkeyNames(HKEY root, const std::string& path);
std::string ReadString(HKEY root, const std::string& path, const char* name);

} // namespace corvane::test
