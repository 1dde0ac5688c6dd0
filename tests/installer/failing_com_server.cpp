// A server whose registration always fails: what the installer must survive without a trace.
#include <windows.h>

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() noexcept {
  return E_FAIL;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() noexcept {
  return S_OK;
}
