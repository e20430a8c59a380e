#include "diagnostics.h"

#include "oxerror.hpp"
#include "oxlensupport.hpp"
#include "oxwin32.hpp"

namespace lumicon {

void debugPrint(const std::wstring& line) { ox::check(oxDebugPrint(line.c_str())); }

std::wstring hex(DWORD value) {
  ox::Bstr text;
  ox::check(oxHexEx4(value, text.put()));
  return text.str();
}

std::wstring hex(HWND window) { return hex(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window))); }

void noteFailure(const wchar_t* routine, const ox::Error& error) noexcept {
  try {
    std::wstring line = std::wstring(routine) + L"() ==> Error " + ox::errorNumberText(error.number);
    if (!error.description.empty()) line += L": " + error.description;
    debugPrint(line);
  } catch (...) {
  }
}

}  // namespace lumicon
