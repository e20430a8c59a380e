#include "runtime/runner.h"

#include "runtime/app_window.h"
#include "runtime/background.h"
#include "runtime/application.h"
#include "runtime/form.h"
#include "runtime/message_loop.h"
#include "runtime/unhandled_error.h"

#include <objbase.h>

namespace runtime {
namespace {

class Apartment {
 public:
  Apartment() { ox::check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
  ~Apartment() { CoUninitialize(); }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
};

}  // namespace

int runProgram(void (*startup)()) {
  try {
    const Apartment apartment;
    const AppWindow window(application().title());
    startup();
    // An end asked for from outside unloads the forms here, where no modal
    // loop or menu of theirs is running.
    while (Form::anyLoaded()) {
      if (AppWindow::endRequested())
        Form::unloadAll();
      else if (!pumpMainLoop())
        break;
    }
  } catch (...) {
    reportUnhandledError(ox::currentError());
  }
  finishBackground();
  return 0;
}

}  // namespace runtime
