#include "app/frmMain.h"

#include "app/forwarding.h"
#include "app/frmSettings.h"
#include "app/modMain.h"
#include "app/program_objects.h"
#include "app/tor_check.h"
#include "app/virtual_store.h"
#include "runtime/application.h"
#include "runtime/message_box.h"
#include "runtime/property_bag.h"
#include "runtime/unhandled_error.h"
#include "systray/dispids.h"

#include <shellapi.h>

#include "oxwin32.hpp"

#include <iterator>
#include <string>

namespace {

enum MouseButton : LONG { kLeft = 1, kRight = 2 };

// The warning balloon: its kind (tbfWarning) and how long it stays.
constexpr LONG kBaloonWarning = 2;
constexpr LONG kTorWarningMs = 10000;

// The answer of the check that Tor takes connections: wParam TRUE when it does.
constexpr UINT kTorAnswer = WM_APP;

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

FrmMain::FrmMain() : Form({L"Veilmark", WS_OVERLAPPEDWINDOW, 0, 4800, 3600}, runtime::reportUnhandledError) {}

void FrmMain::createControls() {
  menus_ = std::make_unique<runtime::MenuTree>(kMenus, std::size(kMenus));
  SetMenu(hwnd(), menus_->bar());
  const ox::Ptr<runtime::PropertyBag> storedData = runtime::PropertyBag::create();
  fillStoredData(*storedData.get());
  stMain_ = std::make_unique<runtime::ActiveXControl>(
      L"Lumicon.SysTray", L"stMain", *storedData.get(), [this](DISPID event, const DISPPARAMS& arguments) {
        if (event == lumicon::kDispidMouseUp) stMain_MouseUp(runtime::integerArgument(arguments, 0));
      });
}

void FrmMain::Load() {
  LONG ignored = 0;
  ox::check(oxCenterFormEx(hwnd(), &ignored));
  VARIANT_BOOL inIde = VARIANT_FALSE;
  ox::check(oxIsInIDE(&inIde));
  if (!ox::isTrue(inIde)) ox::check(oxSetWindowResIconAll(hwnd(), L"A_MAIN"));
  UpdateMenuChecks();
  ox::check(oxGet_WM_TASKBAR_CREATED(&taskbarCreated_));
  LoadTrayIcons();
  stMain_->putText(lumicon::kDispidCaption, L"Veilmark");
  stMain_->putRefObject(lumicon::kDispidIcon, GetStateIcon());
  stMain_->putBoolean(lumicon::kDispidVisible, true);
  WatchConfigFile();
}

void FrmMain::Unload() {
  watch_.reset();
  stMain_->putBoolean(lumicon::kDispidVisible, false);
  stMain_->putRefObject(lumicon::kDispidIcon, nullptr);
  TrayIcons_[0] = nullptr;
  TrayIcons_[1] = nullptr;
  stMain_.reset();
  // The window would destroy its menu bar; the tree is the one that does.
  SetMenu(hwnd(), nullptr);
  menus_.reset();
}

// While the form is loaded, a new DPI wants the tray pictures at its size, and
// a taskbar that comes back may do so at a new DPI; the control itself puts a
// new taskbar's icon back.
void FrmMain::Message(UINT message, WPARAM wParam, LPARAM) {
  if (message == kTorAnswer) {
    // Forwarding switched off again meanwhile needs no Tor.
    if (!wParam && menus_->checked(mnuContext(ForwardingItem))) WarnTorNotAnswering();
    return;
  }
  if (!TrayIcons_[0] || (message != WM_DPICHANGED && message != taskbarCreated_)) return;
  LoadTrayIcons();
  stMain_->putObject(lumicon::kDispidIcon, GetStateIcon());
}

void FrmMain::stMain_MouseUp(LONG button) {
  switch (button) {
    case kRight: {
      ReplyMessage(1);
      LONG ignored = 0;
      ox::check(oxSetForegroundWindowEx(hwnd(), &ignored));
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
      // Forwarding that is now on sends every page to Tor: make sure it is there.
      if (wanted && menus_->checked(mnuContext(ForwardingItem))) CheckTorAnswers(hwnd(), kTorAnswer);
      break;
    }
    case SettingsItem: {
      FrmSettings settings;
      settings.showModal();
      if (!isLoaded()) return;
      // The dialog may have chosen another file: show (and so watch) that one.
      ShowForwardingState();
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
  menus_->setChecked(mnuContext(ForwardingItem), IsForwardingOn());
  ReadAutoRunMark();
}

// The mark and the icon as the file now says, not as the switch asked.
void FrmMain::ShowForwardingState(bool quietly) {
  // The file read may not be the one watched: another chosen in the settings,
  // or a VirtualStore copy that a program without a manifest made meanwhile.
  WatchConfigFile();
  const bool on = IsForwardingOn(quietly);
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
  watch_ = std::make_unique<ConfigWatch>(file, [this] { ShowForwardingState(true); });
}

void FrmMain::WarnTorNotAnswering() {
  ox::Variant text(std::wstring(
      L"Переадресация через Tor включена, но на 127.0.0.1:9050 никто не отвечает. Пока Tor не запущен, Privoxy "
      L"не сможет открыть ни одной страницы."));
  ox::Variant title(std::wstring(L"Tor не отвечает"));
  VARIANT arguments[4] = {*text.get(), *title.get(), {}, {}};
  V_VT(&arguments[2]) = VT_I4;
  V_I4(&arguments[2]) = kBaloonWarning;
  V_VT(&arguments[3]) = VT_I4;
  V_I4(&arguments[3]) = kTorWarningMs;
  stMain_->call(lumicon::kDispidShowBaloon, arguments, 4);
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
  TrayIcons_[0] = loadTrayIcon(L"IDI_TRAY_ON");
  TrayIcons_[1] = loadTrayIcon(L"IDI_TRAY_OFF");
}

IPictureDisp* FrmMain::GetStateIcon() const { return TrayIcons_[menus_->checked(mnuContext(ForwardingItem)) ? 0 : 1].get(); }

FrmMain& frmMain() {
  static FrmMain form;
  return form;
}
