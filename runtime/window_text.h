// The text of a window or control, whole, as a string.
#pragma once

#include <windows.h>

#include <string>

namespace runtime {

std::wstring windowText(HWND window);
void setWindowText(HWND window, const std::wstring& text);

}  // namespace runtime
