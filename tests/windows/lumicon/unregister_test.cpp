// Removes the registration after the Lumicon tests and checks that nothing
// of it is left in the machine's classes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "registration.h"
#include "test_files.h"

namespace {

TEST(LumiconRegistration, UnregistrationLeavesNothing) {
  ASSERT_HRESULT_SUCCEEDED(callExport("DllUnregisterServer"));
  const std::optional<std::string> snapshot = readBytes(kSnapshotFile);
  ASSERT_TRUE(snapshot) << "the registering test did not run";
  const std::wstring before(reinterpret_cast<const wchar_t*>(snapshot->data()), snapshot->size() / sizeof(wchar_t));
  // Other servers register themselves meanwhile (the script host does on its
  // first run), so only lines about Lumicon's own keys count.
  std::string lumiconLines;
  std::istringstream difference(dumpDifference(before, registryDump(HKEY_LOCAL_MACHINE, L"Software\\Classes")));
  for (std::string line; std::getline(difference, line);) {
    for (const char* identifier : {"4EFB257C-1DA4-4C61-BDEA-26B23CCB0A02", "0F621023-E554-462F-B0AB-179159405D07",
                                   "792295C8-6E49-4C60-8082-D57B717A5DAC", "92805C1F-497D-4B85-B389-CB643C3C6967",
                                   "Lumicon"})
      if (line.find(identifier) != std::string::npos) {
        lumiconLines += line + "\n";
        break;
      }
  }
  EXPECT_EQ(lumiconLines, "");
  ASSERT_HRESULT_SUCCEEDED(callExport("DllUnregisterServer"));  // unregistering twice is harmless
}

}  // namespace
