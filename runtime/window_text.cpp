#include "runtime/window_text.h"

#include "runtime/win32_check.h"

namespace runtime {

std::wstring windowText(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
  return text;
}

void setWindowText(HWND window, const std::wstring& text) { checkWin32(SetWindowTextW(window, text.c_str())); }

}  // namespace runtime
