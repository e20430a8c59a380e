#include "app/modMain.h"

#include "app/forwarding.h"
#include "app/frmMain.h"
#include "app/frmSettings.h"
#include "runtime/application.h"
#include "runtime/message_box.h"

#include "oxwin32.hpp"

std::wstring ConfigFileName;
const wchar_t ApplicationGuid[] = L"" VEILMARK_APPLICATION_GUID;
const wchar_t ConfigFileSetting[] = L"Privoxy config file";

std::wstring StoredConfigFileName() {
  const auto SettingsStore = ox::create(oxCreateSettingsStore);
  LONG status = 0;
  ox::Variant value;
  ox::check(SettingsStore->GetValue(L"", ConfigFileSetting, 0, &runtime::application(), ox::Variant::missing(),
                                    VARIANT_TRUE, &status, value.put()));
  return value.text();
}

namespace {

// Held, and with it the instance key, until the process ends.
ox::Ptr<IOxInstanceGuard> InstanceGuard;

bool CheckSettings() {
  ConfigFileName = StoredConfigFileName();
  if (ConfigFileName.empty()) {
    FrmSettings settings;
    settings.showModal();
  }
  if (ConfigFileName.empty()) {
    runtime::messageBox(
        L"Вы не ввели имя файла настроек Privoxy. Продолжение не возможно - всё равно программе работать не с чем ^^",
        MB_ICONERROR);
    return false;
  }
  return true;
}

}  // namespace

void Main() {
  LONG ignored = 0;
  ox::check(oxRegisterAppPath(&ignored));
  VARIANT_BOOL inIde = VARIANT_FALSE;
  ox::check(oxIsInIDE(&inIde));
  if (!ox::isTrue(inIde)) {
    HWND appWindow = nullptr;
    ox::check(oxGetThunderMainHandle(&appWindow));
    ox::check(oxSetWindowResIconAll(appWindow, L"A_MAIN"));
  }
  if (!InstanceGuard) InstanceGuard = ox::create(oxCreateInstanceGuard);
  VARIANT_BOOL first = VARIANT_FALSE;
  ox::check(InstanceGuard->IsFirstInstance(ApplicationGuid, &first));
  if (!ox::isTrue(first)) return;
  if (!CheckSettings()) return;
  RemoveSwitchLeftovers();
  frmMain().load();
}
