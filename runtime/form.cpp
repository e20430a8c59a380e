#include "runtime/form.h"

#include "runtime/app_window.h"
#include "runtime/message_loop.h"
#include "oxlensupport.hpp"
#include "oxwin32.hpp"

#include <algorithm>
#include <vector>

namespace runtime {
namespace {

// Forms are dialog-manager windows (DefDlgProc, DLGWINDOWEXTRA) so that
// IsDialogMessage gives them Tab, Enter for the default button and Esc.
const wchar_t kFormClass[] = L"OxlenForm";

std::vector<Form*>& loadedForms() {
  static std::vector<Form*> forms;
  return forms;
}

class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window_, &paint_); }
  ~PaintScope() { EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_;
  HDC dc_;
};

}  // namespace

Form::~Form() {
  if (!window_) return;
  // The derived form is gone already: the window is destroyed without events.
  const HWND window = window_;
  detach();
  DestroyWindow(window);
}

void Form::load() {
  if (window_) return;
  static const bool registered = [] {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = ox::thisModule();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kFormClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  ox::checkWin32(registered);

  RECT frame = {0, 0, twipsToPixelsX(frame_.clientWidth), twipsToPixelsY(frame_.clientHeight)};
  const DWORD style = frame_.style & ~WS_VISIBLE;
  ox::checkWin32(AdjustWindowRectEx(&frame, style, FALSE, frame_.exStyle));
  const HWND window = CreateWindowExW(frame_.exStyle, kFormClass, frame_.caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                      frame.right - frame.left, frame.bottom - frame.top, AppWindow::current(),
                                      nullptr, ox::thisModule(), this);
  ox::checkWin32(window != nullptr);
  createControls();
  Load();
}

void Form::unload() {
  if (!window_) return;
  Unload();
  DestroyWindow(window_);
}

void Form::showModal() {
  load();
  ShowWindow(window_, SW_SHOW);
  if (const HWND first = GetNextDlgTabItem(window_, nullptr, FALSE)) SetFocus(first);
  while (isLoaded() && pumpMessage()) {
  }
}

bool Form::anyLoaded() { return !loadedForms().empty(); }

void Form::unloadAll() {
  while (!loadedForms().empty()) loadedForms().back()->unload();
}

HWND Form::addControl(const Control& control, HFONT font) {
  const RECT place = twipsToPixels(control.place);
  const HWND child = CreateWindowExW(control.exStyle, control.windowClass, control.text,
                                     WS_CHILD | WS_VISIBLE | control.style, place.left, place.top,
                                     place.right - place.left, place.bottom - place.top, window_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), ox::thisModule(), nullptr);
  ox::checkWin32(child != nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void Form::attach(HWND window) {
  window_ = window;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  loadedForms().push_back(this);
  addFormWindow(window);
}

void Form::detach() {
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  removeFormWindow(window_);
  auto& forms = loadedForms();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  window_ = nullptr;
  // The last form went in a message sent from another thread (the shell's
  // click on a tray icon), which GetMessage handles without returning: a
  // posted wake-up lets the main loop see that nothing is loaded any more.
  if (forms.empty()) PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

LRESULT CALLBACK Form::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE)
    static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams)->attach(window);
  Form* const form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefDlgProcW(window, message, wParam, lParam);
  return ox::windowProcedure([&] { return form->handle(message, wParam, lParam); },
                             form->onFailure_,
                             [&] { return DefDlgProcW(window, message, wParam, lParam); });
}

LRESULT Form::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = window_;
  switch (message) {
    case WM_CLOSE:
      unload();
      return 0;
    case WM_PAINT: {
      const PaintScope paint(window);
      Paint(paint.dc());
      return 0;
    }
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      if (const HBRUSH brush = StaticBackground(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
        return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_NCDESTROY:
      detach();
      break;
    default:
      Message(message, wParam, lParam);
      break;
  }
  return DefDlgProcW(window, message, wParam, lParam);
}

}  // namespace runtime
