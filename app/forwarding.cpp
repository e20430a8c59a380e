// Reading and switching the forwarding state in Privoxy's configuration file.
// The file and the reload request can fail in ordinary use, so each failure
// is reported here and never reaches the caller.
#include "app/forwarding.h"

#include "app/config_switch.h"
#include "app/elevated_switch.h"
#include "app/modMain.h"
#include "app/privoxy_config.h"
#include "app/program_objects.h"
#include "app/reload_request.h"
#include "app/virtual_store.h"

namespace {

// The file's own bytes: the switch keeps the file in its encoding, and a
// large file is never held as UTF-16 beside them.
ox::Bstr ReadFileBytes(const std::wstring& path) {
  ox::Bstr bytes;
  ox::check(TextFile().ReadBytes(path.c_str(), VARIANT_TRUE, bytes.put()));
  return bytes;
}

void ShowError(const ox::Error& error, const wchar_t* message) {
  LONG ignored = 0;
  MessageDialogs().ShowError(error.number, error.description.c_str(), MB_ICONERROR, nullptr, message, 0, &ignored);
}

// What the user is told when a step fails, by SwitchFailure::Step.
const wchar_t* const StepFailed[] = {
    L"Не удаётся прочитать файл настроек Privoxy.",
    L"Не удаётся сохранить резервную копию файла настроек Privoxy.",
    L"Не удаётся сохранить файл настроек Privoxy.",
};

// A file that another program holds is not helped by other rights: the user
// is told to close that program, whatever step met it.
void ShowSwitchError(const ox::Error& error, SwitchFailure::Step step) {
  const bool inUse = error.number == HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION) ||
                     error.number == HRESULT_FROM_WIN32(ERROR_LOCK_VIOLATION);
  ShowError(error, inUse ? L"Файл настроек Privoxy занят другой программой. Закройте её и попробуйте снова."
                         : StepFailed[step]);
}

}  // namespace

bool IsForwardingOn(bool quietly, ListeningIn* listening) {
  const std::wstring config = ConfigFileInUse(ConfigFileName);
  ox::Bstr text;
  if (listening) listening->reset();
  try {
    text = ReadFileBytes(config);
  } catch (const ox::Error& error) {
    if (!quietly) ShowError(error, StepFailed[SwitchFailure::Read]);
    return false;
  }
  if (listening) *listening = privoxy_status::listenAddresses(text.bytes());
  return privoxy_config::isForwardingOn(text.bytes());
}

void RemoveSwitchLeftovers() { TextFile().RemoveLeftovers(ConfigFileInUse(ConfigFileName).c_str()); }

void SetForwarding(bool enable) {
  const std::wstring config = ConfigFileInUse(ConfigFileName);
  const std::optional<SwitchFailure> failure = RewriteConfigFile(config, enable);
  if (!failure) return SendReloadRequest();
  if (!AdministratorRightsWanted(*failure)) return ShowSwitchError(failure->error, failure->step);
  try {
    if (SwitchAsAdministrator(config, enable)) SendReloadRequest();
  } catch (const ox::Error& error) {
    ShowSwitchError(error, SwitchFailure::Save);
  }
}
