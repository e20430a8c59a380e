#include "frm_taskbar_hook.h"

#include "diagnostics.h"

namespace lumicon {
namespace {

const runtime::FormFrame kFrame = {L"Taskbar hook window", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 1440, 720};

// A failure here must not end the program that hosts the control: it is
// noted and the message goes on as if unhandled.
void noteFailure(const ox::Error& error) noexcept {
  try {
    debugPrint(L"frmTaskbarHook::WindowProc() ==> Error " + hex(static_cast<DWORD>(error.number)) + L": " +
               error.description);
  } catch (...) {
  }
}

}  // namespace

frmTaskbarHook::frmTaskbarHook() : runtime::Form(kFrame, noteFailure) {}

void frmTaskbarHook::Subclass(HWND hWndSysTray) {
  debugPrint(L"frmTaskbarHook::Subclass() ==> hWndSysTray = " + hex(hWndSysTray));
  HookData_.hWndSysTray = hWndSysTray;
  load();
  HookData_.PrevWndProc = installProcedure(hwnd(), &HookWindowProc, PROP_HOOK_DATA, &HookData_);
}

void frmTaskbarHook::Unsubclass() {
  debugPrint(L"frmTaskbarHook::Unsubclass()");
  restoreProcedure(hwnd(), HookData_.PrevWndProc, PROP_HOOK_DATA);
}

}  // namespace lumicon
