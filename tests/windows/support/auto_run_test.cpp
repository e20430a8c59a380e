#include <gtest/gtest.h>

#include "support_test_host.h"

using namespace support_test;

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool isEnabled(IOxAutoRun* autoRun, const std::wstring& key) {
  VARIANT_BOOL enabled = VARIANT_TRUE;
  ox::check(autoRun->IsEnabled(key.c_str(), &enabled));
  return ox::isTrue(enabled);
}

std::wstring runValue(const std::wstring& key) {
  wchar_t data[1024] = L"";
  DWORD size = sizeof data;
  RegGetValueW(HKEY_CURRENT_USER, kRunKey, key.c_str(), RRF_RT_REG_SZ, nullptr, data, &size);
  return data;
}

TEST(AutoRun, EnableAndDisableRoundTrip) {
  const std::wstring key = L"{AutoRun-Test-" + std::to_wstring(GetCurrentProcessId()) + L"}";
  auto autoRun = ox::create(oxCreateAutoRun);
  LONG result;
  EXPECT_FALSE(isEnabled(autoRun.get(), key));

  ox::check(autoRun->Enable(key.c_str(), 0, &result));
  EXPECT_TRUE(isEnabled(autoRun.get(), key));
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  EXPECT_EQ(runValue(key), L"\"" + std::wstring(program) + L"\"");

  const std::wstring foreign = L"\"C:\\Other\\program.exe\"";
  RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, key.c_str(), REG_SZ, foreign.c_str(),
                  static_cast<DWORD>((foreign.size() + 1) * sizeof(wchar_t)));
  EXPECT_FALSE(isEnabled(autoRun.get(), key)) << "another program under the key";

  ox::check(autoRun->Disable(key.c_str(), &result));
  EXPECT_FALSE(isEnabled(autoRun.get(), key));
  EXPECT_EQ(autoRun->Disable(key.c_str(), &result), S_OK) << "disabling twice";
  EXPECT_EQ(autoRun->Enable(key.c_str(), 1, &result), E_INVALIDARG);
}

}  // namespace
