#include "framework/module_state.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace corvane {

namespace {
// Set for the duration of a call into the module, and shared by its threads: calls that run at once
// on several threads must all name the same module (Hash.dll names its own, the default).
HINSTANCE g_hResources = nullptr;
} // namespace

HINSTANCE FrameworkOwnModule() {
  return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

HINSTANCE FrameworkResourceHandle() {
  return g_hResources != nullptr ? g_hResources : FrameworkOwnModule();
}

CModuleStateScope::CModuleStateScope(HINSTANCE resources) : m_hPrevious(g_hResources) {
  g_hResources = resources;
}

CModuleStateScope::~CModuleStateScope() {
  g_hResources = m_hPrevious;
}

} // namespace corvane
