#include "app/frmSettings.h"

#include "app/modMain.h"
#include "app/unhandled_error.h"
#include "runtime/application.h"
#include "runtime/label.h"
#include "runtime/message_box.h"
#include "runtime/window_text.h"

#include <commctrl.h>

#include "oxwin32.hpp"

namespace {

enum ControlId { lblTag = 100, txtConfigFileName, cmdBrowseConfig, cmdOk = IDOK, cmdCancel = IDCANCEL };

// In tab order. Enter presses IDOK, Esc IDCANCEL.
const runtime::Control kControls[] = {
    {WC_STATIC, L"Путь к файлу настроек Privoxy:", SS_LEFT, 0, lblTag, {180, 120, 1590, 420}},
    {WC_EDIT, L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, txtConfigFileName, {120, 660, 5355, 350}},
    {WC_BUTTON, L"...", WS_TABSTOP | BS_PUSHBUTTON, 0, cmdBrowseConfig, {5520, 660, 375, 350}},
    {WC_BUTTON, L"Ok", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, cmdOk, {3000, 1200, 1395, 435}},
    {WC_BUTTON, L"Отмена", WS_TABSTOP | BS_PUSHBUTTON, 0, cmdCancel, {4500, 1200, 1395, 435}},
};

// The button-face band along the left edge that lblTag stands on.
const runtime::TwipsRect shpBack = {-60, -120, 1875, 3975};

}  // namespace

FrmSettings::FrmSettings()
    : Form({L"Настройки", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, 6015, 1755},
           ReportUnhandledError),
      font_(L"Tahoma", 9, FW_NORMAL, RUSSIAN_CHARSET) {}

void FrmSettings::createControls() {
  // The common controls (and the theme they bring) load with the first
  // dialog, not at start: the tray alone never needs them.
  InitCommonControls();
  for (const runtime::Control& control : kControls) {
    const HWND child = addControl(control, font_.handle());
    if (control.id == lblTag) lblTag_ = child;
    if (control.id == txtConfigFileName) txtConfigFileName_ = child;
  }
  runtime::fitLabelHeight(lblTag_);
}

void FrmSettings::Load() {
  LONG ignored = 0;
  ox::check(oxCenterFormEx(hwnd(), &ignored));
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, 0);
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, 0);
  runtime::setWindowText(txtConfigFileName_, ConfigFileName);
}

void FrmSettings::Paint(HDC dc) {
  PaintDesktop(dc);
  const RECT band = runtime::twipsToPixels(shpBack);
  FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
}

HBRUSH FrmSettings::StaticBackground(HDC dc, HWND control) {
  if (control != lblTag_) return nullptr;
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

void FrmSettings::Command(int id, int code) {
  if (id == txtConfigFileName && code == EN_SETFOCUS) ox::check(oxHighlightText(txtConfigFileName_));
  if (code != BN_CLICKED) return;
  switch (id) {
    case cmdBrowseConfig:
      cmdBrowseConfig_Click();
      break;
    case cmdOk:
      cmdOk_Click();
      break;
    case cmdCancel:
      unload();
      break;
  }
}

void FrmSettings::cmdBrowseConfig_Click() {
  const auto FileDialog = ox::create(oxCreateFileDialog);
  ox::check(FileDialog->put_InitialFileName(runtime::windowText(txtConfigFileName_).c_str()));
  ox::check(FileDialog->put_Filter(L"Privoxy config|Config.TXT|Все файлы|*.*"));
  ox::check(FileDialog->put_FilterIndex(0));
  ox::check(FileDialog->put_OwnerWindow(hwnd()));
  VARIANT_BOOL chosen = VARIANT_FALSE;
  ox::check(FileDialog->ShowOpen(&chosen));
  if (!ox::isTrue(chosen)) return;
  ox::Bstr fileName;
  runtime::setWindowText(txtConfigFileName_, ox::text(FileDialog->get_FileName(fileName.put()), fileName));
}

void FrmSettings::cmdOk_Click() {
  SaveSettings();
  unload();
}

void FrmSettings::SaveSettings() {
  const std::wstring text = runtime::windowText(txtConfigFileName_);
  if (text.empty()) {
    runtime::messageBox(L"Вы не ввели имя файла настроек Privoxy. Оно останется прежним.", MB_ICONWARNING);
    return;
  }
  ConfigFileName = text;
  const auto SettingsStore = ox::create(oxCreateSettingsStore);
  const ox::Variant value(ConfigFileName);
  LONG ignored = 0;
  ox::check(SettingsStore->SaveValue(L"", ConfigFileSetting, 0, value.get(), &runtime::application(), VARIANT_TRUE,
                                     &ignored));
}
