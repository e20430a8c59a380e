#include <gtest/gtest.h>

#include "registry_text.h"
#include "support_test_host.h"

using namespace support_test;

namespace {

bool isEnabled(IOxAutoRun* autoRun, const std::wstring& key) {
  VARIANT_BOOL enabled = VARIANT_TRUE;
  ox::check(autoRun->IsEnabled(key.c_str(), &enabled));
  return ox::isTrue(enabled);
}

TEST(AutoRun, EnableAndDisableRoundTrip) {
  const std::wstring key = L"{AutoRun-Test-" + std::to_wstring(GetCurrentProcessId()) + L"}";
  auto autoRun = ox::create(oxCreateAutoRun);
  LONG result;
  EXPECT_FALSE(isEnabled(autoRun.get(), key));

  ox::check(autoRun->Enable(key.c_str(), 0, &result));
  EXPECT_TRUE(isEnabled(autoRun.get(), key));
  EXPECT_EQ(registryText(HKEY_CURRENT_USER, kRunKey, key.c_str()), L"\"" + testProgram() + L"\"");

  const std::wstring foreign = L"\"C:\\Other\\program.exe\"";
  storeRegistryText(HKEY_CURRENT_USER, kRunKey, key.c_str(), foreign);
  EXPECT_FALSE(isEnabled(autoRun.get(), key)) << "another program under the key";

  ox::check(autoRun->Disable(key.c_str(), &result));
  EXPECT_FALSE(isEnabled(autoRun.get(), key));
  EXPECT_EQ(autoRun->Disable(key.c_str(), &result), S_OK) << "disabling twice";
  EXPECT_EQ(autoRun->Enable(key.c_str(), 1, &result), E_INVALIDARG);
}

TEST(AutoRun, ReadsARunValueOfAnySizeAndType) {
  const std::wstring key = L"{AutoRun-Size-" + std::to_wstring(GetCurrentProcessId()) + L"}";
  const std::wstring program = testProgram();
  const struct {
    const char* name;
    DWORD type;
    std::wstring data;
    bool ours;
  } cases[] = {
      {"ours with 70,000 characters of arguments", REG_SZ,
       L"\"" + program + L"\"" + std::wstring(70000, L' '), true},
      {"a foreign program of 70,000 characters", REG_SZ, L"C:\\" + std::wstring(70000, L'x'), false},
      {"ours padded with NULs", REG_EXPAND_SZ, program + std::wstring(5, L'\0'), true},
      {"three bytes of binary data", REG_BINARY, L"ab", false},
  };
  auto autoRun = ox::create(oxCreateAutoRun);
  for (const auto& c : cases) {
    const DWORD bytes = c.type == REG_BINARY ? 3 : static_cast<DWORD>(c.data.size() * sizeof(wchar_t));
    RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, key.c_str(), c.type, c.data.data(), bytes);
    EXPECT_EQ(isEnabled(autoRun.get(), key), c.ours) << c.name;
  }
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, key.c_str());
}

}  // namespace
