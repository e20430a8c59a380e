#include "registry_text.h"

#include <stdexcept>

std::optional<std::wstring> registryText(HKEY root, const std::wstring& key, const wchar_t* name) {
  DWORD size = 0;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  text.resize(size / sizeof(wchar_t) - 1);
  return text;
}

void storeRegistryText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  if (RegSetKeyValueW(root, key.c_str(), name, REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
    throw std::runtime_error("cannot store a registry value");
}
