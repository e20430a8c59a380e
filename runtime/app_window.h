// The hidden top-level window that stands for the whole program. It owns the
// forms; the support library finds it by its class and reads the program's
// title from its caption.
#pragma once

#include <windows.h>

#include <string>

namespace runtime {

class AppWindow {
 public:
  explicit AppWindow(const std::wstring& title);
  ~AppWindow();
  AppWindow(const AppWindow&) = delete;
  AppWindow& operator=(const AppWindow&) = delete;

  // The program's application window; nullptr before it exists.
  static HWND current();
  // A session end has asked the program to end.
  static bool endRequested();

 private:
  HWND window_;
};

}  // namespace runtime
