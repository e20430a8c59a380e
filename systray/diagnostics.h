// Diagnostic lines through the support library, and hexadecimal text for them.
#pragma once

#include <windows.h>

#include <string>

#include "oxerror.hpp"

namespace lumicon {

void debugPrint(const std::wstring& line);
std::wstring hex(DWORD value);
// Window handles are printed by their 32 significant bits.
std::wstring hex(HWND window);
// "<routine>() ==> Error 0x80004005: <description>"; writes nothing when the
// line itself fails, since this is where failures end.
void noteFailure(const wchar_t* routine, const ox::Error& error) noexcept;

}  // namespace lumicon
