#include "app/config_switch.h"

#include "app/privoxy_config.h"
#include "app/program_objects.h"
#include "support/ansi_code_page.h"

std::optional<SwitchFailure> RewriteConfigFile(const std::wstring& path, bool enable) {
  const std::wstring backup = path + L".BAK";
  ox::Ptr<IOxBackedUpFile> file;
  ox::Bstr text;
  try {
    ox::check(TextFile().OpenKeepingBackup(path.c_str(), backup.c_str(), file.put()));
    ox::check(file->ReadBytes(text.put()));
  } catch (const ox::Error& error) {
    return SwitchFailure{SwitchFailure::Read, path, error};
  }
  VARIANT_BOOL backupFailed = VARIANT_FALSE;
  try {
    const std::string comment = privoxy_config::blockCommentFor(text.bytes(), textcodec::toAnsiCodePage);
    std::vector<OxBytes> runs;
    for (std::string_view piece : privoxy_config::rewriteForwarding(text.bytes(), enable, comment))
      runs.push_back({piece.data(), piece.size()});
    ox::check(file->Replace(text.get(), runs.data(), static_cast<ULONG>(runs.size()), &backupFailed));
  } catch (const ox::Error& error) {
    if (backupFailed) return SwitchFailure{SwitchFailure::Backup, backup, error};
    return SwitchFailure{SwitchFailure::Save, path, error};
  }
  return std::nullopt;
}
