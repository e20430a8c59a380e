// The program's message box: its title as caption, over the active form.
#pragma once

#include <windows.h>

#include <string>

namespace runtime {

// style: MB_* flags, e.g. MB_ICONERROR; returns the button pressed.
int messageBox(const std::wstring& text, UINT style);

}  // namespace runtime
