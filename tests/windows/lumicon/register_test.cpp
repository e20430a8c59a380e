// Checks per-user registration both ways, then registers Lumicon for the
// other tests. Wine's COM looks classes up in the machine's classes only, so
// the tests create the control from a machine-wide registration in the test
// prefix.
#include <gtest/gtest.h>
#include <ole2.h>

#include "registration.h"
#include "registry_text.h"
#include "test_files.h"

namespace {

const wchar_t kClsidKey[] = L"Software\\Classes\\CLSID\\{4EFB257C-1DA4-4C61-BDEA-26B23CCB0A02}";

std::wstring lumiconPath() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(GetModuleHandleW(L"Lumicon.dll"), path, MAX_PATH);
  return path;
}

std::wstring classesDump(HKEY root) { return registryDump(root, L"Software\\Classes"); }

// What every registration writes, wherever it goes.
void expectRegistered(HKEY root) {
  struct Case {
    std::wstring key;
    std::wstring value;
  };
  const Case cases[] = {
      {std::wstring(kClsidKey) + L"\\InprocServer32", lumiconPath()},
      {std::wstring(kClsidKey) + L"\\ProgID", L"Lumicon.SysTray"},
      {std::wstring(kClsidKey) + L"\\MiscStatus\\1", L"148881"},
      {std::wstring(kClsidKey) + L"\\ToolboxBitmap32", lumiconPath() + L", 30000"},
      {L"Software\\Classes\\Lumicon.SysTray\\CLSID", L"{4EFB257C-1DA4-4C61-BDEA-26B23CCB0A02}"},
      {L"Software\\Classes\\Lumicon.SysTray.1\\CLSID", L"{4EFB257C-1DA4-4C61-BDEA-26B23CCB0A02}"},
      // The type library's platform is the DLL's: win32 for the 32-bit build.
      {std::wstring(L"Software\\Classes\\TypeLib\\{0F621023-E554-462F-B0AB-179159405D07}\\1.0\\0\\") +
           (sizeof(void*) == 8 ? L"win64" : L"win32"),
       lumiconPath()},
      {L"Software\\Classes\\Interface\\{792295C8-6E49-4C60-8082-D57B717A5DAC}\\TypeLib",
       L"{0F621023-E554-462F-B0AB-179159405D07}"},
  };
  for (const Case& test : cases)
    EXPECT_EQ(registryText(root, test.key, nullptr), test.value) << std::string(test.key.begin(), test.key.end());
}

TEST(LumiconRegistration, PerUserRoundTrip) {
  // Every Windows user has this key; a fresh Wine prefix may not yet.
  HKEY classes = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_READ, nullptr, &classes, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(classes);
  const std::wstring before = classesDump(HKEY_CURRENT_USER);
  const std::wstring machineBefore = registryDump(HKEY_LOCAL_MACHINE, kClsidKey);
  ASSERT_HRESULT_SUCCEEDED(callDllInstall(true, L"user"));
  expectRegistered(HKEY_CURRENT_USER);
  EXPECT_EQ(registryDump(HKEY_LOCAL_MACHINE, kClsidKey), machineBefore);
  ASSERT_HRESULT_SUCCEEDED(callDllInstall(false, L"user"));
  EXPECT_EQ(dumpDifference(before, classesDump(HKEY_CURRENT_USER)), "");
}

TEST(LumiconRegistration, MachineWideForTheTests) {
  ASSERT_HRESULT_SUCCEEDED(callExport("DllUnregisterServer"));  // what an interrupted run may have left
  const std::wstring before = classesDump(HKEY_LOCAL_MACHINE);
  writeBytes(kSnapshotFile, std::string(reinterpret_cast<const char*>(before.data()), before.size() * sizeof(wchar_t)));
  ASSERT_HRESULT_SUCCEEDED(callExport("DllRegisterServer"));
  expectRegistered(HKEY_LOCAL_MACHINE);
  CLSID clsid;
  ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Lumicon.SysTray", &clsid));
  LPOLESTR progId = nullptr;
  ASSERT_HRESULT_SUCCEEDED(ProgIDFromCLSID(clsid, &progId));
  EXPECT_STREQ(progId, L"Lumicon.SysTray");
  CoTaskMemFree(progId);
}

}  // namespace
