// A BSTR as text. A null BSTR is the empty string, as COM defines it.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace lumicon {

inline std::wstring text(BSTR value) { return value ? std::wstring(value, SysStringLen(value)) : std::wstring(); }

}  // namespace lumicon
