// AutoRun: start with Windows through the current user's Run key.
#include "oxlensupport.h"

#include "com_object.h"
#include "handles.h"
#include "oxwin32.hpp"
#include "registry_value.h"
#include "text_helpers.h"

using namespace oxs;

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

void requireKey(LPCWSTR key) {
  if (!key || !*key) fail(E_INVALIDARG, L"Пустой ключ");
}

// The program named by a Run entry: the quoted part, else the whole text.
std::wstring programOf(std::wstring command) {
  if (!command.empty() && command.front() == L'"') {
    const size_t close = command.find(L'"', 1);
    return command.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
  }
  while (!command.empty() && command.back() == L' ') command.pop_back();
  return command;
}

ox::Key openRunKey(REGSAM access) {
  HKEY key = nullptr;
  const LSTATUS error = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, access, nullptr, &key, nullptr);
  if (error != ERROR_SUCCESS) failWin32(error, std::wstring(L"HKCU\\") + kRunKey);
  return ox::Key(key);
}

class AutoRun : public ComObject<IOxAutoRun> {
 public:
  HRESULT STDMETHODCALLTYPE IsEnabled(LPCWSTR key, VARIANT_BOOL* result) override {
    return ox::comMethod([&] {
      requirePointer(result);
      requireKey(key);
      ox::Key run = openRunKey(KEY_QUERY_VALUE);
      const std::optional<RegistryValue> command =
          readRegistryValue(run.get(), key, std::wstring(L"HKCU\\") + kRunKey);
      const bool ours = command && (command->type == REG_SZ || command->type == REG_EXPAND_SZ) &&
                        samePath(programOf(command->data), ox::modulePath(nullptr));
      *result = ours ? VARIANT_TRUE : VARIANT_FALSE;
    });
  }

  HRESULT STDMETHODCALLTYPE Enable(LPCWSTR key, LONG scope, LONG* result) override {
    return ox::comMethod([&] {
      requireKey(key);
      if (scope != 0) fail(E_INVALIDARG, L"Поддерживается только автозапуск текущего пользователя");
      const std::wstring command = L"\"" + ox::modulePath(nullptr) + L"\"";
      ox::Key run = openRunKey(KEY_SET_VALUE);
      const LSTATUS error = RegSetValueExW(run.get(), key, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                           static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
      if (error != ERROR_SUCCESS) failWin32(error, std::wstring(L"HKCU\\") + kRunKey + L"\\" + key);
      if (result) *result = 1;
    });
  }

  HRESULT STDMETHODCALLTYPE Disable(LPCWSTR key, LONG* result) override {
    return ox::comMethod([&] {
      requireKey(key);
      ox::Key run = openRunKey(KEY_SET_VALUE);
      const LSTATUS error = RegDeleteValueW(run.get(), key);
      if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) {
        failWin32(error, std::wstring(L"HKCU\\") + kRunKey + L"\\" + key);
      }
      if (result) *result = 1;
    });
  }
};

}  // namespace

OXAPI oxCreateAutoRun(IOxAutoRun** result) { return createObject<AutoRun>(result); }
