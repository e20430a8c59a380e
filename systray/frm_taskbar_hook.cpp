#include "frm_taskbar_hook.h"

#include "diagnostics.h"

namespace lumicon {
namespace {

const runtime::FormFrame kFrame = {L"Taskbar hook window", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 1440, 720};

}  // namespace

// A failure here must not end the program that hosts the control: it is
// noted and the message goes on as if unhandled.
frmTaskbarHook::frmTaskbarHook()
    : runtime::Form(kFrame, [](const ox::Error& error) { noteFailure(L"frmTaskbarHook::WindowProc", error); }) {}

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
