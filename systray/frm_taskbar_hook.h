// The hidden top-level form that hears the shell's TaskbarCreated broadcast
// (which never reaches the control's own window) and passes it on to the
// control window.
#pragma once

#include <windows.h>

#include "runtime/form.h"
#include "window_procedures.h"

namespace lumicon {

class frmTaskbarHook final : public runtime::Form {
 public:
  frmTaskbarHook();

  void Subclass(HWND hWndSysTray);
  void Unsubclass();

 private:
  HookData HookData_ = {};
};

}  // namespace lumicon
