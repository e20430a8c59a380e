#include "tray_events.h"

namespace lumicon {

std::optional<TrayEvent> trayEventFor(LPARAM mouseMessage) {
  switch (mouseMessage) {
    case WM_MOUSEMOVE: return TrayEvent{kMouseMove, 0};
    case WM_LBUTTONDOWN: return TrayEvent{kMouseDown, 1};
    case WM_LBUTTONUP: return TrayEvent{kMouseUp, 1};
    case WM_LBUTTONDBLCLK: return TrayEvent{kMouseDblClick, 1};
    case WM_RBUTTONDOWN: return TrayEvent{kMouseDown, 2};
    case WM_RBUTTONUP: return TrayEvent{kMouseUp, 2};
    case WM_RBUTTONDBLCLK: return TrayEvent{kMouseDblClick, 2};
    case WM_MBUTTONDOWN: return TrayEvent{kMouseDown, 4};
    case WM_MBUTTONUP: return TrayEvent{kMouseUp, 4};
    case WM_MBUTTONDBLCLK: return TrayEvent{kMouseDblClick, 4};
    default: return std::nullopt;
  }
}

LONG shiftState() {
  auto down = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
  return (down(VK_MENU) ? 4 : 0) + (down(VK_CONTROL) ? 2 : 0) + (down(VK_SHIFT) ? 1 : 0);
}

}  // namespace lumicon
