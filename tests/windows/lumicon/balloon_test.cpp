// Balloon tips: the record they send and the answer the caller gets.
#include <gtest/gtest.h>

#include "host.h"
#include "spy.h"

namespace {

using BalloonTest = SpiedTest;

// ShowBaloon through IDispatch with only the arguments given, as scripts call it.
VARIANT callShowBaloon(const Control& control, std::vector<VARIANT> lastFirst) {
  DISPPARAMS params = {lastFirst.data(), nullptr, static_cast<UINT>(lastFirst.size()), 0};
  VARIANT result;
  VariantInit(&result);
  EXPECT_HRESULT_SUCCEEDED(control.tray->Invoke(0x6003000B, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr,
                                                nullptr));
  for (VARIANT& argument : lastFirst) VariantClear(&argument);
  return result;
}

VARIANT text(const std::wstring& value) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  return v;
}

VARIANT number(LONG value) {
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

TEST_F(BalloonTest, RecordAndAnswer) {
  struct Case {
    const char* name;
    ShellVersion version;
    BOOL shellAnswer;
    std::vector<VARIANT> arguments;  // last first
    VARTYPE resultType;
    VARIANT_BOOL result;
    std::string info, title;
    UINT timeout;
    DWORD flags;
  };
  const std::string a255(255, 'a'), t63(63, 't');
  const Case cases[] = {
      {"all given", ShellVersion::Real, TRUE,
       {number(5000), number(2), text(L"Title"), text(L"Message")}, VT_BOOL, VARIANT_TRUE, "Message", "Title", 5000, 2},
      {"shell refuses", ShellVersion::Real, FALSE, {text(L"m")}, VT_BOOL, VARIANT_FALSE, "m", "", 0, 0},
      {"optionals left out", ShellVersion::Five, TRUE, {text(L"only")}, VT_BOOL, VARIANT_TRUE, "only", "", 0, 0},
      {"cut to the fields", ShellVersion::Real, TRUE,
       {number(-1), number(0x10), text(std::wstring(100, L't')), text(std::wstring(300, L'a'))}, VT_BOOL,
       VARIANT_TRUE, a255, t63, 0xFFFFFFFFu, 0x10},
      {"empty message", ShellVersion::Real, TRUE, {text(L"")}, VT_BOOL, VARIANT_TRUE, "", "", 0, 0},
      {"shell 4", ShellVersion::Four, TRUE, {text(L"m")}, VT_EMPTY, 0, "", "", 0, 0},
      {"version unreadable", ShellVersion::Failing, TRUE, {text(L"m")}, VT_EMPTY, 0, "", "", 0, 0},
  };
  const Control control = createControl();
  control.caption(L"tip");
  control.icon(iconPicture().get());
  control.show(true);
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    spy::calls.clear();
    spy::version = test.version;
    spy::shellAnswer = test.shellAnswer;
    VARIANT result = callShowBaloon(control, test.arguments);
    EXPECT_EQ(V_VT(&result), test.resultType);
    if (test.resultType == VT_BOOL) {
      EXPECT_EQ(V_BOOL(&result), test.result);
    }
    if (test.resultType == VT_EMPTY) {
      EXPECT_TRUE(spy::calls.empty());
      continue;
    }
    ASSERT_EQ(spy::calls.size(), 1u);
    const ShellCall& call = spy::calls[0];
    EXPECT_EQ(call.message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(call.size(), NOTIFYICONDATAA_V2_SIZE);
    EXPECT_EQ(call.window(), control.window);
    EXPECT_EQ(call.flags(), static_cast<UINT>(NIF_INFO));
    EXPECT_EQ(call.info(), test.info);
    EXPECT_EQ(call.infoTitle(), test.title);
    EXPECT_EQ(call.timeout(), test.timeout);
    EXPECT_EQ(call.infoFlags(), test.flags);
    EXPECT_EQ(call.tip(), "");
    EXPECT_EQ(call.icon(), nullptr);
    EXPECT_TRUE(call.restIsZero());
  }
  EXPECT_EQ(control.caption(), L"tip");
}

TEST_F(BalloonTest, HiddenIconStillAsksTheShell) {
  const Control control = createControl();
  spy::shellAnswer = FALSE;
  const ox::Bstr message(L"m");
  VARIANT result;
  ASSERT_HRESULT_SUCCEEDED(control.tray->ShowBaloon(message.get(), nullptr, tbfInfo, 0, &result));
  EXPECT_EQ(V_VT(&result), VT_BOOL);
  EXPECT_EQ(V_BOOL(&result), VARIANT_FALSE);
  ASSERT_EQ(spy::calls.size(), 1u);
  EXPECT_EQ(spy::calls[0].infoFlags(), 1u);
}

}  // namespace
