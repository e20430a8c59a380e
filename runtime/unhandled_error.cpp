#include "runtime/unhandled_error.h"

#include "runtime/message_box.h"

#include <cstdio>

namespace runtime {
namespace {

// Negative numbers are statuses and read best in hexadecimal.
std::wstring errorNumberText(long number) {
  wchar_t text[16];
  if (number < 0)
    std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(number));
  else
    std::swprintf(text, 16, L"%ld", number);
  return text;
}

}  // namespace

void reportUnhandledError(const ox::Error& error) {
  // Windows repainting behind the box may fail the same way: end at once then.
  static bool reporting = false;
  if (!reporting) {
    reporting = true;
    messageBox(L"Ошибка выполнения " + errorNumberText(error.number) + L":\n\n" + error.description, MB_ICONERROR);
  }
  ExitProcess(kUnhandledErrorExitCode);
}

}  // namespace runtime
