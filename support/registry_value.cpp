#include "registry_value.h"

#include "errors.h"
#include "text_helpers.h"

namespace oxs {

std::optional<RegistryValue> readRegistryValue(HKEY key, LPCWSTR name, const std::wstring& where) {
  RegistryValue value;
  // Sized by what the value needs; asked again if it grew in between.
  for (;;) {
    const DWORD room = static_cast<DWORD>(value.data.size() * sizeof(wchar_t));
    DWORD size = room;
    const LSTATUS error =
        RegQueryValueExW(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(value.data.data()), &size);
    if (error == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (error == ERROR_SUCCESS && size <= room) {
      value.data.resize(size / sizeof(wchar_t));
      break;
    }
    if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA) failWin32(error, where + L"\\" + orEmpty(name));
    value.data.resize(size / sizeof(wchar_t) + 1);
  }
  if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
    const size_t end = value.data.find(L'\0');
    if (end != std::wstring::npos) value.data.resize(end);
  }
  return value;
}

}  // namespace oxs
