#include "module_paths.h"

#include "errors.h"

namespace oxs {

std::wstring modulePath(HMODULE module) {
  // Paths may exceed MAX_PATH; grow until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) failLastError(L"GetModuleFileName");
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) failWin32(ERROR_INSUFFICIENT_BUFFER, L"GetModuleFileName");
    path.resize(path.size() * 2);
  }
}

std::wstring folderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring programBaseName() {
  std::wstring name = modulePath(nullptr);
  name.erase(0, name.find_last_of(L"\\/") + 1);
  const size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  return name;
}

HMODULE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&thisModule), &module);
  return module;
}

}  // namespace oxs
