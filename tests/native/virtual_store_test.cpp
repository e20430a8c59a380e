#include "app/virtual_store.h"

#include <gtest/gtest.h>

namespace {

TEST(VirtualStoreCopy, OnlyFilesInsideAVirtualisedFolderHaveOne) {
  const std::vector<std::wstring> folders = {L"C:\\Program Files", L"C:\\Program Files (x86)\\", L"C:\\windows", L""};
  const std::wstring store = L"C:\\Users\\Ян\\AppData\\Local\\VirtualStore";
  const struct {
    const wchar_t* path;
    const wchar_t* copy;  // empty: none
  } cases[] = {
      {L"C:\\Program Files\\Privoxy\\config.txt", L"\\Program Files\\Privoxy\\config.txt"},
      {L"c:\\PROGRAM FILES\\Privoxy\\config.txt", L"\\PROGRAM FILES\\Privoxy\\config.txt"},
      {L"C:\\Program Files (x86)\\Privoxy\\config.txt", L"\\Program Files (x86)\\Privoxy\\config.txt"},
      {L"C:\\Windows\\config.txt", L"\\Windows\\config.txt"},
      {L"C:\\Program Filesx\\Privoxy\\config.txt", L""},
      {L"D:\\Program Files\\Privoxy\\config.txt", L""},
      {L"C:\\Users\\Ян\\config.txt", L""},
      {L"C:\\Program Files", L""},
      {L"C:\\Program Files\\", L""},
      {L"C:\\Program Files (x86)", L""},
      {L"\\\\server\\share\\Program Files\\config.txt", L""},
      {L"", L""},
  };
  for (const auto& row : cases) {
    const std::wstring expected = *row.copy ? store + row.copy : L"";
    EXPECT_EQ(virtualStoreCopy(row.path, folders, store), expected) << testing::PrintToString(std::wstring(row.path));
  }
}

}  // namespace
