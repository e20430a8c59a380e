// Reading and switching the forwarding state in Privoxy's configuration file.
// The file and the reload request can fail in ordinary use, so each failure
// is reported here and never reaches the caller.
#include "app/forwarding.h"

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

const wchar_t ReadFailed[] = L"Не удаётся прочитать файл настроек Privoxy.";

}  // namespace

bool IsForwardingOn(bool quietly) {
  const std::wstring config = ConfigFileInUse(ConfigFileName);
  std::u16string text;
  try {
    text = ReadText(config);
  } catch (const ox::Error& error) {
    if (!quietly) ShowError(error, ReadFailed);
    return false;
  }
  return privoxy_config::isForwardingOn(text);
}

void SetForwarding(bool enable) {
  const std::wstring config = ConfigFileInUse(ConfigFileName);
  std::u16string text;
  try {
    text = ReadText(config);
  } catch (const ox::Error& error) {
    return ShowError(error, ReadFailed);
  }
  try {
    WriteText(config + L".BAK", text);
  } catch (const ox::Error& error) {
    return ShowError(error, L"Не удаётся сохранить резервную копию файла настроек Privoxy.");
  }
  try {
    const std::u16string comment = privoxy_config::blockCommentFor(text, textcodec::toAnsiCodePage);
    WriteText(config, privoxy_config::rewriteForwarding(text, enable, comment));
  } catch (const ox::Error& error) {
    return ShowError(error, L"Не удаётся сохранить файл настроек Privoxy.");
  }
  SendReloadRequest();
}
