// A word-wrapped label that keeps its width and takes the height its caption
// needs in its own font.
#pragma once

#include <windows.h>

namespace runtime {

void fitLabelHeight(HWND label);

}  // namespace runtime
