#include "runtime/app_window.h"

#include "oxlensupport.hpp"
#include "oxwin32.hpp"

namespace runtime {
namespace {

HWND currentWindow = nullptr;
bool endAsked = false;

// Closing it from outside would take every form down without its Unload:
// the window lives exactly as long as its owner object. A session end (the
// shell's, the Restart Manager's or our installer's) is the one way to end the
// program from outside; the wake-up lets the main loop see it.
LRESULT CALLBACK appWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      return 0;
    case WM_ENDSESSION:
      if (wParam) {
        endAsked = true;
        PostMessageW(window, WM_NULL, 0, 0);
      }
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void registerClass() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = appWindowProcedure;
  windowClass.hInstance = ox::thisModule();
  windowClass.lpszClassName = OX_APP_WINDOW_CLASS;
  ox::checkWin32(RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
}

}  // namespace

AppWindow::AppWindow(const std::wstring& title) {
  registerClass();
  window_ = CreateWindowExW(0, OX_APP_WINDOW_CLASS, title.c_str(), WS_POPUP | WS_CLIPSIBLINGS | WS_SYSMENU, 0, 0, 0,
                            0, nullptr, nullptr, ox::thisModule(), nullptr);
  ox::checkWin32(window_ != nullptr);
  currentWindow = window_;
}

AppWindow::~AppWindow() {
  currentWindow = nullptr;
  DestroyWindow(window_);
}

HWND AppWindow::current() { return currentWindow; }

bool AppWindow::endRequested() { return endAsked; }

}  // namespace runtime
