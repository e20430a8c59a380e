// A program on the runtime whose start-up fails the way its one argument
// says, so that tests can watch the unhandled-error report.
#include "oxlensupport.hpp"
#include "app/runner.h"
#include "app/unhandled_error.h"
#include "runtime/form.h"

#include <stdexcept>
#include <string>

namespace {

// A form whose only button fails inside the window procedure.
class FailingForm final : public runtime::Form {
 public:
  FailingForm() : Form({L"Failing form", WS_OVERLAPPEDWINDOW, 0, 3000, 1500}, ReportUnhandledError) {}

 private:
  void createControls() override {
    addControl({L"Button", L"Fail", WS_TABSTOP, 0, IDOK, {120, 120, 1200, 400}},
               static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  }
  void Command(int id, int) override {
    if (id == IDOK) throw ox::Error{static_cast<long>(E_ACCESSDENIED), L"Отказано в доступе"};
  }
};

void Main() {
  const std::wstring how = GetCommandLineW();
  if (how.find(L"negative") != std::wstring::npos)
    throw ox::Error{static_cast<long>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), L"Файл не найден"};
  if (how.find(L"positive") != std::wstring::npos) throw ox::Error{5, L"Неверный вызов"};
  if (how.find(L"standard") != std::wstring::npos) throw std::runtime_error("standard failure");
  static FailingForm form;
  form.showModal();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunProgram(Main); }
