#include "app/unhandled_error.h"

#include "runtime/message_box.h"

#include "oxwin32.hpp"

void ReportUnhandledError(const ox::Error& error) {
  // Windows repainting behind the box may fail the same way: end at once then.
  static bool reporting = false;
  if (!reporting) {
    reporting = true;
    runtime::messageBox(L"Ошибка выполнения " + ox::errorNumberText(error.number) + L":\n\n" + error.description, MB_ICONERROR);
  }
  ExitProcess(kUnhandledErrorExitCode);
}
