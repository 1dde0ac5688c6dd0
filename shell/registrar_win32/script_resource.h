// Runs a registration script stored in a module's resources against the system registry.
#pragma once

#include <cstddef>

#include <windows.h>

#include "shell/registrar/registry.h"

namespace corvane {

struct ReplacementPair {
  const char* name;
  const char* text;
};

// Runs resource `resourceId` of type "REGISTRY" in `module` in the given direction, with %MODULE%
// bound to the module's path (single quotes doubled, for quoted tokens) and the extra pairs after
// it. `registry` is the system registry unless a test passes another.
HRESULT UpdateRegistryFromScriptResource(HINSTANCE module, UINT resourceId, BOOL doRegister,
                                         const ReplacementPair* extra, std::size_t extraCount,
                                         Registry* registry = nullptr) noexcept;

} // namespace corvane
