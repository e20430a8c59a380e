#include "runtime/message_box.h"

#include "runtime/app_window.h"
#include "runtime/application.h"

namespace runtime {

int messageBox(const std::wstring& text, UINT style) {
  HWND owner = GetActiveWindow();
  if (!owner) owner = AppWindow::current();
  return MessageBoxW(owner, text.c_str(), application().title().c_str(), style);
}

}  // namespace runtime
