// Reading and switching the forwarding state in Privoxy's configuration file.
// The file and the reload request can fail in ordinary use, so each failure
// is reported here and never reaches the caller.
#include "app/forwarding.h"

#include "app/elevated_switch.h"
#include "app/modMain.h"
#include "app/privoxy_config.h"
#include "app/program_objects.h"
#include "app/reload_request.h"
#include "app/virtual_store.h"
#include "support/ansi_code_page.h"

namespace {

std::u16string ReadText(const std::wstring& path) {
  ox::Bstr text;
  ox::check(TextFile().ReadAll(path.c_str(), VARIANT_TRUE, text.put()));
  return std::u16string(reinterpret_cast<const char16_t*>(text.get()), SysStringLen(text.get()));
}

void WriteText(const std::wstring& path, const std::u16string& text) {
  const ox::Bstr bstr(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
  LONG written = 0;
  ox::check(TextFile().WriteAll(path.c_str(), bstr.get(), VARIANT_TRUE, &written));
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

}  // namespace

bool IsForwardingOn(bool quietly) {
  const std::wstring config = ConfigFileInUse(ConfigFileName);
  std::u16string text;
  try {
    text = ReadText(config);
  } catch (const ox::Error& error) {
    if (!quietly) ShowError(error, StepFailed[SwitchFailure::Read]);
    return false;
  }
  return privoxy_config::isForwardingOn(text);
}

std::optional<SwitchFailure> RewriteConfigFile(const std::wstring& path, bool enable) {
  std::u16string text;
  try {
    text = ReadText(path);
  } catch (const ox::Error& error) {
    return SwitchFailure{SwitchFailure::Read, path, error};
  }
  const std::wstring backup = path + L".BAK";
  try {
    WriteText(backup, text);
  } catch (const ox::Error& error) {
    return SwitchFailure{SwitchFailure::Backup, backup, error};
  }
  try {
    const std::u16string comment = privoxy_config::blockCommentFor(text, textcodec::toAnsiCodePage);
    WriteText(path, privoxy_config::rewriteForwarding(text, enable, comment));
  } catch (const ox::Error& error) {
    return SwitchFailure{SwitchFailure::Save, path, error};
  }
  return std::nullopt;
}

void SetForwarding(bool enable) {
  const std::wstring config = ConfigFileInUse(ConfigFileName);
  const std::optional<SwitchFailure> failure = RewriteConfigFile(config, enable);
  if (!failure) return SendReloadRequest();
  if (!AdministratorRightsWanted(*failure)) return ShowError(failure->error, StepFailed[failure->step]);
  try {
    if (SwitchAsAdministrator(config, enable)) SendReloadRequest();
  } catch (const ox::Error& error) {
    ShowError(error, StepFailed[SwitchFailure::Save]);
  }
}
