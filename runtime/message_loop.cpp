#include "runtime/message_loop.h"

#include "runtime/form.h"

namespace runtime {

bool pumpMessage() {
  MSG message;
  if (!GetMessageW(&message, nullptr, 0, 0)) {
    PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  const HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root && Form::fromWindow(root) && IsDialogMessageW(root, &message)) return true;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

}  // namespace runtime
