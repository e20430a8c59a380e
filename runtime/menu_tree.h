// A form's menus, built from a table: every item has a fixed identifier that
// its Click handler dispatches on, check marks are set at run time, and any
// submenu can be popped up at the mouse.
#pragma once

#include <windows.h>

#include <cstddef>

namespace runtime {

struct MenuEntry {
  UINT id;
  const wchar_t* caption;  // "-" is a separator
  int level;               // 0: the menu bar; the deeper entries right after an entry make its submenu
  bool isDefault;          // shown bold; one per submenu
};

class MenuTree {
 public:
  MenuTree(const MenuEntry* entries, std::size_t count);
  ~MenuTree();
  MenuTree(const MenuTree&) = delete;
  MenuTree& operator=(const MenuTree&) = delete;

  // The menu bar that holds the tree; it stays this object's.
  HMENU bar() const { return bar_; }
  bool checked(UINT id) const;
  void setChecked(UINT id, bool checked);
  // Pops up the submenu of that entry at the mouse and returns once it has
  // closed: the identifier of the chosen item, 0 when none was chosen.
  // flags: TPM_* alignment and button flags.
  UINT trackPopup(UINT id, HWND owner, UINT flags) const;

 private:
  HMENU bar_;
};

}  // namespace runtime
