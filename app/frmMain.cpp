#include "app/frmMain.h"

#include "app/frmSettings.h"
#include "app/modMain.h"
#include "app/program_objects.h"
#include "app/unhandled_error.h"
#include "app/virtual_store.h"
#include "runtime/application.h"
#include "runtime/message_box.h"
#include "runtime/property_bag.h"
#include "systray/dispids.h"

#include <shellapi.h>

#include "oxwin32.hpp"

#include <iterator>
#include <string>

namespace {

enum MouseButton : LONG { kLeft = 1, kRight = 2 };

// The warning balloon: its kind (tbfWarning) and how long it stays.
constexpr LONG kBaloonWarning = 2;
constexpr LONG kWarningMs = 10000;

// The check of the running chain: its sockets' news (wParam a socket) and its timer.
constexpr UINT kChainNews = WM_APP;
constexpr UINT_PTR kChainTimer = 1;

// The tray pictures, by TrayIcons_ index.
enum TrayPicture { kOnPicture, kOffPicture, kNotThroughTorPicture };

const runtime::MenuEntry kMenus[] = {
    {mnuMain(0), L"Context", 0, false},
    {mnuContext(ForwardingItem), L"Включить TOR в Privoxy", 1, true},
    {mnuContext(FirstSeparator), L"-", 1, false},
    {mnuContext(SettingsItem), L"Настройки...", 1, false},
    {mnuContext(AutoRunItem), L"Запускать с Windows", 1, false},
    {mnuContext(SecondSeparator), L"-", 1, false},
    {mnuContext(HelpSubmenu), L"Справка", 1, false},
    {mnuHelp(ContentsItem), L"&Содержание...", 2, false},
    {mnuHelp(HelpSeparator), L"-", 2, false},
    {mnuHelp(AboutItem), L"О программе...", 2, false},
    {mnuContext(ExitItem), L"Выход", 1, false},
};

// stMain as the form stores it: only its extent (its 38-pixel face in
// HIMETRIC) and the fixed dedication, so it starts hidden, without icon or caption.
void fillStoredData(runtime::PropertyBag& bag) {
  bag.addNumber(L"_extentx", 1005);
  bag.addNumber(L"_extenty", 1005);
  bag.addText(L"DevoteTo", L"Tamsel ^_^");
}

// ANSI text as the named ANSI calls take it, in the system code page.
std::string toAnsi(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(size > 0 ? size : 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi.data(), size, nullptr, nullptr);
  ansi.pop_back();
  return ansi;
}

ox::Ptr<IPictureDisp> loadTrayIcon(const wchar_t* name) {
  ox::Ptr<IPictureDisp> picture;
  ox::check(oxLoadResTrayIcon(name, picture.put()));
  return picture;
}

}  // namespace

FrmMain::FrmMain() : Form({L"Veilmark", WS_OVERLAPPEDWINDOW, 0, 4800, 3600}, ReportUnhandledError) {}

void FrmMain::createControls() {
  menus_ = std::make_unique<runtime::MenuTree>(kMenus, std::size(kMenus));
  SetMenu(hwnd(), menus_->bar());
  const ox::Ptr<runtime::PropertyBag> storedData = runtime::PropertyBag::create();
  fillStoredData(*storedData.get());
  stMain_ = std::make_unique<runtime::ActiveXControl>(
      L"Lumicon.SysTray", L"stMain", *storedData.get(), [this](DISPID event, const DISPPARAMS& arguments) {
        if (event == lumicon::kDispidMouseUp) stMain_MouseUp(runtime::integerArgument(arguments, 0));
      },
      ReportUnhandledError);
}

void FrmMain::Load() {
  LONG ignored = 0;
  ox::check(oxCenterFormEx(hwnd(), &ignored));
  VARIANT_BOOL inIde = VARIANT_FALSE;
  ox::check(oxIsInIDE(&inIde));
  if (!ox::isTrue(inIde)) ox::check(oxSetWindowResIconAll(hwnd(), L"A_MAIN"));
  UpdateMenuChecks();
  LoadTrayIcons();
  stMain_->putText(lumicon::kDispidCaption, L"Veilmark");
  stMain_->putRefObject(lumicon::kDispidIcon, GetStateIcon());
  stMain_->putBoolean(lumicon::kDispidVisible, true);
  WatchConfigFile();
  CheckRunningChain(false);
}

