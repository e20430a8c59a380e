// Reading one registry value, whatever its size and type.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace oxs {

struct RegistryValue {
  DWORD type = REG_NONE;
  // The data in wide characters (an odd last byte is no character). A text
  // (REG_SZ, REG_EXPAND_SZ) ends at its first NUL: neither its terminator
  // nor the padding some programs store after it belong to it.
  std::wstring data;
};

// Nothing when the value does not exist. `where` names the key in failures.
std::optional<RegistryValue> readRegistryValue(HKEY key, LPCWSTR name, const std::wstring& where);

}  // namespace oxs
