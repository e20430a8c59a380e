#include "window_procedures.h"

#include <cstring>

#include "com_failure.h"
#include "diagnostics.h"
#include "sys_tray.h"

namespace lumicon {
namespace {

thread_local UINT WM_TASKBAR_CREATED = 0;

// Nothing may leave a window procedure: a failure becomes a diagnostic line
// and the message still goes on to the previous procedure.
template <class Body>
void reportingFailures(const wchar_t* procedure, Body&& body) noexcept {
  try {
    body();
  } catch (...) {
    try {
      debugPrint(std::wstring(procedure) + L"() ==> " + describeCurrentFailure());
    } catch (...) {
    }
  }
}

// The shell lost every icon: the control deletes its own and adds it again.
void recoverIcon(HWND hWnd, SysTray& control) {
  // Hearing of the change, the host may release its last reference between the two steps.
  const ox::Ptr<_SysTray> keepAlive(&control);
  debugPrint(L"SubWndProc() ==> WM_TASKBAR_CREATED, hWnd = " + hex(hWnd));
  VARIANT_BOOL visible = VARIANT_FALSE;
  check(control.get_Visible(&visible));
  if (visible == VARIANT_FALSE) return;
  check(control.put_Visible(VARIANT_FALSE));
  check(control.put_Visible(VARIANT_TRUE));
}

}  // namespace

void setTaskbarCreatedMessage(UINT message) { WM_TASKBAR_CREATED = message; }

WNDPROC installProcedure(HWND window, WNDPROC procedure, const char* property, void* record) {
  const auto previous =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
  SetPropA(window, property, record);
  return previous;
}

void restoreProcedure(HWND window, WNDPROC previous, const char* property) {
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  RemovePropA(window, property);
}

LRESULT CALLBACK SubWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  const HANDLE published = GetPropA(hWnd, PROP_SUBCLASS_DATA);
  if (!published) return 0;
  // A handler may detach this window meanwhile; the copy still knows where to pass on.
  SubclassData data;
  std::memcpy(&data, published, sizeof data);
  if (uMsg == WM_TRAY_CALLBACK)
    reportingFailures(L"SubWndProc", [&] { data.Self->DispatchTrayMessage(lParam, wParam); });
  else if (isTaskbarRestart(uMsg, WM_TASKBAR_CREATED))
    reportingFailures(L"SubWndProc", [&] { recoverIcon(hWnd, *data.Self); });
  const LRESULT result = CallWindowProcA(data.PrevWndProc, hWnd, uMsg, wParam, lParam);
  data = {};
  return result;
}

LRESULT CALLBACK HookWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  const HANDLE published = GetPropA(hWnd, PROP_HOOK_DATA);
  if (!published) return 0;
  HookData data;
  std::memcpy(&data, published, sizeof data);
  if (isTaskbarRestart(uMsg, WM_TASKBAR_CREATED)) {
    reportingFailures(L"HookWindowProc", [&] {
      debugPrint(L"HookWindowProc() ==> WM_TASKBAR_CREATED, hWnd = " + hex(data.hWndSysTray));
    });
    PostMessageA(data.hWndSysTray, uMsg, wParam, lParam);
  }
  const LRESULT result = CallWindowProcA(data.PrevWndProc, hWnd, uMsg, wParam, lParam);
  data = {};
  return result;
}

}  // namespace lumicon
