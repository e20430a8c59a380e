// SettingsStore: text values under HKCU\Software\Oxlen\<application title>.
#include "oxlensupport.h"

#include <string>

#include "app_window.h"
#include "com_object.h"
#include "handles.h"
#include "oxwin32.hpp"
#include "registry_value.h"
#include "text_helpers.h"

using namespace oxs;

namespace {

const wchar_t kRoot[] = L"Software\\Oxlen";

std::wstring keyPath(LPCWSTR section, IOxApplication* app, VARIANT_BOOL perApplication) {
  std::wstring path = kRoot;
  if (perApplication != VARIANT_FALSE) {
    const std::wstring title = readApplication(app, &IOxApplication::get_Title);
    if (title.empty()) fail(E_INVALIDARG, L"У приложения нет заголовка");
    path += L'\\' + title;
  }
  if (section && *section) path += L'\\' + std::wstring(section);
  return path;
}

void requireCurrentUser(LONG scope) {
  if (scope != 0) fail(E_INVALIDARG, L"Поддерживаются только настройки текущего пользователя");
}

bool leftOut(const VARIANT* value) {
  return !value || value->vt == VT_EMPTY || (value->vt == VT_ERROR && value->scode == DISP_E_PARAMNOTFOUND);
}

void putText(VARIANT* result, const std::wstring& text) {
  BSTR copy = nullptr;
  putBstr(&copy, text);
  result->vt = VT_BSTR;
  result->bstrVal = copy;
}

// Reads the value as text; false when the key or value does not exist.
bool readValue(const std::wstring& path, LPCWSTR key, VARIANT* result) {
  HKEY opened = nullptr;
  const LSTATUS error = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &opened);
  if (error == ERROR_FILE_NOT_FOUND) return false;
  if (error != ERROR_SUCCESS) failWin32(error, L"HKCU\\" + path);
  ox::Key owner(opened);
  const std::optional<RegistryValue> value = readRegistryValue(opened, key, L"HKCU\\" + path);
  if (!value) return false;
  if (value->type == REG_DWORD && value->data.size() >= 2) {
    result->vt = VT_I4;
    result->lVal = static_cast<LONG>(value->data[0] | (static_cast<DWORD>(value->data[1]) << 16));
    return true;
  }
  if (value->type != REG_SZ && value->type != REG_EXPAND_SZ) {
    failWin32(ERROR_UNSUPPORTED_TYPE, L"HKCU\\" + path + L"\\" + orEmpty(key));
  }
  putText(result, value->data);
  return true;
}

class SettingsStore : public ComObject<IOxSettingsStore> {
 public:
  HRESULT STDMETHODCALLTYPE GetValue(LPCWSTR section, LPCWSTR key, LONG scope, IOxApplication* app,
                                     const VARIANT* defaultValue, VARIANT_BOOL perApplication, LONG* status,
                                     VARIANT* result) override {
    return ox::comMethod([&] {
      requirePointer(result);
      VariantInit(result);
      requireCurrentUser(scope);
      if (readValue(keyPath(section, app, perApplication), key, result)) {
        if (status) *status = 0;
        return;
      }
      if (leftOut(defaultValue)) {
        putText(result, L"");
      } else {
        const HRESULT copied = VariantCopy(result, const_cast<VARIANT*>(defaultValue));
        if (FAILED(copied)) fail(copied, L"");
      }
      if (status) *status = 1;
    });
  }

  HRESULT STDMETHODCALLTYPE SaveValue(LPCWSTR section, LPCWSTR key, LONG scope, const VARIANT* value,
                                      IOxApplication* app, VARIANT_BOOL perApplication, LONG* result) override {
    return ox::comMethod([&] {
      requirePointer(value);
      requireCurrentUser(scope);
      ox::Variant text;
      const HRESULT converted = VariantChangeType(text.put(), const_cast<VARIANT*>(value), 0, VT_BSTR);
      if (FAILED(converted)) fail(converted, L"Значение нельзя сохранить как текст");
      const std::wstring data = bstrText(V_BSTR(text.get()));
      const std::wstring path = keyPath(section, app, perApplication);
      HKEY created = nullptr;
      LSTATUS error = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                      &created, nullptr);
      if (error != ERROR_SUCCESS) failWin32(error, L"HKCU\\" + path);
      ox::Key owner(created);
      error = RegSetValueExW(created, key, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
      if (error != ERROR_SUCCESS) failWin32(error, L"HKCU\\" + path + L"\\" + orEmpty(key));
      if (result) *result = 0;
    });
  }
};

}  // namespace

OXAPI oxCreateSettingsStore(IOxSettingsStore** result) { return createObject<SettingsStore>(result); }
