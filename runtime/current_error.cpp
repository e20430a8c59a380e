#include "runtime/current_error.h"

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

}  // namespace runtime
