// The program's hidden main form: it owns the tray icon (the SysTray control
// stMain) and the menu behind it. While it is loaded the program runs.
#pragma once

#include "app/chain_check.h"
#include "app/config_watch.h"
#include "app/forwarding.h"
#include "runtime/activex_control.h"
#include "runtime/form.h"
#include "runtime/menu_tree.h"

#include "oxlensupport.hpp"

#include <memory>

// Identifiers of the menu items: each menu array's base plus the item's index.
constexpr UINT mnuMain(int index) { return 1000 + index; }
constexpr UINT mnuContext(int index) { return 2000 + index; }
constexpr UINT mnuHelp(int index) { return 3000 + index; }

// The fixed, sparse indices that the click handlers dispatch on.
enum ContextItem : int {
  ForwardingItem = 0,
  FirstSeparator = 1,
  SettingsItem = 10,
  AutoRunItem = 11,
  SecondSeparator = 20,
  HelpSubmenu = 21,
  ExitItem = 22,
};
enum HelpItem : int { ContentsItem = 0, HelpSeparator = 1, AboutItem = 2 };

class FrmMain final : public runtime::Form {
 public:
  FrmMain();

 private:
  void createControls() override;
  void Load() override;
  void Unload() override;
  void Message(UINT message, WPARAM wParam, LPARAM) override;

  // The icon still answers while a menu, dialog or box of the program is
  // open, so "Выход" may unload the form inside any such modal call: after
  // one, a handler goes on only while the form is loaded.
  void stMain_MouseUp(LONG button);
  void Click(UINT item);
  void mnuContext_Click(int index);
  void mnuHelp_Click(int index);
  void UpdateMenuChecks();
  // Quietly: a read the user did not ask for shows no box.
  void ShowForwardingState(bool quietly = false);
  // Follows changes to the file now in use for ConfigFileName (its
  // VirtualStore copy when there is one), unless that is followed already.
  void WatchConfigFile();
  // Asks, without waiting for the answer, what the Privoxy that the file
  // names runs, and whether Tor is there. A warning already told is told
  // again only when `tellAgain`.
  void CheckRunningChain(bool tellAgain);
  void ShowChainFindings(const ChainFindings& findings);
  void ShowWarning(const BalloonText& balloon);
  void ReadAutoRunMark();
  void ToggleAutoRun();
  void LoadTrayIcons();
  IPictureDisp* GetStateIcon() const;

  std::unique_ptr<runtime::MenuTree> menus_;
  std::unique_ptr<runtime::ActiveXControl> stMain_;
  std::unique_ptr<ConfigWatch> watch_;
  std::wstring watched_;
  ox::Ptr<IPictureDisp> TrayIcons_[3];
  // The check of the running chain on its way, what the last one told, and
  // whether the file forwards while Privoxy runs without Tor.
  std::unique_ptr<ChainCheck> chain_;
  ChainWarning told_ = ChainWarning::None;
  bool retell_ = false;
  bool notThroughTor_ = false;
  // Where the file had Privoxy listen when last read: the watch reads every change.
  ListeningIn listening_;
  bool switching_ = false;
};

// The one main form; its menus hang on its window as a menu bar never shown.
FrmMain& frmMain();
