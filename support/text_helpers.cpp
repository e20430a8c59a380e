#include "text_helpers.h"

#include <cwchar>

#include "errors.h"
#include "oxlensupport.hpp"

namespace oxs {

std::wstring orEmpty(LPCWSTR text) { return text ? text : L""; }

std::wstring bstrText(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

void putBstr(BSTR* result, std::wstring_view text) {
  requirePointer(result);
  *result = nullptr;
  BSTR copy = ox::allocateBstr(text);
  if (!copy) fail(E_OUTOFMEMORY, L"");
  *result = copy;
}

std::wstring hexEx4(DWORD value) {
  wchar_t digits[9];
  swprintf(digits, 9, L"%08lX", static_cast<unsigned long>(value));
  return digits;
}

std::wstring buildFileName(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += name;
  return path;
}

std::wstring resourceLabel(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name));
  return name;
}

bool samePath(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

}  // namespace oxs
