// The calling thread's last system error as a COM result.
#pragma once

#include <windows.h>

namespace corvane {

// Never success: a failure that left no error code must still read as a failure.
inline HRESULT LastErrorResult() noexcept {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

} // namespace corvane
