// What the registration script writes for the shell extension, as the registry dumps of the tests
// list it: "HKCR\Key" per key and "HKCR\Key|name=type:data" per value, sorted.
#pragma once

#include "common/com_identifiers.h"

#include <algorithm>
#include <string>
#include <vector>

namespace corvane::test {

// The tree of the class and its two ProgIDs with the server at modulePath (as it stands in the
// registry, quotes not doubled).
inline std::vector<std::string> RegisteredClassTree(const std::string& modulePath) {
  const std::string clsid = kCorvaneShellClassId;
  const std::string c = "HKCR\\CLSID\\" + clsid;
  std::vector<std::string> lines = {
      c,
      c + "\\InprocServer32",
      c + "\\InprocServer32|=1:" + modulePath,
      c + "\\InprocServer32|ThreadingModel=1:Apartment",
      c + "\\ProgID",
      c + "\\ProgID|=1:Tamsel.TamselShell.1",
      c + "\\Programmable",
      c + "\\TypeLib",
      c + "\\TypeLib|=1:" + kCorvaneTypeLibraryId,
      c + "\\VersionIndependentProgID",
      c + "\\VersionIndependentProgID|=1:Tamsel.TamselShell",
      c + "|=1:TamselShell Class",
      "HKCR\\Tamsel.TamselShell",
      "HKCR\\Tamsel.TamselShell.1",
      "HKCR\\Tamsel.TamselShell.1\\CLSID",
      "HKCR\\Tamsel.TamselShell.1\\CLSID|=1:" + clsid,
      "HKCR\\Tamsel.TamselShell.1|=1:TamselShell Class",
      "HKCR\\Tamsel.TamselShell\\CLSID",
      "HKCR\\Tamsel.TamselShell\\CLSID|=1:" + clsid,
      "HKCR\\Tamsel.TamselShell\\CurVer",
      "HKCR\\Tamsel.TamselShell\\CurVer|=1:Tamsel.TamselShell.1",
      "HKCR\\Tamsel.TamselShell|=1:TamselShell Class",
  };
  std::sort(lines.begin(), lines.end());
  return lines;
}

} // namespace corvane::test
