// Placeholder until the registrar is in: registration is not available yet.
#include "shell/self_registration.h"

namespace corvane {

HRESULT UpdateCorvaneShellRegistry(BOOL /*registering*/) noexcept {
  return E_NOTIMPL;
}

} // namespace corvane

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() noexcept {
  return E_NOTIMPL;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() noexcept {
  return E_NOTIMPL;
}
