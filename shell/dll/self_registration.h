// Self-registration hooks of the COM server, defined in self_registration.cpp.
#pragma once

#include <windows.h>

namespace corvane {

// Registry-update operation of CorvaneShell in the object map: runs the module's registration
// script (resource "REGISTRY" 101) in the registering or the removing direction.
HRESULT UpdateCorvaneShellRegistry(BOOL registering) noexcept;

} // namespace corvane
