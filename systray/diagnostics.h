// Diagnostic lines through the support library, and hexadecimal text for them.
#pragma once

#include <windows.h>

#include <string>

namespace lumicon {

void debugPrint(const std::wstring& line);
std::wstring hex(DWORD value);
// Window handles are printed by their 32 significant bits.
std::wstring hex(HWND window);

}  // namespace lumicon
