#include "runtime/font.h"


#include "oxlensupport.hpp"

namespace runtime {

Font::Font(const wchar_t* face, int points, int weight, BYTE charset) {
  const HDC screen = GetDC(nullptr);
  const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  font_ = CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
  ox::checkWin32(font_ != nullptr);
}

Font::~Font() { DeleteObject(font_); }

}  // namespace runtime
