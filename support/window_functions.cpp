// Exported functions that act on windows.
#include "oxlensupport.h"

#include <algorithm>

#include "app_window.h"
#include "errors.h"
#include "oxwin32.hpp"
#include "text_helpers.h"

using namespace oxs;

namespace {

void requireWindow(HWND window) {
  if (!IsWindow(window)) failWin32(ERROR_INVALID_WINDOW_HANDLE, L"0x" + hexEx4(HandleToULong(window)));
}

// Lets this thread take the foreground from the thread that has it.
class ForegroundInputLink {
 public:
  ForegroundInputLink() {
    HWND foreground = GetForegroundWindow();
    foregroundThread_ = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    ownThread_ = GetCurrentThreadId();
    linked_ = foregroundThread_ && foregroundThread_ != ownThread_ &&
              AttachThreadInput(foregroundThread_, ownThread_, TRUE);
  }
  ForegroundInputLink(const ForegroundInputLink&) = delete;
  ForegroundInputLink& operator=(const ForegroundInputLink&) = delete;
  ~ForegroundInputLink() {
    if (linked_) AttachThreadInput(foregroundThread_, ownThread_, FALSE);
  }

 private:
  DWORD foregroundThread_ = 0;
  DWORD ownThread_ = 0;
  bool linked_ = false;
};

}  // namespace

OXAPI oxGetThunderMainHandle(HWND* result) {
  return ox::comMethod([&] {
    requirePointer(result);
    *result = findAppWindow();
    if (!*result) failWin32(ERROR_INVALID_WINDOW_HANDLE, std::wstring(L"Окно класса ") + OX_APP_WINDOW_CLASS);
  });
}

OXAPI oxSetForegroundWindowEx(HWND window, LONG* result) {
  return ox::comMethod([&] {
    requirePointer(result);
    requireWindow(window);
    ForegroundInputLink link;
    BringWindowToTop(window);
    *result = SetForegroundWindow(window) ? 1 : 0;
  });
}

OXAPI oxUnloadForm(HWND window) {
  return ox::comMethod([&] {
    requireWindow(window);
    SendMessageW(window, WM_CLOSE, 0, 0);
  });
}

OXAPI oxCenterFormEx(HWND window, LONG* result) {
  return ox::comMethod([&] {
    requirePointer(result);
    requireWindow(window);
    RECT bounds;
    checkWin32(GetWindowRect(window, &bounds), L"GetWindowRect");
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    checkWin32(GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor), L"GetMonitorInfo");
    const RECT& work = monitor.rcWork;
    POINT topLeft{work.left + ((work.right - work.left) - (bounds.right - bounds.left)) / 2,
                  work.top + ((work.bottom - work.top) - (bounds.bottom - bounds.top)) / 2};
    topLeft.x = std::max(topLeft.x, work.left);
    topLeft.y = std::max(topLeft.y, work.top);
    // A child window is placed in its parent's client coordinates.
    if ((GetWindowLongW(window, GWL_STYLE) & WS_CHILD) && GetParent(window)) {
      ScreenToClient(GetParent(window), &topLeft);
    }
    checkWin32(SetWindowPos(window, nullptr, topLeft.x, topLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE),
               L"SetWindowPos");
    *result = 1;
  });
}

OXAPI oxHighlightText(HWND edit) {
  return ox::comMethod([&] {
    requireWindow(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
  });
}

OXAPI oxGet_WM_TASKBAR_CREATED(UINT* result) {
  return ox::comMethod([&] {
    requirePointer(result);
    *result = RegisterWindowMessageW(L"TaskbarCreated");
    // An elevated process must let the shell's broadcast through; systems
    // without message filtering have no such function.
    using ChangeFilter = BOOL(WINAPI*)(UINT, DWORD);
    const auto change = ox::userFunction<ChangeFilter>("ChangeWindowMessageFilter");
    if (*result && change) change(*result, MSGFLT_ADD);
  });
}
