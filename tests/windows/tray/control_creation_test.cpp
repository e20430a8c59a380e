// A control that can't be created stops the form's loading with an error that
// names it; the program's standard report then shows that text.
#include "runtime/activex_control.h"
#include "runtime/property_bag.h"

#include "import_patch.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> printed;

HRESULT WINAPI recordLine(LPCWSTR text) {
  printed.push_back(text);
  return S_OK;
}

void ignoreFailure(const ox::Error&) {}

TEST(ActiveXControl, UnknownProgIdFailsNamingTheControl) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  const ox::Ptr<runtime::PropertyBag> storedData = runtime::PropertyBag::create();
  bool eventSeen = false;
  try {
    runtime::ActiveXControl control(L"Lumicon.NoSuchControl", L"stNone", *storedData.get(),
                                    [&](DISPID, const DISPPARAMS&) { eventSeen = true; }, ignoreFailure);
    ADD_FAILURE() << "created";
  } catch (const ox::Error& error) {
    EXPECT_LT(error.number, 0);
    EXPECT_NE(error.description.find(L"Lumicon.NoSuchControl"), std::wstring::npos);
  }
  EXPECT_FALSE(eventSeen);
  CoUninitialize();
}

// The control ends while its site can still tell it its name.
TEST(ActiveXControl, ControlEndsKnowingItsName) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    const ox::Ptr<runtime::PropertyBag> storedData = runtime::PropertyBag::create();
    auto control = std::make_unique<runtime::ActiveXControl>(L"Lumicon.SysTray", L"stMain", *storedData.get(),
                                                             [](DISPID, const DISPPARAMS&) {}, ignoreFailure);
    const ImportPatch print(GetModuleHandleW(L"Lumicon.dll"), "oxlensupport0100.dll", "oxDebugPrint",
                            reinterpret_cast<void*>(&recordLine));
    control.reset();
  }
  EXPECT_EQ(std::count(printed.begin(), printed.end(), L"SysTray::UnhookTaskbar() ==> Unhooked! Name = stMain"), 1);
  CoUninitialize();
}

}  // namespace
