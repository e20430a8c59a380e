#include "runtime/label.h"

#include "runtime/window_text.h"

namespace runtime {

void fitLabelHeight(HWND label) {
  RECT place;
  GetWindowRect(label, &place);
  const std::wstring caption = windowText(label);
  RECT text = {0, 0, place.right - place.left, 0};
  const HDC dc = GetDC(label);
  const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_CALCRECT | DT_WORDBREAK);
  SelectObject(dc, previous);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, place.right - place.left, text.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace runtime
