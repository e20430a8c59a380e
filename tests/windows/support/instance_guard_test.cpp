#include <gtest/gtest.h>

#include <cwchar>

#include "support_test_host.h"

using namespace support_test;

namespace {

constexpr wchar_t kChildSwitch[] = L"--instance-guard-child=";
enum ChildAnswer : DWORD { kFirst = 10, kNotFirst = 11, kFailed = 12 };

bool isFirst(IOxInstanceGuard* guard, const std::wstring& key) {
  VARIANT_BOOL first = VARIANT_FALSE;
  ox::check(guard->IsFirstInstance(key.c_str(), &first));
  return ox::isTrue(first);
}

// Second process of the two-process test: asks for the key and reports.
[[maybe_unused]] const bool childRun = [] {
  const wchar_t* key = wcsstr(GetCommandLineW(), kChildSwitch);
  if (!key) return false;
  try {
    auto guard = ox::create(oxCreateInstanceGuard);
    ExitProcess(isFirst(guard.get(), key + wcslen(kChildSwitch)) ? kFirst : kNotFirst);
  } catch (...) {
    ExitProcess(kFailed);
  }
}();

std::wstring uniqueKey() {
  // Backslashes are part of the test: they must not name a namespace.
  return L"{Test\\Guard}-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
}

TEST(InstanceGuard, SecondObjectOfTheKeyIsNotFirst) {
  const std::wstring key = uniqueKey();
  auto first = ox::create(oxCreateInstanceGuard);
  EXPECT_TRUE(isFirst(first.get(), key));
  EXPECT_TRUE(isFirst(first.get(), key)) << "the same object keeps its answer";
  auto second = ox::create(oxCreateInstanceGuard);
  EXPECT_FALSE(isFirst(second.get(), key));
  EXPECT_TRUE(isFirst(second.get(), key + L"-other"));
}

TEST(InstanceGuard, AnotherProcessSeesTheKeyHeldUntilReleased) {
  const std::wstring key = uniqueKey();
  {
    auto guard = ox::create(oxCreateInstanceGuard);
    ASSERT_TRUE(isFirst(guard.get(), key));
    EXPECT_EQ(runChild(kChildSwitch + key), kNotFirst);
  }
  EXPECT_EQ(runChild(kChildSwitch + key), kFirst);
}

TEST(InstanceGuard, EmptyKeyFails) {
  auto guard = ox::create(oxCreateInstanceGuard);
  VARIANT_BOOL first;
  EXPECT_EQ(guard->IsFirstInstance(L"", &first), E_INVALIDARG);
}

}  // namespace
