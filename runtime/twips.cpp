#include "runtime/twips.h"

namespace runtime {
namespace {

constexpr int kTwipsPerInch = 1440;

int screenPixelsPerInch(int axis) {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, axis);
  ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

int twipsToPixelsX(int twips) { return MulDiv(twips, screenPixelsPerInch(LOGPIXELSX), kTwipsPerInch); }
int twipsToPixelsY(int twips) { return MulDiv(twips, screenPixelsPerInch(LOGPIXELSY), kTwipsPerInch); }

RECT twipsToPixels(const TwipsRect& place) {
  const int left = twipsToPixelsX(place.left);
  const int top = twipsToPixelsY(place.top);
  return RECT{left, top, left + twipsToPixelsX(place.width), top + twipsToPixelsY(place.height)};
}

}  // namespace runtime
