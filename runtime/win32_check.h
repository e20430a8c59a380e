// A failing Win32 call becomes an ox::Error like a failing support call.
#pragma once

#include "oxlensupport.hpp"

namespace runtime {

inline void checkWin32(bool succeeded) {
  if (succeeded) return;
  const DWORD error = GetLastError();
  ox::check(error ? HRESULT_FROM_WIN32(error) : E_FAIL);
}

}  // namespace runtime
