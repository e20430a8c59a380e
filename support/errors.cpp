#include "errors.h"

namespace oxs {

void failWin32(DWORD error, const std::wstring& context) {
  const HRESULT status = HRESULT_FROM_WIN32(error ? error : ERROR_GEN_FAILURE);
  const std::wstring message = ox::systemText(status);
  fail(status, context.empty() ? message : message.empty() ? context : context + L": " + message);
}

void requirePointer(const void* pointer) {
  if (!pointer) fail(E_POINTER, L"");
}

}  // namespace oxs
