#include <gtest/gtest.h>

#include <shlwapi.h>

#include "support_test_host.h"

using namespace support_test;

namespace {

TEST(Functions, HexEx4) {
  const struct {
    DWORD value;
    const wchar_t* text;
  } cases[] = {{0, L"00000000"}, {0x1002A, L"0001002A"}, {0xABCDEF01, L"ABCDEF01"}, {0xFFFFFFFF, L"FFFFFFFF"}};
  for (const auto& c : cases) EXPECT_EQ(ox::hexEx4(c.value), c.text) << c.value;
}

TEST(Functions, BuildFileName) {
  const struct {
    const wchar_t *folder, *name, *path;
  } cases[] = {
      {L"C:\\Program Files\\Veilmark", L"ReadMe.TXT", L"C:\\Program Files\\Veilmark\\ReadMe.TXT"},
      {L"C:\\", L"ReadMe.TXT", L"C:\\ReadMe.TXT"},
      {L"C:/tmp/", L"a.txt", L"C:/tmp/a.txt"},
      {L"", L"ReadMe.TXT", L"ReadMe.TXT"},
      {L"Папка", L"файл.txt", L"Папка\\файл.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(ox::buildFileName(c.folder, c.name), c.path) << narrow(c.path);
}

TEST(Functions, CallFunctionPassesArgumentAndResult) {
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  FARPROC getVersion = GetProcAddress(shell, "DllGetVersion");
  ASSERT_NE(getVersion, nullptr);
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  EXPECT_EQ(oxCallFunction_4_4(getVersion, reinterpret_cast<LONG_PTR>(&info)), S_OK);
  EXPECT_GE(info.dwMajorVersion, 5u);
  info.cbSize = 1;  // refused by the function, and its failure comes back unchanged
  EXPECT_EQ(oxCallFunction_4_4(getVersion, reinterpret_cast<LONG_PTR>(&info)), E_INVALIDARG);
}

TEST(Functions, AddRefAndReleaseReportTheNewCount) {
  auto file = ox::create(oxCreateTextFile);
  LONG count = 0;
  ox::check(oxObjectAddRef(file.get(), &count));
  EXPECT_EQ(count, 2);
  ox::check(oxObjectRelease(file.get(), &count));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(oxObjectAddRef(nullptr, &count), E_POINTER);
}

TEST(Functions, ProcessAndMessages) {
  LONG result = 0;
  ox::check(oxRegisterAppPath(&result));
  EXPECT_EQ(result, 1);
  VARIANT_BOOL inIde = VARIANT_TRUE;
  ox::check(oxIsInIDE(&inIde));
  EXPECT_EQ(inIde, VARIANT_FALSE);
  UINT taskbarCreated = 0;
  ox::check(oxGet_WM_TASKBAR_CREATED(&taskbarCreated));
  EXPECT_EQ(taskbarCreated, RegisterWindowMessageW(L"TaskbarCreated"));
  EXPECT_EQ(oxDebugPrint(L"support test ==> line"), S_OK);
}

TEST(Functions, ResourceText) {
  const struct {
    const wchar_t* name;
    HRESULT status;
    const wchar_t* text;
  } cases[] = {
      {L"DESCRIPTION", S_OK, L"Программа Veilmark\r\nвторая строка"},
      {L"LEGACY", S_OK, L"Описание в 1251"},
      {L"MISSING", HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND), L""},
  };
  for (const auto& c : cases) {
    ox::Bstr text;
    EXPECT_EQ(oxLoadResTextA(c.name, L"TEXT_DATABLOCK", text.put()), c.status) << narrow(c.name);
    EXPECT_EQ(text.str(), c.text) << narrow(c.name);
  }
}

TEST(Functions, TrayIconIsAPictureOfTheSmallIcon) {
  ox::Ptr<IPictureDisp> picture;
  ox::check(oxLoadResTrayIcon(L"A_MAIN", picture.put()));
  ox::Ptr<IPicture> icon;
  ASSERT_EQ(picture->QueryInterface(IID_IPicture, reinterpret_cast<void**>(icon.put())), S_OK);
  SHORT type = 0;
  icon->get_Type(&type);
  EXPECT_EQ(type, PICTYPE_ICON);
  ox::Ptr<IPictureDisp> fromModule;
  ox::check(oxLoadResTrayIconEx(L"A_MAIN", GetModuleHandleW(nullptr), fromModule.put()));
  ox::Ptr<IPictureDisp> missing;
  EXPECT_TRUE(FAILED(oxLoadResTrayIcon(L"NO_SUCH_ICON", missing.put())));
}

TEST(Functions, ErrorObjectCarriesNumberAndDescription) {
  auto file = ox::create(oxCreateTextFile);
  ox::Bstr text;
  try {
    ox::check(file->ReadAll(L"C:\\no such folder\\config.txt", VARIANT_TRUE, text.put()));
    ADD_FAILURE() << "no error";
  } catch (const ox::Error& error) {
    EXPECT_EQ(error.number, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(error.description.find(L"C:\\no such folder\\config.txt"), std::wstring::npos)
        << narrow(error.description);
  }
  // A successful call leaves no stale error behind.
  ox::check(oxHexEx4(1, text.put()));
  IErrorInfo* info = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
}

}  // namespace
