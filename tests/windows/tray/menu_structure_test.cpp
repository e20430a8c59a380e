// The tray menu as the program builds it, read in its own process (another
// process can't read menu items under Wine): order, captions, identifiers,
// the default item and the check marks read from the file.
#include "app/frmMain.h"
#include "app/modMain.h"
#include "tray_program.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <string>
#include <vector>

namespace {

struct Item {
  UINT id;
  std::wstring caption;  // "-": separator
  bool checked;
  bool isDefault;
  std::vector<Item> submenu;
};

std::vector<Item> itemsOf(HMENU menu) {
  std::vector<Item> items;
  const UINT defaultId = GetMenuDefaultItem(menu, FALSE, 0);
  for (int at = 0; at < GetMenuItemCount(menu); ++at) {
    wchar_t caption[128] = L"";
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = caption;
    info.cch = 128;
    EXPECT_TRUE(GetMenuItemInfoW(menu, at, TRUE, &info));
    Item item{info.wID, (info.fType & MFT_SEPARATOR) ? L"-" : caption, (info.fState & MFS_CHECKED) != 0,
              info.wID == defaultId, {}};
    if (info.hSubMenu) item.submenu = itemsOf(info.hSubMenu);
    items.push_back(item);
  }
  return items;
}

void expectItems(const std::vector<Item>& actual, const std::vector<Item>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t at = 0; at < expected.size(); ++at) {
    SCOPED_TRACE(narrow(expected[at].caption));
    EXPECT_EQ(actual[at].id, expected[at].id);
    EXPECT_EQ(actual[at].caption, expected[at].caption);
    EXPECT_EQ(actual[at].checked, expected[at].checked);
    EXPECT_EQ(actual[at].isDefault, expected[at].isDefault);
    expectItems(actual[at].submenu, expected[at].submenu);
  }
}

std::vector<Item> expectedMenus(bool forwarding) {
  return {{mnuMain(0), L"Context", false, false,
           {
               {mnuContext(0), L"Включить TOR в Privoxy", forwarding, true, {}},
               {mnuContext(1), L"-", false, false, {}},
               {mnuContext(10), L"Настройки...", false, false, {}},
               {mnuContext(11), L"Запускать с Windows", false, false, {}},
               {mnuContext(20), L"-", false, false, {}},
               {mnuContext(21), L"Справка", false, false,
                {
                    {mnuHelp(0), L"&Содержание...", false, false, {}},
                    {mnuHelp(1), L"-", false, false, {}},
                    {mnuHelp(2), L"О программе...", false, false, {}},
                }},
               {mnuContext(22), L"Выход", false, false, {}},
           }}};
}

// The control's window in this process.
HWND ownControl() {
  for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, kControlClass, nullptr));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == GetCurrentProcessId()) return window;
  }
  return nullptr;
}

TEST(TrayMenu, TreeAndMarksFollowTheFile) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  for (bool forwarding : {true, false}) {
    SCOPED_TRACE(forwarding ? "on" : "off");
    const TempFolder folder;
    ConfigFileName = folder.file(L"config.txt");
    writeBytes(ConfigFileName, configText(forwarding));
    frmMain().load();
    ASSERT_TRUE(frmMain().isLoaded());
    expectItems(itemsOf(GetMenu(frmMain().hwnd())), expectedMenus(forwarding));

    // A left release switches, and the mark follows the file.
    const HWND control = ownControl();
    ASSERT_NE(control, nullptr);
    SendMessageW(control, kTrayCallback, 0, WM_LBUTTONUP);
    EXPECT_EQ(forwardingIn(ConfigFileName), !forwarding);
    expectItems(itemsOf(GetMenu(frmMain().hwnd())), expectedMenus(!forwarding));

    frmMain().unload();
    EXPECT_EQ(ownControl(), nullptr);
  }
  CoUninitialize();
}

}  // namespace
