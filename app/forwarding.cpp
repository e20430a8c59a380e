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

// The file's own bytes: the switch keeps the file in its encoding, and a
// large file is never held as UTF-16 beside them.
ox::Bstr ReadFileBytes(const std::wstring& path) {
  ox::Bstr bytes;
  ox::check(TextFile().ReadBytes(path.c_str(), VARIANT_TRUE, bytes.put()));
  return bytes;
}

void WriteFilePieces(const std::wstring& path, const std::vector<std::string_view>& pieces) {
  std::vector<OxBytes> runs;
  runs.reserve(pieces.size());
  for (std::string_view piece : pieces) runs.push_back({piece.data(), piece.size()});
  LONG written = 0;
  ox::check(TextFile().WriteBytes(path.c_str(), runs.data(), static_cast<ULONG>(runs.size()), VARIANT_TRUE, &written));
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
  ox::Bstr text;
  try {
    text = ReadFileBytes(config);
  } catch (const ox::Error& error) {
    if (!quietly) ShowError(error, StepFailed[SwitchFailure::Read]);
    return false;
  }
  return privoxy_config::isForwardingOn(text.bytes());
}

std::optional<SwitchFailure> RewriteConfigFile(const std::wstring& path, bool enable) {
  const std::wstring backup = path + L".BAK";
  ox::Bstr text;
  VARIANT_BOOL backupFailed = VARIANT_FALSE;
  try {
    ox::check(TextFile().ReadBytesKeepingBackup(path.c_str(), backup.c_str(), text.put(), &backupFailed));
  } catch (const ox::Error& error) {
    if (backupFailed) return SwitchFailure{SwitchFailure::Backup, backup, error};
    return SwitchFailure{SwitchFailure::Read, path, error};
  }
  // A failed save may leave the backup a second name of the unchanged file:
  // it then holds the text from before the switch, which is what a failed
  // save promises, and the next switch, finding that second name, copies the
  // bytes and so parts the two.
  try {
    const std::string comment = privoxy_config::blockCommentFor(text.bytes(), textcodec::toAnsiCodePage);
    WriteFilePieces(path, privoxy_config::rewriteForwarding(text.bytes(), enable, comment));
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
