// Self-registration: one table of keys and values, written under the chosen
// classes root and removed from it again by the same table.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "Lumicon_h.h"
#include "oxerror.hpp"
#include "oxwin32.hpp"
#include "server_module.h"

namespace lumicon {
namespace {

struct RegistryValue {
  const wchar_t* key;
  const wchar_t* name;  // nullptr: the key's default value
  const wchar_t* data;
};

// Placeholders: {CLSID} {LIBID} {IID} {DIID} {PATH} {FOLDER} {PLATFORM}.
const RegistryValue kRegistration[] = {
    {L"CLSID\\{CLSID}", nullptr, L"SysTray"},
    {L"CLSID\\{CLSID}\\InprocServer32", nullptr, L"{PATH}"},
    {L"CLSID\\{CLSID}\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\{CLSID}\\ProgID", nullptr, L"Lumicon.SysTray"},
    {L"CLSID\\{CLSID}\\VersionIndependentProgID", nullptr, L"Lumicon.SysTray"},
    {L"CLSID\\{CLSID}\\Control", nullptr, L""},
    {L"CLSID\\{CLSID}\\MiscStatus", nullptr, L"0"},
    {L"CLSID\\{CLSID}\\MiscStatus\\1", nullptr, L"148881"},  // 0x24591
    {L"CLSID\\{CLSID}\\ToolboxBitmap32", nullptr, L"{PATH}, 30000"},
    {L"CLSID\\{CLSID}\\TypeLib", nullptr, L"{LIBID}"},
    {L"CLSID\\{CLSID}\\Version", nullptr, L"1.0"},
    {L"Lumicon.SysTray", nullptr, L"SysTray"},
    {L"Lumicon.SysTray\\CLSID", nullptr, L"{CLSID}"},
    {L"Lumicon.SysTray\\CurVer", nullptr, L"Lumicon.SysTray.1"},
    {L"Lumicon.SysTray.1", nullptr, L"SysTray"},
    {L"Lumicon.SysTray.1\\CLSID", nullptr, L"{CLSID}"},
    {L"TypeLib\\{LIBID}\\1.0", nullptr, L"Oxlen - System tray icon control 2.00"},
    {L"TypeLib\\{LIBID}\\1.0\\0\\{PLATFORM}", nullptr, L"{PATH}"},
    {L"TypeLib\\{LIBID}\\1.0\\FLAGS", nullptr, L"2"},  // LIBFLAG_FCONTROL
    {L"TypeLib\\{LIBID}\\1.0\\HELPDIR", nullptr, L"{FOLDER}"},
    {L"Interface\\{IID}", nullptr, L"_SysTray"},
    {L"Interface\\{IID}\\ProxyStubClsid32", nullptr, L"{00020424-0000-0000-C000-000000000046}"},
    {L"Interface\\{IID}\\TypeLib", nullptr, L"{LIBID}"},
    {L"Interface\\{IID}\\TypeLib", L"Version", L"1.0"},
    {L"Interface\\{DIID}", nullptr, L"__SysTray"},
    {L"Interface\\{DIID}\\ProxyStubClsid32", nullptr, L"{00020420-0000-0000-C000-000000000046}"},
    {L"Interface\\{DIID}\\TypeLib", nullptr, L"{LIBID}"},
    {L"Interface\\{DIID}\\TypeLib", L"Version", L"1.0"},
};

// Keys shared with other servers: only their subkeys are ours.
const wchar_t* const kSharedContainers[] = {L"CLSID", L"TypeLib", L"Interface"};

std::wstring guidText(REFGUID guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring expand(std::wstring text) {
  const std::wstring path = ox::modulePath(ox::thisModule());
  const std::pair<const wchar_t*, std::wstring> placeholders[] = {
      {L"{CLSID}", guidText(CLSID_SysTray)},
      {L"{LIBID}", guidText(LIBID_Lumicon)},
      {L"{IID}", guidText(IID__SysTray)},
      {L"{DIID}", guidText(DIID___SysTray)},
      {L"{PATH}", path},
      {L"{FOLDER}", ox::folderOf(path)},
      {L"{PLATFORM}", sizeof(void*) == 8 ? L"win64" : L"win32"},
  };
  for (const auto& [name, value] : placeholders)
    for (size_t at = text.find(name); at != std::wstring::npos; at = text.find(name, at + value.size()))
      text.replace(at, wcslen(name), value);
  return text;
}

// The key that unregistering removes whole for a row: below a shared
// container the row's first two levels, else its first level.
std::wstring ownedRoot(const std::wstring& key) {
  const size_t first = key.find(L'\\');
  const std::wstring head = key.substr(0, first);
  for (const wchar_t* container : kSharedContainers)
    if (head == container) return key.substr(0, key.find(L'\\', first + 1));
  return head;
}

bool isEmptyKey(HKEY root, const std::wstring& path) {
  ox::Key key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
  DWORD subkeys = 0, values = 0;
  return RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                          nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys == 0 && values == 0;
}

void unregisterFrom(HKEY root) {
  std::vector<std::wstring> owned;
  for (const RegistryValue& row : kRegistration) {
    const std::wstring key = ownedRoot(expand(row.key));
    if (owned.empty() || owned.back() != key) owned.push_back(key);
  }
  for (const std::wstring& key : owned) {
    const LSTATUS status = RegDeleteTreeW(root, key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) ox::failWin32(status, key);
  }
  for (const wchar_t* container : kSharedContainers)
    if (isEmptyKey(root, container)) RegDeleteKeyW(root, container);
}

void registerIn(HKEY root) {
  for (const RegistryValue& row : kRegistration) {
    ox::Key key;
    const std::wstring path = expand(row.key);
    LSTATUS status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) ox::failWin32(status, path);
    const std::wstring data = expand(row.data);
    status = RegSetValueExW(key.get(), row.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) ox::failWin32(status, path);
  }
}

HRESULT update(const wchar_t* classesRoot, HKEY hive, bool install) {
  ox::Key root;
  const LSTATUS opened =
      install ? RegCreateKeyExW(hive, classesRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, root.put(), nullptr)
              : RegOpenKeyExW(hive, classesRoot, 0, KEY_ALL_ACCESS, root.put());
  if (!install && opened == ERROR_FILE_NOT_FOUND) return S_OK;
  if (opened != ERROR_SUCCESS) return HRESULT_FROM_WIN32(opened);
  const HRESULT status = ox::comMethod([&] {
    if (install) registerIn(root.get());
    else unregisterFrom(root.get());
  });
  if (FAILED(status) && install) ox::comMethod([&] { unregisterFrom(root.get()); });
  return install && FAILED(status) ? SELFREG_E_CLASS : status;
}

const wchar_t kClasses[] = L"Software\\Classes";

}  // namespace
}  // namespace lumicon

STDAPI DllRegisterServer() { return lumicon::update(lumicon::kClasses, HKEY_LOCAL_MACHINE, true); }

STDAPI DllUnregisterServer() { return lumicon::update(lumicon::kClasses, HKEY_LOCAL_MACHINE, false); }

// "user" registers for the current user only; anything else machine-wide.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  const bool perUser = commandLine && _wcsicmp(commandLine, L"user") == 0;
  return lumicon::update(lumicon::kClasses, perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, install != FALSE);
}
