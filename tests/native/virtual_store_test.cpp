#include "app/virtual_store.h"

#include <gtest/gtest.h>

namespace {

TEST(VirtualStoreCopy, OnlyFilesInsideAVirtualisedFolderHaveOne) {
  const std::vector<std::wstring> folders = {L"C:\\Program Files", L"C:\\Program Files (x86)\\", L"C:\\windows", L""};
  const std::wstring store = L"C:\\Users\\Ян\\AppData\\Local\\VirtualStore";
  const struct {
    std::wstring path;
    bool hasCopy;  // at the store followed by the path without its drive
  } cases[] = {
      {L"C:\\Program Files\\Privoxy\\config.txt", true},   {L"c:\\PROGRAM FILES\\Privoxy\\config.txt", true},
      {L"C:\\Program Files (x86)\\Privoxy\\a.txt", true},  {L"C:\\Windows\\config.txt", true},
      {L"C:\\Program Filesx\\Privoxy\\config.txt", false}, {L"D:\\Program Files\\Privoxy\\config.txt", false},
      {L"C:\\Users\\Ян\\config.txt", false},                {L"C:\\Program Files", false},
      {L"C:\\Program Files\\", false},                     {L"\\\\server\\share\\Program Files\\a.txt", false},
  };
  for (const auto& row : cases)
    EXPECT_EQ(virtualStoreCopy(row.path, folders, store), row.hasCopy ? store + row.path.substr(2) : L"")
        << testing::PrintToString(row.path);
}

}  // namespace
