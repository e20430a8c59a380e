// A control that can't be created stops the form's loading with an error that
// names it; the program's standard report then shows that text.
#include "runtime/activex_control.h"
#include "runtime/property_bag.h"

#include <gtest/gtest.h>
#include <objbase.h>

namespace {

TEST(ActiveXControl, UnknownProgIdFailsNamingTheControl) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  const ox::Ptr<runtime::PropertyBag> storedData = runtime::PropertyBag::create();
  bool eventSeen = false;
  try {
    runtime::ActiveXControl control(L"Lumicon.NoSuchControl", L"stNone", *storedData.get(),
                                    [&](DISPID, const DISPPARAMS&) { eventSeen = true; });
    ADD_FAILURE() << "created";
  } catch (const ox::Error& error) {
    EXPECT_LT(error.number, 0);
    EXPECT_NE(error.description.find(L"Lumicon.NoSuchControl"), std::wstring::npos);
  }
  EXPECT_FALSE(eventSeen);
  CoUninitialize();
}

}  // namespace
