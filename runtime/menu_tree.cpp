#include "runtime/menu_tree.h"


#include <string>

#include "oxlensupport.hpp"

namespace runtime {
namespace {

// Appends entries[at] and the entries of its level after it to menu; returns
// the index of the first entry that is not.
std::size_t appendItems(HMENU menu, const MenuEntry* entries, std::size_t count, std::size_t at) {
  const int level = entries[at].level;
  while (at < count && entries[at].level == level) {
    const MenuEntry& entry = entries[at];
    std::wstring caption = entry.caption;
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_FTYPE;
    item.wID = entry.id;
    if (caption == L"-") {
      item.fType = MFT_SEPARATOR;
    } else {
      item.fMask |= MIIM_STRING;
      item.fType = MFT_STRING;
      item.dwTypeData = caption.data();
    }
    ++at;
    if (at < count && entries[at].level > level) {
      item.fMask |= MIIM_SUBMENU;
      item.hSubMenu = CreatePopupMenu();
      ox::checkWin32(item.hSubMenu != nullptr);
      at = appendItems(item.hSubMenu, entries, count, at);
    }
    if (!InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item)) {
      if (item.hSubMenu) DestroyMenu(item.hSubMenu);
      ox::checkWin32(false);
    }
    if (entry.isDefault) ox::checkWin32(SetMenuDefaultItem(menu, entry.id, FALSE));
  }
  return at;
}

}  // namespace

MenuTree::MenuTree(const MenuEntry* entries, std::size_t count) : bar_(CreateMenu()) {
  ox::checkWin32(bar_ != nullptr);
  try {
    if (count) appendItems(bar_, entries, count, 0);
  } catch (...) {
    DestroyMenu(bar_);
    throw;
  }
}

MenuTree::~MenuTree() { DestroyMenu(bar_); }

bool MenuTree::checked(UINT id) const {
  const UINT state = GetMenuState(bar_, id, MF_BYCOMMAND);
  ox::checkWin32(state != static_cast<UINT>(-1));
  return (state & MF_CHECKED) != 0;
}

void MenuTree::setChecked(UINT id, bool checked) {
  ox::checkWin32(CheckMenuItem(bar_, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)) !=
             static_cast<DWORD>(-1));
}

UINT MenuTree::trackPopup(UINT id, HWND owner, UINT flags) const {
  MENUITEMINFOW item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_SUBMENU;
  ox::checkWin32(GetMenuItemInfoW(bar_, id, FALSE, &item) && item.hSubMenu);
  POINT at;
  ox::checkWin32(GetCursorPos(&at));
  // The chosen item comes back here, so its handler runs before this returns.
  return static_cast<UINT>(TrackPopupMenu(item.hSubMenu, flags | TPM_RETURNCMD, at.x, at.y, 0, owner, nullptr));
}

}  // namespace runtime
