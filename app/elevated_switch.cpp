#include "app/elevated_switch.h"

#include "app/modMain.h"
#include "app/virtual_store.h"
#include "runtime/app_window.h"
#include "runtime/message_box.h"
#include "runtime/message_loop.h"

#include <shellapi.h>

#include "oxwin32.hpp"

#include <memory>

namespace {

const wchar_t SwitchCommand[] = L"/switch";
const wchar_t On[] = L"on";
const wchar_t Off[] = L"off";

// Any program may start the switch command with administrator rights under
// Veilmark's name: it switches the stored configuration file (or the copy of
// it that is in use) and nothing else.
bool IsConfigFile(const wchar_t* path) {
  const std::wstring full = ox::fullPath(path);
  std::wstring configured;
  try {
    configured = StoredConfigFileName();
  } catch (const ox::Error&) {
    return false;
  }
  if (full.empty() || configured.empty()) return false;
  for (const std::wstring& file : {configured, ConfigFileInUse(configured)}) {
    if (CompareStringOrdinal(full.c_str(), -1, ox::fullPath(file).c_str(), -1, TRUE) == CSTR_EQUAL) return true;
  }
  return false;
}

}  // namespace

bool AdministratorRightsWanted(const SwitchFailure& failure) {
  if (failure.step == SwitchFailure::Read || failure.error.number != E_ACCESSDENIED) return false;
  // A read-only file is refused to administrators too.
  const DWORD attributes = GetFileAttributesW(failure.file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  return runtime::messageBox(L"Файл настроек Privoxy защищён от изменений. Изменить его с правами администратора?",
                             MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool SwitchAsAdministrator(const std::wstring& path, bool enable) {
  const std::wstring program = ox::modulePath(nullptr);
  // The elevated run does not start in this one's folder: it gets the full path.
  const std::wstring parameters =
      std::wstring(SwitchCommand) + L" " + (enable ? On : Off) + L" \"" + ox::fullPath(path) + L"\"";
  SHELLEXECUTEINFOW run = {};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  run.hwnd = runtime::AppWindow::current();
  run.lpVerb = L"runas";
  run.lpFile = program.c_str();
  run.lpParameters = parameters.c_str();
  run.nShow = SW_HIDE;
  if (!ShellExecuteExW(&run)) {
    const DWORD error = GetLastError();
    if (error == ERROR_CANCELLED) return false;  // the user said no to the rights
    ox::failWin32(error);
  }
  // The shell may hand an executable to something else, with no process to wait for.
  if (!run.hProcess) ox::failWin32(ERROR_INVALID_HANDLE);
  const ox::UniqueHandle process(run.hProcess);
  if (!runtime::waitPumping(process.get())) return false;
  DWORD status = 0;
  ox::checkWin32(GetExitCodeProcess(process.get(), &status));
  // The switch command's status is the failing error's number.
  if (status != 0) ox::fail(static_cast<HRESULT>(status), ox::systemText(static_cast<HRESULT>(status)));
  return true;
}

std::optional<int> RunSwitchCommand(int argc, const wchar_t* const argv[]) {
  if (argc < 2 || _wcsicmp(argv[1], SwitchCommand) != 0) return std::nullopt;
  if (argc != 4 || (_wcsicmp(argv[2], On) != 0 && _wcsicmp(argv[2], Off) != 0) || !*argv[3]) return E_INVALIDARG;
  if (!IsConfigFile(argv[3])) return E_ACCESSDENIED;
  const std::optional<SwitchFailure> failure = RewriteConfigFile(argv[3], _wcsicmp(argv[2], On) == 0);
  return failure ? static_cast<int>(failure->error.number) : 0;
}
