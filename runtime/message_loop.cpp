#include "runtime/message_loop.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace runtime {
namespace {

struct MainLoopWait {
  HANDLE handle = nullptr;
  std::function<void()> onSignalled;
};

MainLoopWait& mainLoopWait() {
  static MainLoopWait wait;
  return wait;
}

std::vector<HWND>& formWindows() {
  static std::vector<HWND> windows;
  return windows;
}

bool isFormWindow(HWND window) {
  const auto& windows = formWindows();
  return std::find(windows.begin(), windows.end(), window) != windows.end();
}

enum class Turn { Delivered, Quit, Signalled };

// One message delivered, or the object (if any) found signalled.
Turn waitTurn(HANDLE handle) {
  MSG message;
  // Peeking delivers sent messages; a posted one is left for pumpMessage.
  if (!handle || PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    return pumpMessage() ? Turn::Delivered : Turn::Quit;
  }
  return MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0
             ? Turn::Signalled
             : Turn::Delivered;
}

}  // namespace

bool pumpMessage() {
  MSG message;
  if (!GetMessageW(&message, nullptr, 0, 0)) {
    PostQuitMessage(static_cast<int>(message.wParam));
    return false;
  }
  const HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root && isFormWindow(root) && IsDialogMessageW(root, &message)) return true;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

void addFormWindow(HWND window) { formWindows().push_back(window); }

void removeFormWindow(HWND window) {
  auto& windows = formWindows();
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

void setMainLoopWait(HANDLE handle, std::function<void()> onSignalled) {
  mainLoopWait() = {handle, std::move(onSignalled)};
}

bool pumpMainLoop() {
  const MainLoopWait& wait = mainLoopWait();
  const Turn turn = waitTurn(wait.handle);
  if (turn == Turn::Signalled) {
    // A copy: the action may set another wait in place of this one.
    const std::function<void()> action = wait.onSignalled;
    action();
  }
  return turn != Turn::Quit;
}

bool waitPumping(HANDLE handle) {
  // A program whose last form goes meanwhile is ending: it waits no longer.
  const bool hadForms = !formWindows().empty();
  while (!hadForms || !formWindows().empty()) {
    const Turn turn = waitTurn(handle);
    if (turn != Turn::Delivered) return turn == Turn::Signalled;
  }
  return false;
}

}  // namespace runtime
