// How a failure inside the library reaches its caller: the code that fails
// throws a Failure; the one guard around every exported call turns it (and any
// other C++ exception) into a negative status plus a COM error object.
#pragma once

#include <windows.h>

#include <string>

namespace oxs {

struct Failure {
  HRESULT status;
  std::wstring description;
};

[[noreturn]] void fail(HRESULT status, std::wstring description);
// A Win32 error, described by the system's text after `context` (what was
// being done, usually naming the file or key).
[[noreturn]] void failWin32(DWORD error, const std::wstring& context);
[[noreturn]] inline void failLastError(const std::wstring& context) { failWin32(GetLastError(), context); }

void requirePointer(const void* pointer);

// The system's message text for a status; empty when it has none.
std::wstring systemMessage(HRESULT status);

// Turns the exception being handled into a status and an error object.
HRESULT reportCurrentException() noexcept;

template <class Body>
HRESULT guarded(Body&& body) noexcept {
  SetErrorInfo(0, nullptr);
  try {
    body();
    return S_OK;
  } catch (...) {
    return reportCurrentException();
  }
}

}  // namespace oxs
