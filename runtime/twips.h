// Form layouts are written in twips (1/1440 inch) and drawn in pixels at the
// screen's real resolution.
#pragma once

#include <windows.h>

namespace runtime {

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

int twipsToPixelsX(int twips);
int twipsToPixelsY(int twips);
// Each edge and extent is converted on its own, as the layout gives it.
RECT twipsToPixels(const TwipsRect& place);

}  // namespace runtime
