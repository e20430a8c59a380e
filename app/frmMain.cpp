#include "app/frmMain.h"

runtime::Form& frmMain() {
  static runtime::Form form({L"Veilmark", WS_OVERLAPPEDWINDOW, 0, 4800, 3600});
  return form;
}