void FrmMain::Unload() {
  watch_.reset();
  chain_.reset();
  stMain_->putBoolean(lumicon::kDispidVisible, false);
  stMain_->putRefObject(lumicon::kDispidIcon, nullptr);
  for (ox::Ptr<IPictureDisp>& picture : TrayIcons_) picture = nullptr;
  stMain_.reset();
  // The window would destroy its menu bar; the tree is the one that does.
  SetMenu(hwnd(), nullptr);
  menus_.reset();
}

void FrmMain::Message(UINT message, WPARAM wParam, LPARAM) {
  if (!chain_) return;
  const std::optional<ChainFindings> findings = chain_->Continue(message, wParam);
  if (!findings) return;
  chain_.reset();
  ShowChainFindings(*findings);
}

void FrmMain::stMain_MouseUp(LONG button) {
  switch (button) {
    case kRight: {
      ReplyMessage(1);
      LONG ignored = 0;
      ox::check(oxSetForegroundWindowEx(hwnd(), &ignored));
      // The user looks at the icon now: let it tell the chain as it runs.
      CheckRunningChain(false);
      const UINT chosen = menus_->trackPopup(mnuMain(0), hwnd(), TPM_LEFTALIGN | TPM_RIGHTBUTTON);
      if (chosen) Click(chosen);
      if (!isLoaded()) return;
      // Lets the menu close for good when the user clicks elsewhere.
      PostMessageA(hwnd(), WM_NULL, 0, 0);
      break;
    }
    case kLeft:
      mnuContext_Click(ForwardingItem);
      break;
  }
}

void FrmMain::Click(UINT item) {
  if (item >= mnuHelp(0))
    mnuHelp_Click(static_cast<int>(item - mnuHelp(0)));
  else if (item >= mnuContext(0))
    mnuContext_Click(static_cast<int>(item - mnuContext(0)));
}

void FrmMain::mnuContext_Click(int index) {
  switch (index) {
    case ForwardingItem: {
      // One switch at a time: the icon answers during a switch's boxes and
      // elevated run, but a second switch would back up the first one's output.
      if (switching_) break;
      const bool wanted = !menus_->checked(mnuContext(ForwardingItem));
      switching_ = true;
      SetForwarding(wanted);
      if (isLoaded()) ShowForwardingState();
      switching_ = false;
      if (!isLoaded()) return;
      // Whether Privoxy follows the file, and Tor is there for it: told again even when told before.
      CheckRunningChain(true);
      break;
    }
    case SettingsItem: {
      FrmSettings settings;
      settings.showModal();
      if (!isLoaded()) return;
      // The dialog may have chosen another file: show (and so watch) that one.
      ShowForwardingState();
      if (isLoaded()) CheckRunningChain(false);
      break;
    }
    case AutoRunItem:
      ToggleAutoRun();
      break;
    case ExitItem:
      ox::check(oxUnloadForm(hwnd()));
      break;
  }
}

void FrmMain::mnuHelp_Click(int index) {
  switch (index) {
    case ContentsItem: {
      const std::wstring path = ox::buildFileName(runtime::application().path(), L"ReadMe.TXT");
      const auto result = reinterpret_cast<INT_PTR>(
          ShellExecuteA(hwnd(), "open", toAnsi(path).c_str(), "", "", SW_SHOWDEFAULT));
      if (result <= 32) runtime::messageBox(L"Не удаётся открыть файл ReadMe.TXT", MB_ICONERROR);
      break;
    }
    case AboutItem: {
      ox::Bstr text;
      ox::check(oxLoadResTextA(L"DESCRIPTION", L"TEXT_DATABLOCK", text.put()));
      LONG ignored = 0;
      const HRESULT shown =
          MessageDialogs().ShowAbout(hwnd(), &runtime::application(), text.get(), nullptr, L"Тамсель", &ignored);
      // Unloading the form took the box down with its owner: no failure to report.
      if (!isLoaded()) return;
      ox::check(shown);
      break;
    }
  }
}

void FrmMain::UpdateMenuChecks() {
  menus_->setChecked(mnuContext(ForwardingItem), IsForwardingOn(false, &listening_));
  ReadAutoRunMark();
}

