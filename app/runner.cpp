#include "app/runner.h"

#include "app/unhandled_error.h"
#include "runtime/app_window.h"
#include "runtime/background.h"
#include "runtime/application.h"
#include "runtime/form.h"
#include "runtime/message_loop.h"

#include <objbase.h>

namespace {

class Apartment {
 public:
  Apartment() { ox::check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
  ~Apartment() { CoUninitialize(); }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
};

}  // namespace

int RunProgram(void (*startup)()) {
  try {
    const Apartment apartment;
    const runtime::AppWindow window(runtime::application().title());
    startup();
    // An end asked for from outside unloads the forms here, where no modal
    // loop or menu of theirs is running.
    while (runtime::Form::anyLoaded()) {
      if (runtime::AppWindow::endRequested())
        runtime::Form::unloadAll();
      else if (!runtime::pumpMainLoop())
        break;
    }
  } catch (...) {
    ReportUnhandledError(ox::currentError());
  }
  runtime::finishBackground();
  return 0;
}
