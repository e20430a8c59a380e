#include "runtime/unhandled_error.h"

#include "runtime/message_box.h"

#include <cstdio>
#include <exception>
#include <new>

namespace runtime {
namespace {

std::wstring fromAnsi(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.resize(wide.size() - 1);
  return wide;
}

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

ox::Error currentError() {
  try {
    throw;
  } catch (const ox::Error& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return {static_cast<long>(E_OUTOFMEMORY), L"Недостаточно памяти"};
  } catch (const std::exception& error) {
    return {static_cast<long>(E_FAIL), fromAnsi(error.what())};
  } catch (...) {
    return {static_cast<long>(E_UNEXPECTED), L"Непредвиденная ошибка"};
  }
}

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