// The mark and the icon as the file now says, not as the switch asked.
void FrmMain::ShowForwardingState(bool quietly) {
  // The file read may not be the one watched: another chosen in the settings,
  // or a VirtualStore copy that a program without a manifest made meanwhile.
  WatchConfigFile();
  const bool on = IsForwardingOn(quietly, &listening_);
  if (!isLoaded()) return;
  // A read nobody asked for (the one after the program's own write, say)
  // leaves an icon that is right alone: updating it calls into the shell,
  // whose messages meanwhile may unload the form under the control's call.
  if (quietly && on == menus_->checked(mnuContext(ForwardingItem))) return;
  menus_->setChecked(mnuContext(ForwardingItem), on);
  stMain_->putObject(lumicon::kDispidIcon, GetStateIcon());
}

void FrmMain::WatchConfigFile() {
  const std::wstring file = ConfigFileInUse(ConfigFileName);
  if (watch_ && file == watched_) return;
  // The old watch goes first: the main loop waits on one at a time. Called
  // from that watch's own call, it ends it: the watch touches nothing of
  // itself after calling.
  watch_.reset();
  watched_ = file;
  watch_ = std::make_unique<ConfigWatch>(file, [this] {
    ShowForwardingState(true);
    if (isLoaded()) CheckRunningChain(false);
  });
}

void FrmMain::CheckRunningChain(bool tellAgain) {
  retell_ = retell_ || tellAgain;
  // A file that cannot be read has been reported, or is being replaced: nothing to ask.
  if (!listening_) return;
  // A check still on its way is for a file that may have changed since. It
  // goes first: the two would share the timer.
  chain_.reset();
  chain_ = std::make_unique<ChainCheck>(hwnd(), kChainNews, kChainTimer, *listening_,
                                        menus_->checked(mnuContext(ForwardingItem)));
}

void FrmMain::ShowChainFindings(const ChainFindings& findings) {
  const ChainWarning warning = MostSerious(menus_->checked(mnuContext(ForwardingItem)), findings);
  const bool tell = warning != told_ || retell_;
  told_ = warning;
  retell_ = false;
  if ((warning == ChainWarning::NotThroughTor) != notThroughTor_) {
    notThroughTor_ = !notThroughTor_;
    stMain_->putObject(lumicon::kDispidIcon, GetStateIcon());
    if (!isLoaded()) return;
  }
  if (const std::optional<BalloonText> balloon = BalloonFor(warning, findings.address); balloon && tell)
    ShowWarning(*balloon);
}

void FrmMain::ShowWarning(const BalloonText& balloon) {
  stMain_->call(lumicon::kDispidShowBaloon, {ox::Variant(balloon.text), ox::Variant(balloon.title),
                                             ox::Variant::integer(kBaloonWarning), ox::Variant::integer(kWarningMs)});
}

void FrmMain::ReadAutoRunMark() {
  VARIANT_BOOL enabled = VARIANT_FALSE;
  ox::check(AutoRun().IsEnabled(ApplicationGuid, &enabled));
  menus_->setChecked(mnuContext(AutoRunItem), ox::isTrue(enabled));
}

void FrmMain::ToggleAutoRun() {
  LONG ignored = 0;
  if (menus_->checked(mnuContext(AutoRunItem)))
    AutoRun().Disable(ApplicationGuid, &ignored);
  else
    AutoRun().Enable(ApplicationGuid, 0, &ignored);
  // The mark shows what took effect, not what was asked for.
  ReadAutoRunMark();
}

void FrmMain::LoadTrayIcons() {
  TrayIcons_[kOnPicture] = loadTrayIcon(L"IDI_TRAY_ON");
  TrayIcons_[kOffPicture] = loadTrayIcon(L"IDI_TRAY_OFF");
  TrayIcons_[kNotThroughTorPicture] = loadTrayIcon(L"IDI_TRAY_NOT_THROUGH_TOR");
}

// The mark says what the file says; a Privoxy found running without Tor while
// the file forwards overrides it: the icon never says "through Tor" then.
IPictureDisp* FrmMain::GetStateIcon() const {
  if (!menus_->checked(mnuContext(ForwardingItem))) return TrayIcons_[kOffPicture].get();
  return TrayIcons_[notThroughTor_ ? kNotThroughTorPicture : kOnPicture].get();
}

FrmMain& frmMain() {
  static FrmMain form;
  return form;
}
