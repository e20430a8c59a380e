#include <gtest/gtest.h>

#include "support_test_host.h"

using namespace support_test;

namespace {

class SettingsStoreTest : public testing::Test {
 protected:
  ~SettingsStoreTest() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Oxlen\\" + app_.title()).c_str());
  }

  std::wstring read(const wchar_t* section, const wchar_t* key, LONG& status, const VARIANT* fallback = nullptr) {
    VARIANT value;
    ox::check(store_->GetValue(section, key, 0, &app_, fallback, VARIANT_TRUE, &status, &value));
    EXPECT_EQ(value.vt, VT_BSTR);
    std::wstring text = value.vt == VT_BSTR ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal)) : L"";
    VariantClear(&value);
    return text;
  }

  void save(const wchar_t* section, const wchar_t* key, const std::wstring& text) {
    VARIANT value;
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    LONG result;
    ox::check(store_->SaveValue(section, key, 0, &value, &app_, VARIANT_TRUE, &result));
    VariantClear(&value);
  }

  TestApplication app_;
  ox::Ptr<IOxSettingsStore> store_ = ox::create(oxCreateSettingsStore);
};

TEST_F(SettingsStoreTest, ValuesRoundTripExactly) {
  const struct {
    const wchar_t* section;
    std::wstring value;
  } cases[] = {
      {L"", L"C:\\Program Files\\Privoxy\\config.txt"},
      {L"", L"D:\\Настройки\\Прокси\\config.txt"},
      {L"", L"   "},
      {L"", L""},
      {L"", L" leading and trailing "},
      {L"Раздел", L"значение в разделе"},
  };
  for (const auto& c : cases) {
    save(c.section, L"Privoxy config file", c.value);
    LONG status = -1;
    EXPECT_EQ(read(c.section, L"Privoxy config file", status), c.value) << narrow(c.value);
    EXPECT_EQ(status, 0) << narrow(c.value);
  }
}

// Some tools store their whole buffer: the text ends at its first NUL.
TEST_F(SettingsStoreTest, StoredTextEndsAtItsFirstNul) {
  const std::wstring path = L"C:\\Privoxy\\config.txt";
  const std::wstring cases[] = {path + std::wstring(40, L'\0'), path + L'\0' + L"rest of a buffer", path};
  save(L"", L"Privoxy config file", L"");
  for (const std::wstring& stored : cases) {
    RegSetKeyValueW(HKEY_CURRENT_USER, (L"Software\\Oxlen\\" + app_.title()).c_str(), L"Privoxy config file", REG_SZ,
                    stored.data(), static_cast<DWORD>(stored.size() * sizeof(wchar_t)));
    LONG status = -1;
    EXPECT_EQ(read(L"", L"Privoxy config file", status), path) << stored.size() << " characters stored";
  }
}

TEST_F(SettingsStoreTest, MissingValueGivesTheDefault) {
  LONG status = 0;
  EXPECT_EQ(read(L"", L"never stored", status), L"");
  EXPECT_EQ(status, 1);
  VARIANT fallback;
  fallback.vt = VT_BSTR;
  fallback.bstrVal = SysAllocString(L"по умолчанию");
  EXPECT_EQ(read(L"no such section", L"key", status, &fallback), L"по умолчанию");
  EXPECT_EQ(status, 1);
  VariantClear(&fallback);
}

TEST_F(SettingsStoreTest, NumbersAreStoredAsText) {
  VARIANT number;
  number.vt = VT_I4;
  number.lVal = 9050;
  LONG result;
  ox::check(store_->SaveValue(L"", L"port", 0, &number, &app_, VARIANT_TRUE, &result));
  LONG status;
  EXPECT_EQ(read(L"", L"port", status), L"9050");
}

TEST_F(SettingsStoreTest, OnlyTheCurrentUserScope) {
  VARIANT value;
  LONG status;
  EXPECT_EQ(store_->GetValue(L"", L"key", 1, &app_, nullptr, VARIANT_TRUE, &status, &value), E_INVALIDARG);
}

}  // namespace
