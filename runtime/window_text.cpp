#include "runtime/window_text.h"


#include "oxlensupport.hpp"

namespace runtime {

std::wstring windowText(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
  return text;
}

void setWindowText(HWND window, const std::wstring& text) { ox::checkWin32(SetWindowTextW(window, text.c_str())); }

}  // namespace runtime
