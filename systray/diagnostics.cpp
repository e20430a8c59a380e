#include "diagnostics.h"

#include "com_failure.h"
#include "oxlensupport.hpp"

namespace lumicon {

void debugPrint(const std::wstring& line) { check(oxDebugPrint(line.c_str())); }

std::wstring hex(DWORD value) {
  ox::Bstr text;
  check(oxHexEx4(value, text.put()));
  return text.str();
}

std::wstring hex(HWND window) { return hex(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(window))); }

}  // namespace lumicon
