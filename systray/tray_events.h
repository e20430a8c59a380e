// Which event a mouse message of the icon raises, and the modifier keys.
#pragma once

#include <windows.h>

#include <optional>

namespace lumicon {

enum SysTrayEvent : DISPID { kMouseMove = 1, kMouseDown = 2, kMouseUp = 3, kMouseDblClick = 4 };

struct TrayEvent {
  SysTrayEvent event;
  LONG button;  // 1 left, 2 right, 4 middle; 0 for MouseMove, which has none
};

std::optional<TrayEvent> trayEventFor(LPARAM mouseMessage);

// 1 Shift + 2 Ctrl + 4 Alt, as held while the current message is handled.
LONG shiftState();

}  // namespace lumicon
