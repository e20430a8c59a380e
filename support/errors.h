// How a failure inside the library reaches its caller: the code that fails
// throws an ox::Error; ox::comMethod around every exported call turns it into
// a negative status plus a COM error object.
#pragma once

#include "oxerror.hpp"

namespace oxs {

using ox::fail;
// A Win32 error, described by the system's text after `context` (what was
// being done, usually naming the file or key).
[[noreturn]] void failWin32(DWORD error, const std::wstring& context);
[[noreturn]] inline void failLastError(const std::wstring& context) { failWin32(GetLastError(), context); }

void requirePointer(const void* pointer);

}  // namespace oxs
